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
#define SUMWISE_BLAKE3_TARGET __attribute__((target("avx512f,avx512vl,avx512bw,avx2,sse4.1,ssse3")))

#include "algorithms/blake3/blake3_simd.h"

namespace sumwise::blake3 {

namespace {

// Rows r[0..15] (sixteen words each) become columns: r[k] then holds word k
// of every row. Pairs of rows interleave by words, then by word pairs, which
// leaves 128-bit lane q of a group of four rows with their words 4q..4q+3;
// two rounds of 128-bit lane shuffles gather each word's four lanes.
SUMWISE_BLAKE3_TARGET inline void transpose(__m512i r[16]) {
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

// Sixteen 32-bit lanes, or the rows of one block, for the shared code in
// blake3_simd.h.
struct Avx512 {
    SUMWISE_BLAKE3_TARGET static __m512i splat(std::uint32_t x) { return _mm512_set1_epi32(static_cast<int>(x)); }
    SUMWISE_BLAKE3_TARGET static __m512i xorv(__m512i a, __m512i b) { return _mm512_xor_si512(a, b); }

    SUMWISE_BLAKE3_TARGET static void g(__m512i& a, __m512i& b, __m512i& c, __m512i& d, __m512i x, __m512i y) {
        a = _mm512_add_epi32(_mm512_add_epi32(a, b), x);
        d = _mm512_ror_epi32(_mm512_xor_si512(d, a), 16);
        c = _mm512_add_epi32(c, d);
        b = _mm512_ror_epi32(_mm512_xor_si512(b, c), 12);
        a = _mm512_add_epi32(_mm512_add_epi32(a, b), y);
        d = _mm512_ror_epi32(_mm512_xor_si512(d, a), 8);
        c = _mm512_add_epi32(c, d);
        b = _mm512_ror_epi32(_mm512_xor_si512(b, c), 7);
    }

    SUMWISE_BLAKE3_TARGET static void g(__m128i& a, __m128i& b, __m128i& c, __m128i& d, __m128i x, __m128i y) {
        a = _mm_add_epi32(_mm_add_epi32(a, b), x);
        d = _mm_ror_epi32(_mm_xor_si128(d, a), 16);
        c = _mm_add_epi32(c, d);
        b = _mm_ror_epi32(_mm_xor_si128(b, c), 12);
        a = _mm_add_epi32(_mm_add_epi32(a, b), y);
        d = _mm_ror_epi32(_mm_xor_si128(d, a), 8);
        c = _mm_add_epi32(c, d);
        b = _mm_ror_epi32(_mm_xor_si128(b, c), 7);
    }

    // One block of sixteen inputs, `stride` bytes apart, as word-major lanes.
    SUMWISE_BLAKE3_TARGET static void loadWords(__m512i m[16], const std::uint8_t* block, std::size_t stride) {
        for (int j = 0; j < 16; ++j) m[j] = _mm512_loadu_si512(block + j * stride);
        transpose(m);
    }
};

}  // namespace

SUMWISE_BLAKE3_TARGET void compressAvx512(std::uint32_t cv[8], const std::uint8_t block[64],
                                          std::uint32_t blockLength, std::uint64_t counter, std::uint32_t flags) {
    compressRows<Avx512>(cv, block, blockLength, counter, flags);
}

SUMWISE_BLAKE3_TARGET void hashManyAvx512(const std::uint8_t* input, std::size_t count, std::size_t blocks,
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
        for (int i = 0; i < 8; ++i) h[i] = Avx512::splat(key[i]);
        compressLanes<Avx512>(h, input, stride, blocks, counterLow, counterHigh, flags, flagsStart, flagsEnd);
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
