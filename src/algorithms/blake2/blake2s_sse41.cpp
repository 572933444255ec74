// BLAKE2s with SSE4.1: each row of the 4x4 state in one 128-bit register,
// the four column steps (then the four diagonal steps) of a round at once.
// The diagonal steps use the same code after the rows are rotated against
// each other by word shuffles (all but row b, which the next step needs
// first), and rotated back after.
#include "algorithms/blake2/blake2_internal.h"

#if SUMWISE_BLAKE2_X86

#include <immintrin.h>

#include "algorithms/blake2/blake2s_rows.h"
#include "algorithms/bytes.h"

#define SUMWISE_BLAKE2_TARGET __attribute__((target("ssse3,sse4.1")))

namespace sumwise::blake2 {

namespace {

SUMWISE_BLAKE2_TARGET inline __m128i rotr16(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13));
}
SUMWISE_BLAKE2_TARGET inline __m128i rotr8(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12));
}
template <int Bits>
SUMWISE_BLAKE2_TARGET inline __m128i rotr(__m128i x) {
    return _mm_or_si128(_mm_srli_epi32(x, Bits), _mm_slli_epi32(x, 32 - Bits));
}

SUMWISE_BLAKE2_TARGET inline __attribute__((always_inline)) void g(__m128i& a, __m128i& b, __m128i& c, __m128i& d,
                                                                   __m128i x, __m128i y) {
    a = _mm_add_epi32(_mm_add_epi32(a, x), b);
    d = rotr16(_mm_xor_si128(d, a));
    c = _mm_add_epi32(c, d);
    b = rotr<12>(_mm_xor_si128(b, c));
    a = _mm_add_epi32(_mm_add_epi32(a, y), b);
    d = rotr8(_mm_xor_si128(d, a));
    c = _mm_add_epi32(c, d);
    b = rotr<7>(_mm_xor_si128(b, c));
}

// Words read straight from the block: a copy in a word array would be read
// back with wider loads than it was written with, which stalls.
SUMWISE_BLAKE2_TARGET inline __m128i words(const std::uint8_t* block, int w0, int w1, int w2, int w3) {
    const auto word = [block](int i) { return static_cast<int>(bytes::load32le(block + 4 * i)); };
    return _mm_set_epi32(word(w3), word(w2), word(w1), word(w0));
}

}  // namespace

SUMWISE_BLAKE2_TARGET void compress32Sse41(std::uint32_t* h, std::uint32_t* t, const std::uint8_t* blocks,
                                           std::size_t count, std::uint32_t increment, bool last) {
    __m128i h0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h));
    __m128i h1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4));
    const __m128i iv0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv32));
    const __m128i iv1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv32 + 4));
    for (; count > 0; --count, blocks += 64) {
        advance(t, increment);
        __m128i a = h0, b = h1, c = iv0;
        __m128i d = _mm_xor_si128(iv1, _mm_set_epi32(0, last ? -1 : 0, static_cast<int>(t[1]), static_cast<int>(t[0])));
#pragma GCC unroll 10
        for (int round = 0; round < 10; ++round) {
            const std::uint8_t* o = kSigma[round];
            g(a, b, c, d, words(blocks, o[0], o[2], o[4], o[6]), words(blocks, o[1], o[3], o[5], o[7]));
            diagonalize(a, c, d);
            g(a, b, c, d, words(blocks, o[14], o[8], o[10], o[12]), words(blocks, o[15], o[9], o[11], o[13]));
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
