// XXH3's stripe loop on 128-bit registers (SSE2, every x86-64 processor):
// the eight accumulators in four registers.
#include "algorithms/xxhash/xxhash_internal.h"

#if defined(__x86_64__)
#include <immintrin.h>

#define SUMWISE_XXH3_TARGET __attribute__((target("sse2")))

namespace sumwise::xxhash {

namespace {

SUMWISE_XXH3_TARGET inline __m128i load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Each 64-bit lane: the low and high halves of data ^ key multiplied, plus
// the neighbouring lane's data.
SUMWISE_XXH3_TARGET inline void stripe(__m128i* acc, const std::uint8_t* data, const std::uint8_t* secret) {
    for (int j = 0; j < 4; ++j) {
        const __m128i d = load(data + 16 * j);
        const __m128i keyed = _mm_xor_si128(d, load(secret + 16 * j));
        const __m128i product = _mm_mul_epu32(keyed, _mm_shuffle_epi32(keyed, _MM_SHUFFLE(0, 3, 0, 1)));
        const __m128i swapped = _mm_shuffle_epi32(d, _MM_SHUFFLE(1, 0, 3, 2));
        acc[j] = _mm_add_epi64(acc[j], _mm_add_epi64(product, swapped));
    }
}

SUMWISE_XXH3_TARGET inline void scramble(__m128i* acc, const std::uint8_t* secret) {
    const __m128i prime = _mm_set1_epi32(static_cast<int>(kPrime32_1));
    for (int j = 0; j < 4; ++j) {
        __m128i a = _mm_xor_si128(acc[j], _mm_srli_epi64(acc[j], 47));
        a = _mm_xor_si128(a, load(secret + 16 * j));
        const __m128i low = _mm_mul_epu32(a, prime);
        const __m128i high = _mm_mul_epu32(_mm_srli_epi64(a, 32), prime);
        acc[j] = _mm_add_epi64(low, _mm_slli_epi64(high, 32));
    }
}

}  // namespace

SUMWISE_XXH3_TARGET void stripesSse2(std::uint64_t* accumulators, const std::uint8_t* data, std::size_t count) {
    __m128i acc[4];
    for (int j = 0; j < 4; ++j) acc[j] = load(reinterpret_cast<const std::uint8_t*>(accumulators + 2 * j));
    for (; count >= kStripesPerBlock; count -= kStripesPerBlock, data += kBlockSize) {
        for (std::size_t s = 0; s < kStripesPerBlock; ++s) {
            _mm_prefetch(reinterpret_cast<const char*>(data + kStripeSize * s + kPrefetchDistance), _MM_HINT_T0);
            stripe(acc, data + kStripeSize * s, kSecret + 8 * s);
        }
        scramble(acc, kSecret + kScrambleOffset);
    }
    for (std::size_t s = 0; s < count; ++s) stripe(acc, data + kStripeSize * s, kSecret + 8 * s);
    for (int j = 0; j < 4; ++j) _mm_storeu_si128(reinterpret_cast<__m128i*>(accumulators + 2 * j), acc[j]);
}

}  // namespace sumwise::xxhash

#endif
