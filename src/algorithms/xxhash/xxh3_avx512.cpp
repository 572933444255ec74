// XXH3's stripe loop on 512-bit registers (AVX-512): the eight accumulators
// in one register, a stripe per load.
#include "algorithms/xxhash/xxhash_internal.h"

#if defined(__x86_64__)
// GCC 12 takes the deliberately undefined filler of the unmasked AVX-512
// intrinsics for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#define SUMWISE_XXH3_TARGET __attribute__((target("avx512f,avx512bw,avx512vl")))

namespace sumwise::xxhash {

namespace {

SUMWISE_XXH3_TARGET inline __m512i stripe(__m512i acc, const std::uint8_t* data, __m512i key) {
    const __m512i d = _mm512_loadu_si512(data);
    const __m512i keyed = _mm512_xor_si512(d, key);
    const __m512i product = _mm512_mul_epu32(keyed, _mm512_srli_epi64(keyed, 32));
    const __m512i swapped = _mm512_shuffle_epi32(d, static_cast<_MM_PERM_ENUM>(_MM_SHUFFLE(1, 0, 3, 2)));
    return _mm512_add_epi64(acc, _mm512_add_epi64(product, swapped));
}

SUMWISE_XXH3_TARGET inline __m512i scramble(__m512i acc, __m512i key) {
    const __m512i prime = _mm512_set1_epi32(static_cast<int>(kPrime32_1));
    // acc ^ (acc >> 47) ^ key in one three-way XOR.
    const __m512i a = _mm512_ternarylogic_epi64(acc, _mm512_srli_epi64(acc, 47), key, 0x96);
    const __m512i low = _mm512_mul_epu32(a, prime);
    const __m512i high = _mm512_mul_epu32(_mm512_srli_epi64(a, 32), prime);
    return _mm512_add_epi64(low, _mm512_slli_epi64(high, 32));
}

}  // namespace

// The 16 stripes' keys stay in registers (AVX-512 has 32): read from the
// secret at 8-byte steps, each would otherwise be a load across two cache
// lines.
SUMWISE_XXH3_TARGET void stripesAvx512(std::uint64_t* accumulators, const std::uint8_t* data, std::size_t count) {
    __m512i keys[kStripesPerBlock];
    for (std::size_t s = 0; s < kStripesPerBlock; ++s) keys[s] = _mm512_loadu_si512(kSecret + 8 * s);
    const __m512i scrambleKey = _mm512_loadu_si512(kSecret + kScrambleOffset);
    __m512i acc = _mm512_loadu_si512(accumulators);
    for (; count >= kStripesPerBlock; count -= kStripesPerBlock, data += kBlockSize) {
        for (std::size_t s = 0; s < kStripesPerBlock; ++s) {
            _mm_prefetch(reinterpret_cast<const char*>(data + kStripeSize * s + kPrefetchDistance), _MM_HINT_T0);
            acc = stripe(acc, data + kStripeSize * s, keys[s]);
        }
        acc = scramble(acc, scrambleKey);
    }
    for (std::size_t s = 0; s < count; ++s) acc = stripe(acc, data + kStripeSize * s, keys[s]);
    _mm512_storeu_si512(accumulators, acc);
}

}  // namespace sumwise::xxhash

#endif
