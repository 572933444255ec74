// BLAKE2b with AVX2: each row of the 4x4 state in one 256-bit register, the
// four column steps (then the four diagonal steps) of a round at once. The
// diagonal steps use the same code after the rows are rotated against each
// other by word permutes (all but row b, which the next step needs first),
// and rotated back after.
#include "algorithms/blake2/blake2_internal.h"

#if SUMWISE_BLAKE2_X86

#include <immintrin.h>

#include "algorithms/bytes.h"

#define SUMWISE_BLAKE2_TARGET __attribute__((target("avx2")))

namespace sumwise::blake2 {

namespace {

SUMWISE_BLAKE2_TARGET inline __m256i rotr32(__m256i x) { return _mm256_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1)); }
SUMWISE_BLAKE2_TARGET inline __m256i rotr24(__m256i x) {
    return _mm256_shuffle_epi8(x, _mm256_setr_epi8(3, 4, 5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10, 3, 4, 5, 6,
                                                   7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10));
}
SUMWISE_BLAKE2_TARGET inline __m256i rotr16(__m256i x) {
    return _mm256_shuffle_epi8(x, _mm256_setr_epi8(2, 3, 4, 5, 6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9, 2, 3, 4, 5,
                                                   6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9));
}
SUMWISE_BLAKE2_TARGET inline __m256i rotr63(__m256i x) {
    return _mm256_xor_si256(_mm256_srli_epi64(x, 63), _mm256_add_epi64(x, x));
}

// One G on all four columns (or diagonals) at once.
SUMWISE_BLAKE2_TARGET inline __attribute__((always_inline)) void g(__m256i& a, __m256i& b, __m256i& c, __m256i& d,
                                                                   __m256i x, __m256i y) {
    a = _mm256_add_epi64(_mm256_add_epi64(a, x), b);
    d = rotr32(_mm256_xor_si256(d, a));
    c = _mm256_add_epi64(c, d);
    b = rotr24(_mm256_xor_si256(b, c));
    a = _mm256_add_epi64(_mm256_add_epi64(a, y), b);
    d = rotr16(_mm256_xor_si256(d, a));
    c = _mm256_add_epi64(c, d);
    b = rotr63(_mm256_xor_si256(b, c));
}

// Words read straight from the block: a copy in a word array would be read
// back with wider loads than it was written with, which stalls.
SUMWISE_BLAKE2_TARGET inline __m256i words(const std::uint8_t* block, int w0, int w1, int w2, int w3) {
    const auto word = [block](int i) { return static_cast<long long>(bytes::load64le(block + 8 * i)); };
    return _mm256_set_epi64x(word(w3), word(w2), word(w1), word(w0));
}

}  // namespace

SUMWISE_BLAKE2_TARGET void compress64Avx2(std::uint64_t* h, std::uint64_t* t, const std::uint8_t* blocks,
                                          std::size_t count, std::uint64_t increment, bool last) {
    __m256i h0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h));
    __m256i h1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + 4));
    const __m256i iv0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kIv64));
    const __m256i iv1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kIv64 + 4));
    for (; count > 0; --count, blocks += 128) {
        advance(t, increment);
        __m256i a = h0, b = h1, c = iv0;
        __m256i d = _mm256_xor_si256(iv1, _mm256_set_epi64x(0, last ? -1 : 0, static_cast<long long>(t[1]),
                                                            static_cast<long long>(t[0])));
#pragma GCC unroll 12
        for (int round = 0; round < 12; ++round) {
            const std::uint8_t* o = kSigma[round % 10];
            g(a, b, c, d, words(blocks, o[0], o[2], o[4], o[6]), words(blocks, o[1], o[3], o[5], o[7]));
            // Rows a, c and d rotated by -1, 1 and 2 words, so the diagonals become columns, the one
            // through v4 first. Row b stays: its permute would lie on the chain from one step to the next.
            a = _mm256_permute4x64_epi64(a, _MM_SHUFFLE(2, 1, 0, 3));
            c = _mm256_permute4x64_epi64(c, _MM_SHUFFLE(0, 3, 2, 1));
            d = _mm256_permute4x64_epi64(d, _MM_SHUFFLE(1, 0, 3, 2));
            g(a, b, c, d, words(blocks, o[14], o[8], o[10], o[12]), words(blocks, o[15], o[9], o[11], o[13]));
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
