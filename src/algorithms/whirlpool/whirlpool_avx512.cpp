// Whirlpool with the whole 8x8-byte state in one 512-bit register: the
// column shift is one byte permute, the S-box two 128-byte table permutes
// and a blend, and the row mix five GF(2^8) multiplications by constants
// (affine transforms) plus rotations within each row. The state is kept in
// memory byte order, so lane i is row i and byte j of a lane is column j.
#include "algorithms/whirlpool/whirlpool_internal.h"

#if SUMWISE_WHIRLPOOL_AVX512

// GCC 12 takes the deliberately undefined filler of the unmasked AVX-512
// intrinsics (_mm512_undefined_epi32) for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "algorithms/cpu_features.h"
#include "algorithms/whirlpool/whirlpool_tables.h"

#define SUMWISE_WHIRLPOOL_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,gfni")))

namespace sumwise::whirlpool_avx512 {

namespace {

struct alignas(64) Lanes {
    std::uint64_t word[8];
};

// Byte (i, j) of the column shift takes byte (i - j mod 8, j).
constexpr Lanes makeShift() {
    Lanes shift{};
    for (unsigned p = 0; p < 64; ++p) {
        const unsigned source = 8 * ((p / 8 - p % 8) & 7) + p % 8;
        shift.word[p / 8] |= static_cast<std::uint64_t>(source) << (8 * (p % 8));
    }
    return shift;
}

// Reverses the bytes of each word (a byte shuffle within 16-byte lanes).
constexpr Lanes makeReverse() {
    Lanes reverse{};
    for (unsigned p = 0; p < 64; ++p) {
        const unsigned source = (p & 8) | (7 - p % 8);
        reverse.word[p / 8] |= static_cast<std::uint64_t>(source) << (8 * (p % 8));
    }
    return reverse;
}

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
constexpr std::uint64_t multiplication(unsigned factor) {
    std::uint64_t matrix = 0;
    for (unsigned out = 0; out < 8; ++out) {
        std::uint64_t row = 0;
        for (unsigned in = 0; in < 8; ++in) {
            if ((multiply(1u << in, factor) >> out) & 1) row |= 1u << in;
        }
        matrix |= row << (8 * (7 - out));
    }
    return matrix;
}

constexpr Lanes kShift = makeShift();
constexpr Lanes kReverse = makeReverse();
// The row's factors other than 1, in the order the round uses them.
constexpr std::uint64_t kTimes[5] = {multiplication(2), multiplication(4), multiplication(5), multiplication(8),
                                     multiplication(9)};

[[gnu::always_inline]] SUMWISE_WHIRLPOOL_TARGET inline __m512i load(const Lanes& lanes) {
    return _mm512_load_si512(lanes.word);
}

[[gnu::always_inline]] SUMWISE_WHIRLPOOL_TARGET inline __m512i xor3(__m512i a, __m512i b, __m512i c) {
    return _mm512_ternarylogic_epi64(a, b, c, 0x96);
}

[[gnu::always_inline]] SUMWISE_WHIRLPOOL_TARGET inline __m512i times(__m512i x, int factor) {
    return _mm512_gf2p8affine_epi64_epi8(x, _mm512_set1_epi64(static_cast<long long>(kTimes[factor])), 0);
}

// The round function: column shift, S-box, row mix, then the key added.
[[gnu::always_inline]] SUMWISE_WHIRLPOOL_TARGET inline __m512i round(__m512i x, __m512i key) {
    using whirlpool_tables::kSbox;
    x = _mm512_permutexvar_epi8(load(kShift), x);
    const __m512i low = _mm512_permutex2var_epi8(_mm512_loadu_si512(kSbox), x, _mm512_loadu_si512(kSbox + 64));
    const __m512i high =
        _mm512_permutex2var_epi8(_mm512_loadu_si512(kSbox + 128), x, _mm512_loadu_si512(kSbox + 192));
    x = _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high);
    // Row mix by circ(1, 1, 4, 1, 8, 5, 2, 9): column j + d of a row gains
    // the d-th factor times column j; moving up d columns is a rotation left
    // by 8d bits within the row's word.
    const __m512i x2 = times(x, 0);
    const __m512i x4 = times(x, 1);
    const __m512i x5 = times(x, 2);
    const __m512i x8 = times(x, 3);
    const __m512i x9 = times(x, 4);
    const __m512i a = xor3(x, _mm512_rol_epi64(x, 8), _mm512_rol_epi64(x4, 16));
    const __m512i b = xor3(_mm512_rol_epi64(x, 24), _mm512_rol_epi64(x8, 32), _mm512_rol_epi64(x5, 40));
    const __m512i c = xor3(_mm512_rol_epi64(x2, 48), _mm512_rol_epi64(x9, 56), key);
    return xor3(a, b, c);
}

}  // namespace

bool supported(const CpuFeatures& cpu) {
    return hasAvx512(cpu) && cpu.avx512vbmi && cpu.gfni;
}

SUMWISE_WHIRLPOOL_TARGET void compress(std::uint64_t* hash, const std::uint8_t* blocks, std::size_t count) {
    // The chaining words hold rows most significant byte first; the
    // register holds them in memory order.
    __m512i h = _mm512_shuffle_epi8(_mm512_loadu_si512(hash), load(kReverse));
    for (; count > 0; --count, blocks += 64) {
        const __m512i block = _mm512_loadu_si512(blocks);
        __m512i key = h;
        __m512i state = _mm512_xor_si512(block, key);
#pragma GCC unroll 10
        for (int r = 0; r < 10; ++r) {
            // The round constant goes into the key's first row.
            const auto constant = static_cast<long long>(__builtin_bswap64(whirlpool_tables::kRoundConstants[r]));
            key = round(key, _mm512_maskz_set1_epi64(1, constant));
            state = round(state, key);
        }
        h = xor3(h, state, block);
    }
    _mm512_storeu_si512(hash, _mm512_shuffle_epi8(h, load(kReverse)));
}

}  // namespace sumwise::whirlpool_avx512

#endif  // SUMWISE_WHIRLPOOL_AVX512
