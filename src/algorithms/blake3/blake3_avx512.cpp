// BLAKE3 with AVX-512: sixteen inputs at once, one per 32-bit lane, the
// message words transposed so that register k holds word k of every input;
// fewer than sixteen go to the AVX2 kernel. The one-block compression is the
// row form of the SSE4.1 one with the rotations of AVX-512VL.
#include "algorithms/blake3/blake3_internal.h"

#if SUMWISE_BLAKE3_X86

// GCC 12 takes the deliberately undefined filler of the unmasked AVX-512
// intrinsics (_mm512_undefined_epi32) for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#define SUMWISE_AVX512_TARGET __attribute__((target("avx512f,avx512vl,avx512bw,avx2,sse4.1,ssse3")))

namespace sumwise::blake3 {

namespace {

SUMWISE_AVX512_TARGET inline void g(__m512i& a, __m512i& b, __m512i& c, __m512i& d, __m512i x, __m512i y) {
    a = _mm512_add_epi32(_mm512_add_epi32(a, b), x);
    d = _mm512_ror_epi32(_mm512_xor_si512(d, a), 16);
    c = _mm512_add_epi32(c, d);
    b = _mm512_ror_epi32(_mm512_xor_si512(b, c), 12);
    a = _mm512_add_epi32(_mm512_add_epi32(a, b), y);
    d = _mm512_ror_epi32(_mm512_xor_si512(d, a), 8);
    c = _mm512_add_epi32(c, d);
    b = _mm512_ror_epi32(_mm512_xor_si512(b, c), 7);
}

SUMWISE_AVX512_TARGET inline void g(__m128i& a, __m128i& b, __m128i& c, __m128i& d, __m128i x, __m128i y) {
    a = _mm_add_epi32(_mm_add_epi32(a, b), x);
    d = _mm_ror_epi32(_mm_xor_si128(d, a), 16);
    c = _mm_add_epi32(c, d);
    b = _mm_ror_epi32(_mm_xor_si128(b, c), 12);
    a = _mm_add_epi32(_mm_add_epi32(a, b), y);
    d = _mm_ror_epi32(_mm_xor_si128(d, a), 8);
    c = _mm_add_epi32(c, d);
    b = _mm_ror_epi32(_mm_xor_si128(b, c), 7);
}

SUMWISE_AVX512_TARGET inline __m128i words(const std::uint32_t* m, const std::uint8_t* s) {
    return _mm_setr_epi32(static_cast<int>(m[s[0]]), static_cast<int>(m[s[2]]), static_cast<int>(m[s[4]]),
                          static_cast<int>(m[s[6]]));
}

// Rows r[0..15] (sixteen words each) become columns: r[k] then holds word k
// of every row. Pairs of rows interleave by words, then by word pairs, which
// leaves 128-bit lane q of a group of four rows with their words 4q..4q+3;
// two rounds of 128-bit lane shuffles gather each word's four lanes.
SUMWISE_AVX512_TARGET inline void transpose(__m512i r[16]) {
    __m512i group[4][4];
    for (int g4 = 0; g4 < 4; ++g4) {
        const __m512i lo0 = _mm512_unpacklo_epi32(r[4 * g4], r[4 * g4 + 1]);
        const __m512i hi0 = _mm512_unpackhi_epi32(r[4 * g4], r[4 * g4 + 1]);
        const __m512i lo1 = _mm512_unpacklo_epi32(r[4 * g4 + 2], r[4 * g4 + 3]);
        const __m512i hi1 = _mm512_unpackhi_epi32(r[4 * g4 + 2], r[4 * g4 + 3]);
        group[g4][0] = _mm512_unpacklo_epi64(lo0, lo1);
        group[g4][1] = _mm512_unpackhi_epi64(lo0, lo1);
        group[g4][2] = _mm512_unpacklo_epi64(hi0, hi1);
        group[g4][3] = _mm512_unpackhi_epi64(hi0, hi1);
    }
    for (int w = 0; w < 4; ++w) {
        const __m512i low01 = _mm512_shuffle_i32x4(group[0][w], group[1][w], 0x44);
        const __m512i high01 = _mm512_shuffle_i32x4(group[0][w], group[1][w], 0xEE);
        const __m512i low23 = _mm512_shuffle_i32x4(group[2][w], group[3][w], 0x44);
        const __m512i high23 = _mm512_shuffle_i32x4(group[2][w], group[3][w], 0xEE);
        r[w] = _mm512_shuffle_i32x4(low01, low23, 0x88);
        r[w + 4] = _mm512_shuffle_i32x4(low01, low23, 0xDD);
        r[w + 8] = _mm512_shuffle_i32x4(high01, high23, 0x88);
        r[w + 12] = _mm512_shuffle_i32x4(high01, high23, 0xDD);
    }
}

// One block of sixteen inputs, `stride` bytes apart.
SUMWISE_AVX512_TARGET void compressSixteen(__m512i h[8], const std::uint8_t* block, std::size_t stride,
                                           __m512i counterLow, __m512i counterHigh, std::uint32_t flags) {
    __m512i m[16];
    for (int j = 0; j < 16; ++j) m[j] = _mm512_loadu_si512(block + j * stride);
    transpose(m);
    __m512i v[16] = {h[0],
                     h[1],
                     h[2],
                     h[3],
                     h[4],
                     h[5],
                     h[6],
                     h[7],
                     _mm512_set1_epi32(static_cast<int>(kIv[0])),
                     _mm512_set1_epi32(static_cast<int>(kIv[1])),
                     _mm512_set1_epi32(static_cast<int>(kIv[2])),
                     _mm512_set1_epi32(static_cast<int>(kIv[3])),
                     counterLow,
                     counterHigh,
                     _mm512_set1_epi32(static_cast<int>(kBlockBytes)),
                     _mm512_set1_epi32(static_cast<int>(flags))};
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
    for (int i = 0; i < 8; ++i) h[i] = _mm512_xor_si512(v[i], v[i + 8]);
}

}  // namespace

SUMWISE_AVX512_TARGET void compressAvx512(std::uint32_t cv[8], const std::uint8_t block[64],
                                          std::uint32_t blockLength, std::uint64_t counter, std::uint32_t flags) {
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
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cv), _mm_xor_si128(row0, row2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cv + 4), _mm_xor_si128(row1, row3));
}

