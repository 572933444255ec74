// Adler32: two sums modulo 65521. The sums are reduced only when they could
// overflow 32 bits (every 5552 bytes), which yields the same values as
// reducing at every byte.
#include <algorithm>

#include "algorithms/checksums/checksum_hasher.h"
#include "algorithms/checksums/checksums.h"
#include "algorithms/cpu_features.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sumwise {

namespace {

constexpr std::uint32_t kModulus = 65521;
// The longest run after which B still fits in 32 bits from any reduced start.
constexpr std::size_t kMaxRun = 5552;

std::uint32_t adler32Scalar(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    while (size > 0) {
        std::size_t run = std::min(size, kMaxRun);
        size -= run;
        for (; run >= 8; run -= 8, data += 8) {
            a += data[0]; b += a;
            a += data[1]; b += a;
            a += data[2]; b += a;
            a += data[3]; b += a;
            a += data[4]; b += a;
            a += data[5]; b += a;
            a += data[6]; b += a;
            a += data[7]; b += a;
        }
        for (; run > 0; --run) {
            a += *data++;
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
    }
    return (b << 16) | a;
}

#if defined(__x86_64__)
// The end of a vector run of `run` bytes: the lanes' shares of A's byte sum
// and of B's weighted sum (each lane below 2^31) added up, and B's gain of A
// once per byte, folded into the reduced sums.
template <std::size_t Lanes>
void endRun(std::uint32_t& a, std::uint32_t& b, std::size_t run, const std::uint32_t (&laneA)[Lanes],
            const std::uint32_t (&laneB)[Lanes]) {
    std::uint64_t totalA = 0;
    std::uint64_t totalB = 0;
    for (std::size_t lane = 0; lane < Lanes; ++lane) {
        totalA += laneA[lane];
        totalB += laneB[lane];
    }
    b = static_cast<std::uint32_t>((b + static_cast<std::uint64_t>(a) * run + totalB) % kModulus);
    a = static_cast<std::uint32_t>((a + totalA) % kModulus);
}

// 16 bytes a step with SSE2, part of every x86-64 processor, as the AVX2
// path below does 32: A gains the byte sum; B gains 16 * A plus the bytes
// weighted 16, 15, ..., 1 (widened to 16 bits, since SSE2 has no multiply
// of bytes). The A values before each step are summed in `prefixA` and
// multiplied by 16 at the end of a run; over a run of 5552 bytes no lane
// passes 2^31.
std::uint32_t adler32Sse2(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kStep = 16;
    constexpr std::size_t kRun = kMaxRun / kStep * kStep;
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    const __m128i weightsLow = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i weightsHigh = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    const __m128i zero = _mm_setzero_si128();
    while (size >= kStep) {
        const std::size_t run = std::min(size, kRun) / kStep * kStep;
        const std::size_t steps = run / kStep;
        __m128i sumA = zero;
        __m128i prefixA = zero;
        __m128i sumB = zero;
        for (std::size_t i = 0; i < steps; ++i) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i * kStep));
            prefixA = _mm_add_epi32(prefixA, sumA);
            sumA = _mm_add_epi32(sumA, _mm_sad_epu8(bytes, zero));
            const __m128i low = _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), weightsLow);
            const __m128i high = _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), weightsHigh);
            sumB = _mm_add_epi32(sumB, _mm_add_epi32(low, high));
        }
        sumB = _mm_add_epi32(sumB, _mm_slli_epi32(prefixA, 4));
        alignas(16) std::uint32_t laneA[4];
        alignas(16) std::uint32_t laneB[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(laneA), sumA);
        _mm_store_si128(reinterpret_cast<__m128i*>(laneB), sumB);
        endRun(a, b, run, laneA, laneB);
        data += run;
        size -= run;
    }
    return adler32Scalar((b << 16) | a, data, size);
}

// 32 bytes a step: A gains the byte sum; B gains 32 * A plus the bytes
// weighted 32, 31, ..., 1. The A values before each step are summed in
// `prefixA` and multiplied by 32 at the end of a run.
__attribute__((target("avx2"))) std::uint32_t adler32Avx2(std::uint32_t adler, const std::uint8_t* data,
                                                          std::size_t size) {
    constexpr std::size_t kStep = 32;
    constexpr std::size_t kRun = kMaxRun / kStep * kStep;
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    const __m256i weights = _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16,
                                             15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i zero = _mm256_setzero_si256();
    while (size >= kStep) {
        const std::size_t run = std::min(size, kRun) / kStep * kStep;
        const std::size_t steps = run / kStep;
        __m256i sumA = zero;
        __m256i prefixA = zero;
        __m256i sumB = zero;
        for (std::size_t i = 0; i < steps; ++i) {
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i * kStep));
            prefixA = _mm256_add_epi32(prefixA, sumA);
            sumA = _mm256_add_epi32(sumA, _mm256_sad_epu8(bytes, zero));
            sumB = _mm256_add_epi32(sumB, _mm256_madd_epi16(_mm256_maddubs_epi16(bytes, weights), ones));
        }
        sumB = _mm256_add_epi32(sumB, _mm256_slli_epi32(prefixA, 5));
        alignas(32) std::uint32_t laneA[8];
        alignas(32) std::uint32_t laneB[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(laneA), sumA);
        _mm256_store_si256(reinterpret_cast<__m256i*>(laneB), sumB);
        endRun(a, b, run, laneA, laneB);
        data += run;
        size -= run;
    }
    return adler32Scalar((b << 16) | a, data, size);
}
#endif

}  // namespace

std::uint32_t adler32Reference(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

std::span<const Checksum32Variant> adler32Variants() {
    static constexpr Checksum32Variant kVariants[] = {
        {"portable", adler32Scalar, anyProcessor},
#if defined(__x86_64__)
        {"sse2", adler32Sse2, anyProcessor},
        {"avx2", adler32Avx2, hasAvx2},
#endif
    };
    return kVariants;
}

std::uint32_t adler32Update(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    static const Checksum32Update best = bestVariant(adler32Variants());
    return best(adler, data, size);
}

std::unique_ptr<Hasher> newAdler32With(const AlgorithmParams&, Checksum32Update update) {
    return std::make_unique<ChecksumHasher<std::uint32_t, kAdler32Initial, 0>>(update);
}

std::unique_ptr<Hasher> newAdler32(const AlgorithmParams& params) {
    return newAdler32With(params, bestVariant(adler32Variants()));
}

}  // namespace sumwise
