// Whirlpool with the whole 8x8-byte state in one 512-bit register: the
// column shift is one byte permute, the S-box two 128-byte table permutes
// and a blend, and the row mix five GF(2^8) multiplications by constants
// (affine transforms) plus rotations within each row. The state is kept in
// memory byte order, so lane i is row i and byte j of a lane is column j.
#include "algorithms/whirlpool/whirlpool_internal.h"

#if SUMWISE_WHIRLPOOL_AVX512

// GCC 12 takes the deliberately undefined filler of the unmasked AVX-512
// intrinsics (_mm512_undefined_epi32) for an uninitialised variable.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include "algorithms/cpu_features.h"
#include "algorithms/whirlpool/whirlpool_tables.h"

#define SUMWISE_WHIRLPOOL_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,gfni")))

namespace sumwise::whirlpool_avx512 {

namespace {

// Product in GF(2^8) with Whirlpool's polynomial x^8 + x^4 + x^3 + x^2 + 1.
constexpr unsigned multiply(unsigned x, unsigned y) {
    unsigned product = 0;
    for (; y != 0; y >>= 1) {
        if (y & 1) product ^= x;
        x <<= 1;
        if (x & 0x100) x ^= 0x11D;
    }
    return product;
}

// The 8x8 bit matrix of x -> factor * x in the affine instruction's layout:
// byte 7 - i of the word selects the input bits that make output bit i.
constexpr long long multiplicationMatrix(unsigned factor) {
    unsigned long long matrix = 0;
    for (unsigned out = 0; out < 8; ++out) {
        unsigned row = 0;
        for (unsigned in = 0; in < 8; ++in) {
            if ((multiply(1u << in, factor) >> out) & 1) row |= 1u << in;
        }
        matrix |= static_cast<unsigned long long>(row) << (8 * (7 - out));
    }
    return static_cast<long long>(matrix);
}

struct Constants {
    __m512i sbox[4];       // the S-box in four 64-byte quarters
    __m512i shift;         // byte (i, j) takes byte (i - j mod 8, j)
    __m512i times[5];      // multiplication by 2, 4, 5, 8 and 9
    __m512i round[10];     // round constants, in row 0
    __m512i reverse;       // reverses the bytes of each word
};

SUMWISE_WHIRLPOOL_TARGET inline Constants makeConstants() {
    Constants k;
    for (int q = 0; q < 4; ++q) k.sbox[q] = _mm512_loadu_si512(whirlpool_tables::kSbox + 64 * q);
    alignas(64) std::uint8_t shift[64];
    alignas(64) std::uint8_t reverse[64];
    for (int p = 0; p < 64; ++p) {
        const int row = p / 8;
        const int column = p % 8;
        shift[p] = static_cast<std::uint8_t>(8 * ((row - column) & 7) + column);
        reverse[p] = static_cast<std::uint8_t>((p & 0x08) | (7 - column));  // within each 16-byte lane
    }
    k.shift = _mm512_load_si512(shift);
    k.reverse = _mm512_load_si512(reverse);
    const unsigned factors[5] = {2, 4, 5, 8, 9};
    for (int f = 0; f < 5; ++f) k.times[f] = _mm512_set1_epi64(multiplicationMatrix(factors[f]));
    for (int r = 0; r < 10; ++r) {
        // Row 0 takes the constant's bytes, most significant first.
        const auto word = static_cast<long long>(__builtin_bswap64(whirlpool_tables::kRoundConstants[r]));
        k.round[r] = _mm512_maskz_set1_epi64(1, word);
    }
    return k;
}

SUMWISE_WHIRLPOOL_TARGET [[gnu::always_inline]] inline __m512i xor3(__m512i a, __m512i b, __m512i c) {
    return _mm512_ternarylogic_epi64(a, b, c, 0x96);
}

// The round function: S-box, column shift, row mix, then the key added.
SUMWISE_WHIRLPOOL_TARGET [[gnu::always_inline]] inline __m512i round(__m512i x, __m512i key, const Constants& k) {
    x = _mm512_permutexvar_epi8(k.shift, x);
    const __m512i low = _mm512_permutex2var_epi8(k.sbox[0], x, k.sbox[1]);
    const __m512i high = _mm512_permutex2var_epi8(k.sbox[2], x, k.sbox[3]);
    x = _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high);
    // Row mix by circ(1, 1, 4, 1, 8, 5, 2, 9): column j + d of a row gains
    // the d-th factor times column j; moving up d columns is a rotation left
    // by 8d bits within the row's word.
    const __m512i x2 = _mm512_gf2p8affine_epi64_epi8(x, k.times[0], 0);
    const __m512i x4 = _mm512_gf2p8affine_epi64_epi8(x, k.times[1], 0);
    const __m512i x5 = _mm512_gf2p8affine_epi64_epi8(x, k.times[2], 0);
    const __m512i x8 = _mm512_gf2p8affine_epi64_epi8(x, k.times[3], 0);
    const __m512i x9 = _mm512_gf2p8affine_epi64_epi8(x, k.times[4], 0);
    const __m512i a = xor3(x, _mm512_rol_epi64(x, 8), _mm512_rol_epi64(x4, 16));
    const __m512i b = xor3(_mm512_rol_epi64(x, 24), _mm512_rol_epi64(x8, 32), _mm512_rol_epi64(x5, 40));
    const __m512i c = xor3(_mm512_rol_epi64(x2, 48), _mm512_rol_epi64(x9, 56), key);
    return xor3(a, b, c);
}

}  // namespace

bool supported() {
    const CpuFeatures& cpu = cpuFeatures();
    return cpu.avx512 && cpu.avx512vbmi && cpu.gfni;
}

SUMWISE_WHIRLPOOL_TARGET void compress(WhirlpoolState& hash, const std::uint8_t* blocks, std::size_t count) {
    const Constants k = makeConstants();
    // The chaining words hold rows most significant byte first; the
    // register holds them in memory order.
    __m512i h = _mm512_shuffle_epi8(_mm512_loadu_si512(hash), k.reverse);
    for (; count > 0; --count, blocks += 64) {
        const __m512i block = _mm512_loadu_si512(blocks);
        __m512i key = h;
        __m512i state = _mm512_xor_si512(block, key);
#pragma GCC unroll 10
        for (int r = 0; r < 10; ++r) {
            key = round(key, k.round[r], k);
            state = round(state, key, k);
        }
        h = xor3(h, state, block);
    }
    _mm512_storeu_si512(hash, _mm512_shuffle_epi8(h, k.reverse));
}

}  // namespace sumwise::whirlpool_avx512

#endif  // SUMWISE_WHIRLPOOL_AVX512