SUMWISE_AVX512_TARGET void hashManyAvx512(const std::uint8_t* input, std::size_t count, std::size_t blocks,
                                          const std::uint32_t key[8], std::uint64_t counter, bool incrementCounter,
                                          std::uint32_t flags, std::uint32_t flagsStart, std::uint32_t flagsEnd,
                                          std::uint8_t* out) {
    const std::size_t stride = blocks * kBlockBytes;
    for (; count >= 16; count -= 16, input += 16 * stride, out += 16 * kCvBytes, counter += incrementCounter ? 16 : 0) {
        // Each lane's counter, the carry into the high word included.
        const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        const __m512i base = _mm512_set1_epi32(static_cast<int>(counter));
        const __m512i counterLow = incrementCounter ? _mm512_add_epi32(base, lane) : base;
        const __mmask16 carry = _mm512_cmplt_epu32_mask(counterLow, base);
        const __m512i counterHigh = _mm512_mask_add_epi32(_mm512_set1_epi32(static_cast<int>(counter >> 32)), carry,
                                                          _mm512_set1_epi32(static_cast<int>(counter >> 32)),
                                                          _mm512_set1_epi32(1));
        __m512i h[16];
        for (int i = 0; i < 8; ++i) h[i] = _mm512_set1_epi32(static_cast<int>(key[i]));
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::uint32_t blockFlags = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
            compressSixteen(h, input + b * kBlockBytes, stride, counterLow, counterHigh, blockFlags);
        }
        // Word-major back to one chaining value per input: the same
        // transpose, over eight rows of zeros below the eight words.
        for (int i = 8; i < 16; ++i) h[i] = _mm512_setzero_si512();
        transpose(h);
        for (int j = 0; j < 16; ++j) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + kCvBytes * j), _mm512_castsi512_si256(h[j]));
        }
    }
    hashManyAvx2(input, count, blocks, key, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace sumwise::blake3

#endif
