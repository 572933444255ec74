// BLAKE2s with AVX-512: each row of the 4x4 state in one 128-bit register,
// the four column steps (then the four diagonal steps) of a round at once,
// with one-instruction rotates, and the message words of a round picked from
// the block in one 512-bit register by one permute.
// The diagonal steps use the same code after the rows are rotated against
// each other by word shuffles (all but row b, which the next step needs
// first), and rotated back after.
#include "algorithms/blake2/blake2_internal.h"

#if SUMWISE_BLAKE2_X86

// GCC 12 takes the deliberately undefined filler of the unmasked AVX-512
// intrinsics (_mm512_undefined_epi32) for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#include "algorithms/blake2/blake2s_rows.h"

#define SUMWISE_BLAKE2_TARGET __attribute__((target("avx512f,avx512vl")))

namespace sumwise::blake2 {

namespace {

// Per round, the word numbers of the column steps' first message words, their second ones,
// then those of the diagonal steps, in four 128-bit quarters.
struct alignas(64) Schedule {
    std::uint32_t index[10][16];
};

constexpr Schedule makeSchedule() {
    Schedule schedule{};
    for (int round = 0; round < 10; ++round) {
        for (int i = 0; i < 16; ++i) {
            // The diagonal steps start with the last diagonal (see the rotation of the rows below).
            const int step = i < 8 ? i % 4 : (i + 3) % 4;
            schedule.index[round][i] = kSigma[round][8 * (i / 8) + 2 * step + (i / 4) % 2];
        }
    }
    return schedule;
}

constexpr Schedule kSchedule = makeSchedule();

SUMWISE_BLAKE2_TARGET inline __attribute__((always_inline)) void g(__m128i& a, __m128i& b, __m128i& c, __m128i& d,
                                                                   __m128i x, __m128i y) {
    a = _mm_add_epi32(_mm_add_epi32(a, x), b);
    d = _mm_ror_epi32(_mm_xor_si128(d, a), 16);
    c = _mm_add_epi32(c, d);
    b = _mm_ror_epi32(_mm_xor_si128(b, c), 12);
    a = _mm_add_epi32(_mm_add_epi32(a, y), b);
    d = _mm_ror_epi32(_mm_xor_si128(d, a), 8);
    c = _mm_add_epi32(c, d);
    b = _mm_ror_epi32(_mm_xor_si128(b, c), 7);
}


}  // namespace

SUMWISE_BLAKE2_TARGET void compress32Avx512(std::uint32_t* h, std::uint32_t* t, const std::uint8_t* blocks,
                                           std::size_t count, std::uint32_t increment, bool last) {
    __m128i h0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h));
    __m128i h1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4));
    const __m128i iv0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv32));
    const __m128i iv1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv32 + 4));
    for (; count > 0; --count, blocks += 64) {
        // The message is little-endian, as the processor's words.
        const __m512i m = _mm512_loadu_si512(blocks);
        advance(t, increment);
        __m128i a = h0, b = h1, c = iv0;
        __m128i d = _mm_xor_si128(iv1, _mm_set_epi32(0, last ? -1 : 0, static_cast<int>(t[1]), static_cast<int>(t[0])));
#pragma GCC unroll 10
        for (int round = 0; round < 10; ++round) {
            const __m512i words = _mm512_permutexvar_epi32(_mm512_load_si512(kSchedule.index[round]), m);
            g(a, b, c, d, _mm512_castsi512_si128(words), _mm512_extracti32x4_epi32(words, 1));
            diagonalize(a, c, d);
            g(a, b, c, d, _mm512_extracti32x4_epi32(words, 2), _mm512_extracti32x4_epi32(words, 3));
            undiagonalize(a, c, d);
        }
        h0 = _mm_xor_si128(h0, _mm_xor_si128(a, c));
        h1 = _mm_xor_si128(h1, _mm_xor_si128(b, d));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), h0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), h1);
}

}  // namespace sumwise::blake2

#endif
