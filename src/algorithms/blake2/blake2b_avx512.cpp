// BLAKE2b with AVX-512: the layout of the AVX2 code (one row per 256-bit
// register), with the rotates done by one instruction each, and the message
// words of each half round picked from the block in two 512-bit registers by
// one two-table permute instead of word-by-word inserts.
#include "algorithms/blake2/blake2_internal.h"

#if SUMWISE_BLAKE2_X86

// GCC 12 takes the deliberately undefined filler of the unmasked AVX-512
// intrinsics (_mm512_undefined_epi32) for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define SUMWISE_BLAKE2_TARGET __attribute__((target("avx512f,avx512vl")))

namespace sumwise::blake2 {

namespace {

// Per round, the word numbers of the column steps' first and second
// message words (one 256-bit half each), then those of the diagonal steps.
struct alignas(64) Schedule {
    std::uint64_t index[12][2][8];
};

constexpr Schedule makeSchedule() {
    Schedule schedule{};
    for (int round = 0; round < 12; ++round) {
        for (int half = 0; half < 2; ++half) {
            for (int i = 0; i < 8; ++i) {
                // i < 4: words 0, 2, 4, 6 of the half's eight; i >= 4: words 1, 3, 5, 7. The diagonal
                // steps start with the last diagonal (see the rotation of the rows below).
                const int step = half == 0 ? i % 4 : (i + 3) % 4;
                schedule.index[round][half][i] = kSigma[round % 10][8 * half + 2 * step + i / 4];
            }
        }
    }
    return schedule;
}

constexpr Schedule kSchedule = makeSchedule();

SUMWISE_BLAKE2_TARGET inline __attribute__((always_inline)) void g(__m256i& a, __m256i& b, __m256i& c, __m256i& d,
                                                                   __m512i words) {
    a = _mm256_add_epi64(_mm256_add_epi64(a, _mm512_castsi512_si256(words)), b);
    d = _mm256_ror_epi64(_mm256_xor_si256(d, a), 32);
    c = _mm256_add_epi64(c, d);
    b = _mm256_ror_epi64(_mm256_xor_si256(b, c), 24);
    a = _mm256_add_epi64(_mm256_add_epi64(a, _mm512_extracti64x4_epi64(words, 1)), b);
    d = _mm256_ror_epi64(_mm256_xor_si256(d, a), 16);
    c = _mm256_add_epi64(c, d);
    b = _mm256_ror_epi64(_mm256_xor_si256(b, c), 63);
}

}  // namespace

SUMWISE_BLAKE2_TARGET void compress64Avx512(std::uint64_t* h, std::uint64_t* t, const std::uint8_t* blocks,
                                            std::size_t count, std::uint64_t increment, bool last) {
    __m256i h0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h));
    __m256i h1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + 4));
    const __m256i iv0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kIv64));
    const __m256i iv1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kIv64 + 4));
    for (; count > 0; --count, blocks += 128) {
        // The message is little-endian, as the processor's words.
        const __m512i low = _mm512_loadu_si512(blocks);
        const __m512i high = _mm512_loadu_si512(blocks + 64);
        advance(t, increment);
        __m256i a = h0, b = h1, c = iv0;
        __m256i d = _mm256_xor_si256(iv1, _mm256_set_epi64x(0, last ? -1 : 0, static_cast<long long>(t[1]),
                                                            static_cast<long long>(t[0])));
#pragma GCC unroll 12
        for (int round = 0; round < 12; ++round) {
            const __m512i columns = _mm512_load_si512(kSchedule.index[round][0]);
            const __m512i diagonals = _mm512_load_si512(kSchedule.index[round][1]);
            g(a, b, c, d, _mm512_permutex2var_epi64(low, columns, high));
            // Rows a, c and d rotated by -1, 1 and 2 words, so the diagonals become columns, the one
            // through v4 first. Row b stays: its permute would lie on the chain from one step to the next.
            a = _mm256_permute4x64_epi64(a, _MM_SHUFFLE(2, 1, 0, 3));
            c = _mm256_permute4x64_epi64(c, _MM_SHUFFLE(0, 3, 2, 1));
            d = _mm256_permute4x64_epi64(d, _MM_SHUFFLE(1, 0, 3, 2));
            g(a, b, c, d, _mm512_permutex2var_epi64(low, diagonals, high));
            a = _mm256_permute4x64_epi64(a, _MM_SHUFFLE(0, 3, 2, 1));
            c = _mm256_permute4x64_epi64(c, _MM_SHUFFLE(2, 1, 0, 3));
            d = _mm256_permute4x64_epi64(d, _MM_SHUFFLE(1, 0, 3, 2));
        }
        h0 = _mm256_xor_si256(h0, _mm256_xor_si256(a, c));
        h1 = _mm256_xor_si256(h1, _mm256_xor_si256(b, d));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(h), h0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(h + 4), h1);
}

}  // namespace sumwise::blake2

#endif
