// BLAKE3 with AVX2: eight inputs at once, one per 32-bit lane, the message
// words transposed so that register k holds word k of every input. Fewer
// than eight inputs go to the SSE4.1 kernel.
#include "algorithms/blake3/blake3_internal.h"

#if SUMWISE_BLAKE3_X86

#define SUMWISE_BLAKE3_TARGET __attribute__((target("avx2,sse4.1,ssse3")))

#include "algorithms/blake3/blake3_simd.h"

namespace sumwise::blake3 {

namespace {

// Rows r[0..7] (eight words of one input each) become columns: r[k] then
// holds word k of every input.
SUMWISE_BLAKE3_TARGET inline void transpose(__m256i r[8]) {
    const __m256i ab0145 = _mm256_unpacklo_epi32(r[0], r[1]);
    const __m256i ab2367 = _mm256_unpackhi_epi32(r[0], r[1]);
    const __m256i cd0145 = _mm256_unpacklo_epi32(r[2], r[3]);
    const __m256i cd2367 = _mm256_unpackhi_epi32(r[2], r[3]);
    const __m256i ef0145 = _mm256_unpacklo_epi32(r[4], r[5]);
    const __m256i ef2367 = _mm256_unpackhi_epi32(r[4], r[5]);
    const __m256i gh0145 = _mm256_unpacklo_epi32(r[6], r[7]);
    const __m256i gh2367 = _mm256_unpackhi_epi32(r[6], r[7]);
    const __m256i abcd04 = _mm256_unpacklo_epi64(ab0145, cd0145);
    const __m256i abcd15 = _mm256_unpackhi_epi64(ab0145, cd0145);
    const __m256i abcd26 = _mm256_unpacklo_epi64(ab2367, cd2367);
    const __m256i abcd37 = _mm256_unpackhi_epi64(ab2367, cd2367);
    const __m256i efgh04 = _mm256_unpacklo_epi64(ef0145, gh0145);
    const __m256i efgh15 = _mm256_unpackhi_epi64(ef0145, gh0145);
    const __m256i efgh26 = _mm256_unpacklo_epi64(ef2367, gh2367);
    const __m256i efgh37 = _mm256_unpackhi_epi64(ef2367, gh2367);
    r[0] = _mm256_permute2x128_si256(abcd04, efgh04, 0x20);
    r[4] = _mm256_permute2x128_si256(abcd04, efgh04, 0x31);
    r[1] = _mm256_permute2x128_si256(abcd15, efgh15, 0x20);
    r[5] = _mm256_permute2x128_si256(abcd15, efgh15, 0x31);
    r[2] = _mm256_permute2x128_si256(abcd26, efgh26, 0x20);
    r[6] = _mm256_permute2x128_si256(abcd26, efgh26, 0x31);
    r[3] = _mm256_permute2x128_si256(abcd37, efgh37, 0x20);
    r[7] = _mm256_permute2x128_si256(abcd37, efgh37, 0x31);
}

// Eight 32-bit lanes, for the shared code in blake3_simd.h.
struct Avx2 {
    SUMWISE_BLAKE3_TARGET static __m256i splat(std::uint32_t x) { return _mm256_set1_epi32(static_cast<int>(x)); }
    SUMWISE_BLAKE3_TARGET static __m256i add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
    SUMWISE_BLAKE3_TARGET static __m256i xorv(__m256i a, __m256i b) { return _mm256_xor_si256(a, b); }
    SUMWISE_BLAKE3_TARGET static __m256i rot16(__m256i x) {
        return _mm256_shuffle_epi8(x, _mm256_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13, 2, 3, 0,
                                                       1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13));
    }
    SUMWISE_BLAKE3_TARGET static __m256i rot12(__m256i x) {
        return _mm256_or_si256(_mm256_srli_epi32(x, 12), _mm256_slli_epi32(x, 20));
    }
    SUMWISE_BLAKE3_TARGET static __m256i rot8(__m256i x) {
        return _mm256_shuffle_epi8(x, _mm256_setr_epi8(1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12, 1, 2, 3,
                                                       0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12));
    }
    SUMWISE_BLAKE3_TARGET static __m256i rot7(__m256i x) {
        return _mm256_or_si256(_mm256_srli_epi32(x, 7), _mm256_slli_epi32(x, 25));
    }

    SUMWISE_BLAKE3_TARGET static void g(__m256i& a, __m256i& b, __m256i& c, __m256i& d, __m256i x, __m256i y) {
        a = add(add(a, b), x);
        d = rot16(xorv(d, a));
        c = add(c, d);
        b = rot12(xorv(b, c));
        a = add(add(a, b), y);
        d = rot8(xorv(d, a));
        c = add(c, d);
        b = rot7(xorv(b, c));
    }

    // One block of eight inputs, `stride` bytes apart, as word-major lanes.
    SUMWISE_BLAKE3_TARGET static void loadWords(__m256i m[16], const std::uint8_t* block, std::size_t stride) {
        for (int j = 0; j < 8; ++j) {
            m[j] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + j * stride));
            m[j + 8] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + j * stride + 32));
        }
        transpose(m);
        transpose(m + 8);
    }
};

}  // namespace

SUMWISE_BLAKE3_TARGET void hashManyAvx2(const std::uint8_t* input, std::size_t count, std::size_t blocks,
                                        const std::uint32_t key[8], std::uint64_t counter, bool incrementCounter,
                                        std::uint32_t flags, std::uint32_t flagsStart, std::uint32_t flagsEnd,
                                        std::uint8_t* out) {
    const std::size_t stride = blocks * kBlockBytes;
    for (; count >= 8; count -= 8, input += 8 * stride, out += 8 * kCvBytes, counter += incrementCounter ? 8 : 0) {
        std::uint32_t low[8];
        std::uint32_t high[8];
        laneCounters(counter, incrementCounter, low, high);
        const __m256i counterLow = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(low));
        const __m256i counterHigh = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(high));
        __m256i h[8];
        for (int i = 0; i < 8; ++i) h[i] = Avx2::splat(key[i]);
        compressLanes<Avx2>(h, input, stride, blocks, counterLow, counterHigh, flags, flagsStart, flagsEnd);
        // Word-major back to one chaining value per input: the same transpose.
        transpose(h);
        for (int j = 0; j < 8; ++j) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + kCvBytes * j), h[j]);
    }
    hashManySse41(input, count, blocks, key, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace sumwise::blake3

#endif
