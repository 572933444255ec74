// BLAKE3 with SSE4.1: one block with the state as four rows of a 4x4 matrix,
// and four inputs at once with one input per lane (the message words
// transposed so that register k holds word k of every input).
#include "algorithms/blake3/blake3_internal.h"

#if SUMWISE_BLAKE3_X86

#include <immintrin.h>

#define SUMWISE_SSE41_TARGET __attribute__((target("sse4.1,ssse3")))

namespace sumwise::blake3 {

namespace {

SUMWISE_SSE41_TARGET inline __m128i add(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
SUMWISE_SSE41_TARGET inline __m128i xorv(__m128i a, __m128i b) { return _mm_xor_si128(a, b); }
SUMWISE_SSE41_TARGET inline __m128i rot16(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13));
}
SUMWISE_SSE41_TARGET inline __m128i rot12(__m128i x) { return _mm_or_si128(_mm_srli_epi32(x, 12), _mm_slli_epi32(x, 20)); }
SUMWISE_SSE41_TARGET inline __m128i rot8(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12));
}
SUMWISE_SSE41_TARGET inline __m128i rot7(__m128i x) { return _mm_or_si128(_mm_srli_epi32(x, 7), _mm_slli_epi32(x, 25)); }

SUMWISE_SSE41_TARGET inline void g(__m128i& a, __m128i& b, __m128i& c, __m128i& d, __m128i x, __m128i y) {
    a = add(add(a, b), x);
    d = rot16(xorv(d, a));
    c = add(c, d);
    b = rot12(xorv(b, c));
    a = add(add(a, b), y);
    d = rot8(xorv(d, a));
    c = add(c, d);
    b = rot7(xorv(b, c));
}

SUMWISE_SSE41_TARGET inline __m128i words(const std::uint32_t* m, const std::uint8_t* s) {
    return _mm_setr_epi32(static_cast<int>(m[s[0]]), static_cast<int>(m[s[2]]), static_cast<int>(m[s[4]]),
                          static_cast<int>(m[s[6]]));
}

// Four lanes of message word k, one from each input.
SUMWISE_SSE41_TARGET inline void transpose(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    const __m128i ab01 = _mm_unpacklo_epi32(a, b);
    const __m128i cd01 = _mm_unpacklo_epi32(c, d);
    const __m128i ab23 = _mm_unpackhi_epi32(a, b);
    const __m128i cd23 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(ab01, cd01);
    b = _mm_unpackhi_epi64(ab01, cd01);
    c = _mm_unpacklo_epi64(ab23, cd23);
    d = _mm_unpackhi_epi64(ab23, cd23);
}

SUMWISE_SSE41_TARGET inline __m128i load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// One block of four inputs, `stride` bytes apart.
SUMWISE_SSE41_TARGET void compressFour(__m128i h[8], const std::uint8_t* block, std::size_t stride, __m128i counterLow,
                                       __m128i counterHigh, std::uint32_t flags) {
    __m128i m[16];
    for (int k = 0; k < 4; ++k) {
        m[4 * k] = load(block + 16 * k);
        m[4 * k + 1] = load(block + stride + 16 * k);
        m[4 * k + 2] = load(block + 2 * stride + 16 * k);
        m[4 * k + 3] = load(block + 3 * stride + 16 * k);
        transpose(m[4 * k], m[4 * k + 1], m[4 * k + 2], m[4 * k + 3]);
    }
    __m128i v[16] = {h[0],
                     h[1],
                     h[2],
                     h[3],
                     h[4],
                     h[5],
                     h[6],
                     h[7],
                     _mm_set1_epi32(static_cast<int>(kIv[0])),
                     _mm_set1_epi32(static_cast<int>(kIv[1])),
                     _mm_set1_epi32(static_cast<int>(kIv[2])),
                     _mm_set1_epi32(static_cast<int>(kIv[3])),
                     counterLow,
                     counterHigh,
                     _mm_set1_epi32(static_cast<int>(kBlockBytes)),
                     _mm_set1_epi32(static_cast<int>(flags))};
#pragma GCC unroll 7
    for (int r = 0; r < 7; ++r) {
        const std::uint8_t* s = kSchedule.word[r];
        g(v[0], v[4], v[8], v[12], m[s[0]], m[s[1]]);
        g(v[1], v[5], v[9], v[13], m[s[2]], m[s[3]]);
        g(v[2], v[6], v[10], v[14], m[s[4]], m[s[5]]);
        g(v[3], v[7], v[11], v[15], m[s[6]], m[s[7]]);
        g(v[0], v[5], v[10], v[15], m[s[8]], m[s[9]]);
        g(v[1], v[6], v[11], v[12], m[s[10]], m[s[11]]);
        g(v[2], v[7], v[8], v[13], m[s[12]], m[s[13]]);
        g(v[3], v[4], v[9], v[14], m[s[14]], m[s[15]]);
    }
    for (int i = 0; i < 8; ++i) h[i] = xorv(v[i], v[i + 8]);
}

}  // namespace

