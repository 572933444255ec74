// XXH3's stripe loop on 256-bit registers (AVX2):
// the eight accumulators in two registers.
#include "algorithms/xxhash/xxhash_internal.h"

#if defined(__x86_64__)
#include <immintrin.h>

#define SUMWISE_XXH3_TARGET __attribute__((target("avx2")))

namespace sumwise::xxhash {

namespace {

SUMWISE_XXH3_TARGET inline __m256i load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Each 64-bit lane: the low and high halves of data ^ key multiplied, plus
// the neighbouring lane's data.
SUMWISE_XXH3_TARGET inline void stripe(__m256i* acc, const std::uint8_t* data, const std::uint8_t* secret) {
    for (int j = 0; j < 2; ++j) {
        const __m256i d = load(data + 32 * j);
        const __m256i keyed = _mm256_xor_si256(d, load(secret + 32 * j));
        const __m256i product = _mm256_mul_epu32(keyed, _mm256_shuffle_epi32(keyed, _MM_SHUFFLE(0, 3, 0, 1)));
        const __m256i swapped = _mm256_shuffle_epi32(d, _MM_SHUFFLE(1, 0, 3, 2));
        acc[j] = _mm256_add_epi64(acc[j], _mm256_add_epi64(product, swapped));
    }
}

SUMWISE_XXH3_TARGET inline void scramble(__m256i* acc, const std::uint8_t* secret) {
    const __m256i prime = _mm256_set1_epi32(static_cast<int>(kPrime32_1));
    for (int j = 0; j < 2; ++j) {
        __m256i a = _mm256_xor_si256(acc[j], _mm256_srli_epi64(acc[j], 47));
        a = _mm256_xor_si256(a, load(secret + 32 * j));
        const __m256i low = _mm256_mul_epu32(a, prime);
        const __m256i high = _mm256_mul_epu32(_mm256_srli_epi64(a, 32), prime);
        acc[j] = _mm256_add_epi64(low, _mm256_slli_epi64(high, 32));
    }
}

}  // namespace

SUMWISE_XXH3_TARGET void stripesAvx2(std::uint64_t* accumulators, const std::uint8_t* data, std::size_t count) {
    __m256i acc[2];
    for (int j = 0; j < 2; ++j) acc[j] = load(reinterpret_cast<const std::uint8_t*>(accumulators + 4 * j));
    for (; count >= kStripesPerBlock; count -= kStripesPerBlock, data += kBlockSize) {
        for (std::size_t s = 0; s < kStripesPerBlock; ++s) {
            _mm_prefetch(reinterpret_cast<const char*>(data + kStripeSize * s + kPrefetchDistance), _MM_HINT_T0);
            stripe(acc, data + kStripeSize * s, kSecret + 8 * s);
        }
        scramble(acc, kSecret + kScrambleOffset);
    }
    for (std::size_t s = 0; s < count; ++s) stripe(acc, data + kStripeSize * s, kSecret + 8 * s);
    for (int j = 0; j < 2; ++j) _mm256_storeu_si256(reinterpret_cast<__m256i*>(accumulators + 4 * j), acc[j]);
}

}  // namespace sumwise::xxhash

#endif
