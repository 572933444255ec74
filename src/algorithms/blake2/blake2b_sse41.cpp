// BLAKE2b with SSE4.1: each row of the 4x4 state in two 128-bit registers,
// the four column steps (then the four diagonal steps) of a round done two
// at a time. The diagonal steps use the same code after the rows are
// rotated against each other, and rotated back after.
#include "algorithms/blake2/blake2_internal.h"

#if SUMWISE_BLAKE2_X86

#include <immintrin.h>

#include <utility>

#include "algorithms/bytes.h"

#define SUMWISE_BLAKE2_TARGET __attribute__((target("ssse3,sse4.1")))

namespace sumwise::blake2 {

namespace {

SUMWISE_BLAKE2_TARGET inline __m128i rotr32(__m128i x) { return _mm_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1)); }
SUMWISE_BLAKE2_TARGET inline __m128i rotr24(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(3, 4, 5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10));
}
SUMWISE_BLAKE2_TARGET inline __m128i rotr16(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(2, 3, 4, 5, 6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9));
}
SUMWISE_BLAKE2_TARGET inline __m128i rotr63(__m128i x) {
    return _mm_xor_si128(_mm_srli_epi64(x, 63), _mm_add_epi64(x, x));
}

struct Rows {
    __m128i al, ah, bl, bh, cl, ch, dl, dh;  // rows a (v0-v3), b (v4-v7), c (v8-v11), d (v12-v15)
};

// Half of G on all four columns: a += b + message; d = (d ^ a) >>> r1; c += d; b = (b ^ c) >>> r2.
template <bool First>
SUMWISE_BLAKE2_TARGET inline __attribute__((always_inline)) void halfG(Rows& s, __m128i ml, __m128i mh) {
    s.al = _mm_add_epi64(_mm_add_epi64(s.al, s.bl), ml);
    s.ah = _mm_add_epi64(_mm_add_epi64(s.ah, s.bh), mh);
    s.dl = _mm_xor_si128(s.dl, s.al);
    s.dh = _mm_xor_si128(s.dh, s.ah);
    s.dl = First ? rotr32(s.dl) : rotr16(s.dl);
    s.dh = First ? rotr32(s.dh) : rotr16(s.dh);
    s.cl = _mm_add_epi64(s.cl, s.dl);
    s.ch = _mm_add_epi64(s.ch, s.dh);
    s.bl = _mm_xor_si128(s.bl, s.cl);
    s.bh = _mm_xor_si128(s.bh, s.ch);
    s.bl = First ? rotr24(s.bl) : rotr63(s.bl);
    s.bh = First ? rotr24(s.bh) : rotr63(s.bh);
}

// Rotates rows b, c and d left by one, two and three words, so the diagonals become columns.
SUMWISE_BLAKE2_TARGET inline __attribute__((always_inline)) void diagonalize(Rows& s) {
    const __m128i b0 = _mm_alignr_epi8(s.bh, s.bl, 8), b1 = _mm_alignr_epi8(s.bl, s.bh, 8);
    s.bl = b0;
    s.bh = b1;
    std::swap(s.cl, s.ch);
    const __m128i d0 = _mm_alignr_epi8(s.dl, s.dh, 8), d1 = _mm_alignr_epi8(s.dh, s.dl, 8);
    s.dl = d0;
    s.dh = d1;
}

SUMWISE_BLAKE2_TARGET inline __attribute__((always_inline)) void undiagonalize(Rows& s) {
    const __m128i b0 = _mm_alignr_epi8(s.bl, s.bh, 8), b1 = _mm_alignr_epi8(s.bh, s.bl, 8);
    s.bl = b0;
    s.bh = b1;
    std::swap(s.cl, s.ch);
    const __m128i d0 = _mm_alignr_epi8(s.dh, s.dl, 8), d1 = _mm_alignr_epi8(s.dl, s.dh, 8);
    s.dl = d0;
    s.dh = d1;
}

// Words read straight from the block: a copy in a word array would be read
// back with wider loads than it was written with, which stalls.
SUMWISE_BLAKE2_TARGET inline __m128i pair(const std::uint8_t* block, int low, int high) {
    return _mm_set_epi64x(static_cast<long long>(bytes::load64le(block + 8 * high)),
                          static_cast<long long>(bytes::load64le(block + 8 * low)));
}

}  // namespace

SUMWISE_BLAKE2_TARGET void compress64Sse41(std::uint64_t* h, std::uint64_t* t, const std::uint8_t* blocks,
                                           std::size_t count, std::uint64_t increment, bool last) {
    const __m128i h01 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h));
    const __m128i h23 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 2));
    const __m128i h45 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4));
    const __m128i h67 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 6));
    Rows chain{h01, h23, h45, h67, {}, {}, {}, {}};
    for (; count > 0; --count, blocks += 128) {
        advance(t, increment);
        Rows s = chain;
        s.cl = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv64));
        s.ch = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv64 + 2));
        s.dl = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv64 + 4)),
                             _mm_set_epi64x(static_cast<long long>(t[1]), static_cast<long long>(t[0])));
        s.dh = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv64 + 6)),
                             _mm_set_epi64x(0, last ? -1 : 0));
#pragma GCC unroll 12
        for (int round = 0; round < 12; ++round) {
            const std::uint8_t* o = kSigma[round % 10];
            halfG<true>(s, pair(blocks, o[0], o[2]), pair(blocks, o[4], o[6]));
            halfG<false>(s, pair(blocks, o[1], o[3]), pair(blocks, o[5], o[7]));
            diagonalize(s);
            halfG<true>(s, pair(blocks, o[8], o[10]), pair(blocks, o[12], o[14]));
            halfG<false>(s, pair(blocks, o[9], o[11]), pair(blocks, o[13], o[15]));
            undiagonalize(s);
        }
        chain.al = _mm_xor_si128(chain.al, _mm_xor_si128(s.al, s.cl));
        chain.ah = _mm_xor_si128(chain.ah, _mm_xor_si128(s.ah, s.ch));
        chain.bl = _mm_xor_si128(chain.bl, _mm_xor_si128(s.bl, s.dl));
        chain.bh = _mm_xor_si128(chain.bh, _mm_xor_si128(s.bh, s.dh));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), chain.al);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 2), chain.ah);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), chain.bl);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 6), chain.bh);
}

}  // namespace sumwise::blake2

#endif
