// Keccak-f[1600] with AVX-512 (F and VL), one lane per vector register: the
// 32 registers hold the whole state with room to spare, so nothing spills;
// chi's and-not with its xor, and theta's five-way parities, become
// three-input logic instructions, and every rotation one instruction.
#include "algorithms/sha3/keccak_internal.h"
#include "algorithms/sha3/keccak_lanes.h"

#if SUMWISE_KECCAK_AVX512

#include <immintrin.h>

#define SUMWISE_KECCAK_TARGET __attribute__((target("avx512f,avx512vl")))

namespace sumwise::keccak {

namespace {

SUMWISE_KECCAK_TARGET inline __m128i xor3(__m128i a, __m128i b, __m128i c) {
    return _mm_ternarylogic_epi64(a, b, c, 0x96);
}

// a ^ (~b & c)
SUMWISE_KECCAK_TARGET inline __m128i chi(__m128i a, __m128i b, __m128i c) {
    return _mm_ternarylogic_epi64(a, b, c, 0xD2);
}

// One round from the lanes A.. into the lanes E.. (names in keccak_lanes.h):
// theta's column parities, then per row of the result the five lanes that
// rho and pi bring there, then chi on that row and iota on the first lane.
#define KECCAK_ROUND(A, E, constant) \
    { \
        const __m128i c0 = xor3(xor3(A##ba, A##ga, A##ka), A##ma, A##sa); \
        const __m128i c1 = xor3(xor3(A##be, A##ge, A##ke), A##me, A##se); \
        const __m128i c2 = xor3(xor3(A##bi, A##gi, A##ki), A##mi, A##si); \
        const __m128i c3 = xor3(xor3(A##bo, A##go, A##ko), A##mo, A##so); \
        const __m128i c4 = xor3(xor3(A##bu, A##gu, A##ku), A##mu, A##su); \
        const __m128i d0 = _mm_xor_si128(c4, _mm_rol_epi64(c1, 1)); \
        const __m128i d1 = _mm_xor_si128(c0, _mm_rol_epi64(c2, 1)); \
        const __m128i d2 = _mm_xor_si128(c1, _mm_rol_epi64(c3, 1)); \
        const __m128i d3 = _mm_xor_si128(c2, _mm_rol_epi64(c4, 1)); \
        const __m128i d4 = _mm_xor_si128(c3, _mm_rol_epi64(c0, 1)); \
        __m128i b0, b1, b2, b3, b4; \
        b0 = _mm_xor_si128(A##ba, d0); \
        b1 = _mm_rol_epi64(_mm_xor_si128(A##ge, d1), 44); \
        b2 = _mm_rol_epi64(_mm_xor_si128(A##ki, d2), 43); \
        b3 = _mm_rol_epi64(_mm_xor_si128(A##mo, d3), 21); \
        b4 = _mm_rol_epi64(_mm_xor_si128(A##su, d4), 14); \
        E##ba = _mm_xor_si128(chi(b0, b1, b2), constant); \
        E##be = chi(b1, b2, b3); \
        E##bi = chi(b2, b3, b4); \
        E##bo = chi(b3, b4, b0); \
        E##bu = chi(b4, b0, b1); \
        b0 = _mm_rol_epi64(_mm_xor_si128(A##bo, d3), 28); \
        b1 = _mm_rol_epi64(_mm_xor_si128(A##gu, d4), 20); \
        b2 = _mm_rol_epi64(_mm_xor_si128(A##ka, d0), 3); \
        b3 = _mm_rol_epi64(_mm_xor_si128(A##me, d1), 45); \
        b4 = _mm_rol_epi64(_mm_xor_si128(A##si, d2), 61); \
        E##ga = chi(b0, b1, b2); \
        E##ge = chi(b1, b2, b3); \
        E##gi = chi(b2, b3, b4); \
        E##go = chi(b3, b4, b0); \
        E##gu = chi(b4, b0, b1); \
        b0 = _mm_rol_epi64(_mm_xor_si128(A##be, d1), 1); \
        b1 = _mm_rol_epi64(_mm_xor_si128(A##gi, d2), 6); \
        b2 = _mm_rol_epi64(_mm_xor_si128(A##ko, d3), 25); \
        b3 = _mm_rol_epi64(_mm_xor_si128(A##mu, d4), 8); \
        b4 = _mm_rol_epi64(_mm_xor_si128(A##sa, d0), 18); \
        E##ka = chi(b0, b1, b2); \
        E##ke = chi(b1, b2, b3); \
        E##ki = chi(b2, b3, b4); \
        E##ko = chi(b3, b4, b0); \
        E##ku = chi(b4, b0, b1); \
        b0 = _mm_rol_epi64(_mm_xor_si128(A##bu, d4), 27); \
        b1 = _mm_rol_epi64(_mm_xor_si128(A##ga, d0), 36); \
        b2 = _mm_rol_epi64(_mm_xor_si128(A##ke, d1), 10); \
        b3 = _mm_rol_epi64(_mm_xor_si128(A##mi, d2), 15); \
        b4 = _mm_rol_epi64(_mm_xor_si128(A##so, d3), 56); \
        E##ma = chi(b0, b1, b2); \
        E##me = chi(b1, b2, b3); \
        E##mi = chi(b2, b3, b4); \
        E##mo = chi(b3, b4, b0); \
        E##mu = chi(b4, b0, b1); \
        b0 = _mm_rol_epi64(_mm_xor_si128(A##bi, d2), 62); \
        b1 = _mm_rol_epi64(_mm_xor_si128(A##go, d3), 55); \
        b2 = _mm_rol_epi64(_mm_xor_si128(A##ku, d4), 39); \
        b3 = _mm_rol_epi64(_mm_xor_si128(A##ma, d0), 41); \
        b4 = _mm_rol_epi64(_mm_xor_si128(A##se, d1), 2); \
        E##sa = chi(b0, b1, b2); \
        E##se = chi(b1, b2, b3); \
        E##si = chi(b2, b3, b4); \
        E##so = chi(b3, b4, b0); \
        E##su = chi(b4, b0, b1); \
    }

}  // namespace

SUMWISE_KECCAK_TARGET void absorbAvx512(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count,
                                        std::size_t rate) {
#define KECCAK_DECLARE(lane, index) __m128i lane = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(state + (index)));
    KECCAK_LANES(KECCAK_DECLARE, A)
#undef KECCAK_DECLARE
#define KECCAK_DECLARE(lane, index) __m128i lane;
    KECCAK_LANES(KECCAK_DECLARE, E)
#undef KECCAK_DECLARE
    const std::size_t lanes = rate / 8;
    for (; count > 0; --count, blocks += rate) {
        // Adds the block's lanes from the last one down, so one jump covers every rate.
#define KECCAK_ADD(lane, index)                                                                       \
    case index + 1:                                                                                   \
        lane = _mm_xor_si128(lane, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(blocks + 8 * (index)))); \
        [[fallthrough]];
        switch (lanes) {
            KECCAK_LANES_DOWN(KECCAK_ADD, A)
            default: break;
        }
#undef KECCAK_ADD
        for (int round = 0; round < 24; round += 2) {
            KECCAK_ROUND(A, E, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kRoundConstants + round)))
            KECCAK_ROUND(E, A, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kRoundConstants + round + 1)))
        }
    }
#define KECCAK_STORE(lane, index) _mm_storel_epi64(reinterpret_cast<__m128i*>(state + (index)), lane);
    KECCAK_LANES(KECCAK_STORE, A)
#undef KECCAK_STORE
}

}  // namespace sumwise::keccak

#endif
