// BLAKE3 with SSE4.1: one block with the state as four rows of a 4x4 matrix,
// and four inputs at once with one input per lane (the message words
// transposed so that register k holds word k of every input).
#include "algorithms/blake3/blake3_internal.h"

#if SUMWISE_BLAKE3_X86

#define SUMWISE_BLAKE3_TARGET __attribute__((target("sse4.1,ssse3")))

#include "algorithms/blake3/blake3_simd.h"

namespace sumwise::blake3 {

namespace {

SUMWISE_BLAKE3_TARGET inline __m128i load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Four lanes of message word k, one from each input.
SUMWISE_BLAKE3_TARGET inline void transpose(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    const __m128i ab01 = _mm_unpacklo_epi32(a, b);
    const __m128i cd01 = _mm_unpacklo_epi32(c, d);
    const __m128i ab23 = _mm_unpackhi_epi32(a, b);
    const __m128i cd23 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(ab01, cd01);
    b = _mm_unpackhi_epi64(ab01, cd01);
    c = _mm_unpacklo_epi64(ab23, cd23);
    d = _mm_unpackhi_epi64(ab23, cd23);
}

// Four 32-bit lanes, or the rows of one block, for the shared code in
// blake3_simd.h.
struct Sse41 {
    SUMWISE_BLAKE3_TARGET static __m128i splat(std::uint32_t x) { return _mm_set1_epi32(static_cast<int>(x)); }
    SUMWISE_BLAKE3_TARGET static __m128i add(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
    SUMWISE_BLAKE3_TARGET static __m128i xorv(__m128i a, __m128i b) { return _mm_xor_si128(a, b); }
    SUMWISE_BLAKE3_TARGET static __m128i rot16(__m128i x) {
        return _mm_shuffle_epi8(x, _mm_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13));
    }
    SUMWISE_BLAKE3_TARGET static __m128i rot12(__m128i x) {
        return _mm_or_si128(_mm_srli_epi32(x, 12), _mm_slli_epi32(x, 20));
    }
    SUMWISE_BLAKE3_TARGET static __m128i rot8(__m128i x) {
        return _mm_shuffle_epi8(x, _mm_setr_epi8(1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12));
    }
    SUMWISE_BLAKE3_TARGET static __m128i rot7(__m128i x) {
        return _mm_or_si128(_mm_srli_epi32(x, 7), _mm_slli_epi32(x, 25));
    }

    SUMWISE_BLAKE3_TARGET static void g(__m128i& a, __m128i& b, __m128i& c, __m128i& d, __m128i x, __m128i y) {
        a = add(add(a, b), x);
        d = rot16(xorv(d, a));
        c = add(c, d);
        b = rot12(xorv(b, c));
        a = add(add(a, b), y);
        d = rot8(xorv(d, a));
        c = add(c, d);
        b = rot7(xorv(b, c));
    }

    // One block of four inputs, `stride` bytes apart, as word-major lanes.
    SUMWISE_BLAKE3_TARGET static void loadWords(__m128i m[16], const std::uint8_t* block, std::size_t stride) {
        for (int k = 0; k < 4; ++k) {
            m[4 * k] = load(block + 16 * k);
            m[4 * k + 1] = load(block + stride + 16 * k);
            m[4 * k + 2] = load(block + 2 * stride + 16 * k);
            m[4 * k + 3] = load(block + 3 * stride + 16 * k);
            transpose(m[4 * k], m[4 * k + 1], m[4 * k + 2], m[4 * k + 3]);
        }
    }
};

}  // namespace

SUMWISE_BLAKE3_TARGET void compressSse41(std::uint32_t cv[8], const std::uint8_t block[64],
                                         std::uint32_t blockLength, std::uint64_t counter, std::uint32_t flags) {
    compressRows<Sse41>(cv, block, blockLength, counter, flags);
}

SUMWISE_BLAKE3_TARGET void hashManySse41(const std::uint8_t* input, std::size_t count, std::size_t blocks,
                                         const std::uint32_t key[8], std::uint64_t counter, bool incrementCounter,
                                         std::uint32_t flags, std::uint32_t flagsStart, std::uint32_t flagsEnd,
                                         std::uint8_t* out) {
    const std::size_t stride = blocks * kBlockBytes;
    for (; count >= 4; count -= 4, input += 4 * stride, out += 4 * kCvBytes, counter += incrementCounter ? 4 : 0) {
        std::uint32_t low[4];
        std::uint32_t high[4];
        laneCounters(counter, incrementCounter, low, high);
        const __m128i counterLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
        const __m128i counterHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
        __m128i h[8];
        for (int i = 0; i < 8; ++i) h[i] = Sse41::splat(key[i]);
        compressLanes<Sse41>(h, input, stride, blocks, counterLow, counterHigh, flags, flagsStart, flagsEnd);
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