SUMWISE_SSE41_TARGET void compressSse41(std::uint32_t cv[8], const std::uint8_t block[64], std::uint32_t blockLength,
                                        std::uint64_t counter, std::uint32_t flags) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) m[i] = bytes::loadLittle<std::uint32_t>(block + 4 * i);
    __m128i row0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cv));
    __m128i row1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cv + 4));
    __m128i row2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv));
    __m128i row3 = _mm_setr_epi32(static_cast<int>(counter), static_cast<int>(counter >> 32),
                                  static_cast<int>(blockLength), static_cast<int>(flags));
    for (const auto& s : kSchedule.word) {
        g(row0, row1, row2, row3, words(m, s), words(m, s + 1));
        // Turn the diagonals into columns, and back after.
        row1 = _mm_shuffle_epi32(row1, _MM_SHUFFLE(0, 3, 2, 1));
        row2 = _mm_shuffle_epi32(row2, _MM_SHUFFLE(1, 0, 3, 2));
        row3 = _mm_shuffle_epi32(row3, _MM_SHUFFLE(2, 1, 0, 3));
        g(row0, row1, row2, row3, words(m, s + 8), words(m, s + 9));
        row1 = _mm_shuffle_epi32(row1, _MM_SHUFFLE(2, 1, 0, 3));
        row2 = _mm_shuffle_epi32(row2, _MM_SHUFFLE(1, 0, 3, 2));
        row3 = _mm_shuffle_epi32(row3, _MM_SHUFFLE(0, 3, 2, 1));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cv), xorv(row0, row2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cv + 4), xorv(row1, row3));
}

SUMWISE_SSE41_TARGET void hashManySse41(const std::uint8_t* input, std::size_t count, std::size_t blocks,
                                        const std::uint32_t key[8], std::uint64_t counter, bool incrementCounter,
                                        std::uint32_t flags, std::uint32_t flagsStart, std::uint32_t flagsEnd,
                                        std::uint8_t* out) {
    const std::size_t stride = blocks * kBlockBytes;
    for (; count >= 4; count -= 4, input += 4 * stride, out += 4 * kCvBytes, counter += incrementCounter ? 4 : 0) {
        std::uint32_t low[4];
        std::uint32_t high[4];
        for (unsigned j = 0; j < 4; ++j) {
            const std::uint64_t c = counter + (incrementCounter ? j : 0);
            low[j] = static_cast<std::uint32_t>(c);
            high[j] = static_cast<std::uint32_t>(c >> 32);
        }
        const __m128i counterLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
        const __m128i counterHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
        __m128i h[8];
        for (int i = 0; i < 8; ++i) h[i] = _mm_set1_epi32(static_cast<int>(key[i]));
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::uint32_t blockFlags = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
            compressFour(h, input + b * kBlockBytes, stride, counterLow, counterHigh, blockFlags);
        }
        // Back from word-major to one chaining value per input.
        std::uint32_t lanes[8][4];
        for (int i = 0; i < 8; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes[i]), h[i]);
        for (int j = 0; j < 4; ++j) {
            for (int i = 0; i < 8; ++i) bytes::storeLittle(out + kCvBytes * j + 4 * i, lanes[i][j]);
        }
    }
    hashSerially(compressSse41, input, count, blocks, key, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace sumwise::blake3

#endif
