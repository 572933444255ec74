// The SHA-512 compression (also SHA-384's). Portable unrolled code; on x86-64
// the schedule moves to vector registers, two words at a time (four with
// AVX2, two blocks' worth), so the vector units take its share of the work
// while the scalar units run the steps.
// The constants are reproduced by scripts/sha2_constants.py.
#include <bit>

#include "algorithms/bytes.h"
#include "algorithms/cpu_features.h"
#include "algorithms/sha2/sha2.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sumwise {

namespace {

alignas(16) constexpr std::uint64_t kRound[80] = {
    0x428A2F98D728AE22, 0x7137449123EF65CD, 0xB5C0FBCFEC4D3B2F, 0xE9B5DBA58189DBBC, 0x3956C25BF348B538,
    0x59F111F1B605D019, 0x923F82A4AF194F9B, 0xAB1C5ED5DA6D8118, 0xD807AA98A3030242, 0x12835B0145706FBE,
    0x243185BE4EE4B28C, 0x550C7DC3D5FFB4E2, 0x72BE5D74F27B896F, 0x80DEB1FE3B1696B1, 0x9BDC06A725C71235,
    0xC19BF174CF692694, 0xE49B69C19EF14AD2, 0xEFBE4786384F25E3, 0x0FC19DC68B8CD5B5, 0x240CA1CC77AC9C65,
    0x2DE92C6F592B0275, 0x4A7484AA6EA6E483, 0x5CB0A9DCBD41FBD4, 0x76F988DA831153B5, 0x983E5152EE66DFAB,
    0xA831C66D2DB43210, 0xB00327C898FB213F, 0xBF597FC7BEEF0EE4, 0xC6E00BF33DA88FC2, 0xD5A79147930AA725,
    0x06CA6351E003826F, 0x142929670A0E6E70, 0x27B70A8546D22FFC, 0x2E1B21385C26C926, 0x4D2C6DFC5AC42AED,
    0x53380D139D95B3DF, 0x650A73548BAF63DE, 0x766A0ABB3C77B2A8, 0x81C2C92E47EDAEE6, 0x92722C851482353B,
    0xA2BFE8A14CF10364, 0xA81A664BBC423001, 0xC24B8B70D0F89791, 0xC76C51A30654BE30, 0xD192E819D6EF5218,
    0xD69906245565A910, 0xF40E35855771202A, 0x106AA07032BBD1B8, 0x19A4C116B8D2D0C8, 0x1E376C085141AB53,
    0x2748774CDF8EEB99, 0x34B0BCB5E19B48A8, 0x391C0CB3C5C95A63, 0x4ED8AA4AE3418ACB, 0x5B9CCA4F7763E373,
    0x682E6FF3D6B2B8A3, 0x748F82EE5DEFB2FC, 0x78A5636F43172F60, 0x84C87814A1F0AB72, 0x8CC702081A6439EC,
    0x90BEFFFA23631E28, 0xA4506CEBDE82BDE9, 0xBEF9A3F7B2C67915, 0xC67178F2E372532B, 0xCA273ECEEA26619C,
    0xD186B8C721C0C207, 0xEADA7DD6CDE0EB1E, 0xF57D4F7FEE6ED178, 0x06F067AA72176FBA, 0x0A637DC5A2C898A6,
    0x113F9804BEF90DAE, 0x1B710B35131C471B, 0x28DB77F523047D84, 0x32CAAB7B40C72493, 0x3C9EBE0A15C9BEBC,
    0x431D67C49C100D4C, 0x4CC5D4BECB3E42B6, 0x597F299CFC657E2A, 0x5FCB6FAB3AD6FAEC, 0x6C44198C4A475817,
};

#define SUMWISE_INLINE inline __attribute__((always_inline))

SUMWISE_INLINE std::uint64_t bigSigma0(std::uint64_t x) {
    return std::rotr(x, 28) ^ std::rotr(x, 34) ^ std::rotr(x, 39);
}
SUMWISE_INLINE std::uint64_t bigSigma1(std::uint64_t x) {
    return std::rotr(x, 14) ^ std::rotr(x, 18) ^ std::rotr(x, 41);
}
SUMWISE_INLINE std::uint64_t smallSigma0(std::uint64_t x) { return std::rotr(x, 1) ^ std::rotr(x, 8) ^ (x >> 7); }
SUMWISE_INLINE std::uint64_t smallSigma1(std::uint64_t x) { return std::rotr(x, 19) ^ std::rotr(x, 61) ^ (x >> 6); }
SUMWISE_INLINE std::uint64_t choose(std::uint64_t e, std::uint64_t f, std::uint64_t g) { return g ^ (e & (f ^ g)); }

// One step with the words renamed instead of moved: the caller rotates the
// arguments, so `h` receives the new a and `d` the new e. `input` is W[t] +
// K[t]. Maj(a, b, c) = b ^ ((a ^ b) & (b ^ c)), and a ^ b is the next
// step's b ^ c, so two variables take turns carrying it.
#define SHA512_STEP(a, b, c, d, e, f, g, h, input, ab, bc)               \
    {                                                                    \
        const std::uint64_t t0 = h + (input) + choose(e, f, g);         \
        const std::uint64_t s1 = bigSigma1(e);                           \
        d += t0;                                                         \
        d += s1;                                                         \
        ab = a ^ b;                                                      \
        h = t0 + bigSigma0(a) + (b ^ (ab & bc));                         \
        h += s1;                                                         \
    }

#define SHA512_EIGHT_STEPS(input, i)                                         \
    SHA512_STEP(a, b, c, d, e, f, g, h, input((i)), ab, bc)                  \
    SHA512_STEP(h, a, b, c, d, e, f, g, input((i) + 1), bc, ab)              \
    SHA512_STEP(g, h, a, b, c, d, e, f, input((i) + 2), ab, bc)              \
    SHA512_STEP(f, g, h, a, b, c, d, e, input((i) + 3), bc, ab)              \
    SHA512_STEP(e, f, g, h, a, b, c, d, input((i) + 4), ab, bc)              \
    SHA512_STEP(d, e, f, g, h, a, b, c, input((i) + 5), bc, ab)              \
    SHA512_STEP(c, d, e, f, g, h, a, b, input((i) + 6), ab, bc)              \
    SHA512_STEP(b, c, d, e, f, g, h, a, input((i) + 7), bc, ab)

#define SHA512_LOAD_STATE           \
    std::uint64_t a = state[0];     \
    std::uint64_t b = state[1];     \
    std::uint64_t c = state[2];     \
    std::uint64_t d = state[3];     \
    std::uint64_t e = state[4];     \
    std::uint64_t f = state[5];     \
    std::uint64_t g = state[6];     \
    std::uint64_t h = state[7];     \
    std::uint64_t ab = 0;           \
    std::uint64_t bc = b ^ c;

#define SHA512_ADD_STATE \
    state[0] += a;       \
    state[1] += b;       \
    state[2] += c;       \
    state[3] += d;       \
    state[4] += e;       \
    state[5] += f;       \
    state[6] += g;       \
    state[7] += h;

// W[i] in a window of sixteen words, computed on first use.
SUMWISE_INLINE std::uint64_t scheduled(std::uint64_t* w, int i) {
    if (i >= 16) {
        w[i & 15] += smallSigma1(w[(i - 2) & 15]) + w[(i - 7) & 15] + smallSigma0(w[(i - 15) & 15]);
    }
    return w[i & 15] + kRound[i];
}

void compressPortable(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count) {
    std::uint64_t w[16];
    for (; count > 0; --count, blocks += 128) {
        for (int i = 0; i < 16; ++i) w[i] = bytes::load64be(blocks + 8 * i);
        SHA512_LOAD_STATE
#define SHA512_INPUT(i) scheduled(w, (i))
        SHA512_EIGHT_STEPS(SHA512_INPUT, 0)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 8)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 16)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 24)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 32)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 40)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 48)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 56)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 64)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 72)
#undef SHA512_INPUT
        SHA512_ADD_STATE
    }
}

#if defined(__x86_64__)
// SSE2 only, part of every x86-64 processor: built for the wider sets the
// same code takes their encodings.
#define SUMWISE_VECTOR_INLINE SUMWISE_INLINE

// σ0 and σ1 of two words. The rotations are written as shifts; built for
// AVX-512 the compiler turns them into single rotations.
SUMWISE_VECTOR_INLINE __m128i rotr2(__m128i x, int n) {
    return _mm_or_si128(_mm_srli_epi64(x, n), _mm_slli_epi64(x, 64 - n));
}
SUMWISE_VECTOR_INLINE __m128i smallSigma0x2(__m128i x) {
    return _mm_xor_si128(_mm_xor_si128(rotr2(x, 1), rotr2(x, 8)), _mm_srli_epi64(x, 7));
}
SUMWISE_VECTOR_INLINE __m128i smallSigma1x2(__m128i x) {
    return _mm_xor_si128(_mm_xor_si128(rotr2(x, 19), rotr2(x, 61)), _mm_srli_epi64(x, 6));
}

// The high word of `low` and the low word of `high`, in that order.
SUMWISE_VECTOR_INLINE __m128i highThenLow(__m128i low, __m128i high) {
    return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(low), _mm_castsi128_pd(high), 1));
}

// Pair p of the schedule is W[2p] and W[2p + 1]; x[p & 7] holds the last
// eight pairs. Computes pair p (p >= 8) over the oldest one and stores it,
// with its constants added, at wk[2p]. Callers pass constant p, so x stays
// in registers.
SUMWISE_VECTOR_INLINE void schedulePair(__m128i* x, std::uint64_t* wk, int p) {
    // W[2p-15], W[2p-14] and W[2p-7], W[2p-6] straddle two pairs.
    const __m128i w15 = highThenLow(x[p & 7], x[(p + 1) & 7]);
    const __m128i w7 = highThenLow(x[(p - 4) & 7], x[(p - 3) & 7]);
    const __m128i next = _mm_add_epi64(_mm_add_epi64(x[p & 7], smallSigma0x2(w15)),
                                       _mm_add_epi64(w7, smallSigma1x2(x[(p - 1) & 7])));
    x[p & 7] = next;
    const __m128i constants = _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 2 * p));
    _mm_store_si128(reinterpret_cast<__m128i*>(wk + 2 * p), _mm_add_epi64(next, constants));
    // Keeps the compiler from handing the words to the steps through
    // register moves: read from memory, they cost the scalar units nothing.
    __asm__ volatile("" : : "r"(wk) : "memory");
}

SUMWISE_VECTOR_INLINE void loadPair(__m128i* x, std::uint64_t* wk, const std::uint8_t* block, int p) {
    x[p] = _mm_set_epi64x(static_cast<long long>(bytes::load64be(block + 16 * p + 8)),
                          static_cast<long long>(bytes::load64be(block + 16 * p)));
    const __m128i constants = _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 2 * p));
    _mm_store_si128(reinterpret_cast<__m128i*>(wk + 2 * p), _mm_add_epi64(x[p], constants));
}

// Eight steps, computing four pairs of the schedule sixteen words ahead.
#define SHA512_INPUT(i) wk[(i)]
#define SHA512_EIGHT_STEPS_AHEAD(i)                                     \
    SHA512_STEP(a, b, c, d, e, f, g, h, wk[(i)], ab, bc)                \
    SHA512_STEP(h, a, b, c, d, e, f, g, wk[(i) + 1], bc, ab)            \
    schedulePair(x, wk, (i) / 2 + 8);                                   \
    SHA512_STEP(g, h, a, b, c, d, e, f, wk[(i) + 2], ab, bc)            \
    SHA512_STEP(f, g, h, a, b, c, d, e, wk[(i) + 3], bc, ab)            \
    schedulePair(x, wk, (i) / 2 + 9);                                   \
    SHA512_STEP(e, f, g, h, a, b, c, d, wk[(i) + 4], ab, bc)            \
    SHA512_STEP(d, e, f, g, h, a, b, c, wk[(i) + 5], bc, ab)            \
    schedulePair(x, wk, (i) / 2 + 10);                                  \
    SHA512_STEP(c, d, e, f, g, h, a, b, wk[(i) + 6], ab, bc)            \
    SHA512_STEP(b, c, d, e, f, g, h, a, wk[(i) + 7], bc, ab)            \
    schedulePair(x, wk, (i) / 2 + 11);

SUMWISE_VECTOR_INLINE void compressVectorSchedule(std::uint64_t* state, const std::uint8_t* blocks,
                                                  std::size_t count) {
    alignas(16) std::uint64_t wk[80];
    for (; count > 0; --count, blocks += 128) {
        __m128i x[8];
        loadPair(x, wk, blocks, 0);
        loadPair(x, wk, blocks, 1);
        loadPair(x, wk, blocks, 2);
        loadPair(x, wk, blocks, 3);
        loadPair(x, wk, blocks, 4);
        loadPair(x, wk, blocks, 5);
        loadPair(x, wk, blocks, 6);
        loadPair(x, wk, blocks, 7);
        __asm__ volatile("" : : "r"(wk) : "memory");
        SHA512_LOAD_STATE
        SHA512_EIGHT_STEPS_AHEAD(0)
        SHA512_EIGHT_STEPS_AHEAD(8)
        SHA512_EIGHT_STEPS_AHEAD(16)
        SHA512_EIGHT_STEPS_AHEAD(24)
        SHA512_EIGHT_STEPS_AHEAD(32)
        SHA512_EIGHT_STEPS_AHEAD(40)
        SHA512_EIGHT_STEPS_AHEAD(48)
        SHA512_EIGHT_STEPS_AHEAD(56)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 64)
        SHA512_EIGHT_STEPS(SHA512_INPUT, 72)
        SHA512_ADD_STATE
    }
}

#undef SHA512_EIGHT_STEPS_AHEAD
#undef SHA512_INPUT
#undef SUMWISE_VECTOR_INLINE

// Two blocks at once for the schedule: a 256-bit register holds a pair of
// words of one block in its low half and the same pair of the next block in
// its high half (the byte shifts work within halves, as the pairs need).
// Pair p of both blocks is stored, constants added, at wk2[4p]: the first
// block's two words, then the second's. The schedule of the next two blocks
// is computed during the steps of these two, a pair every four steps, so the
// vector units' share is spread evenly over the scalar steps.
#define SUMWISE_WIDE_INLINE SUMWISE_INLINE __attribute__((target("avx2")))

SUMWISE_WIDE_INLINE __m256i rotr4(__m256i x, int n) {
    return _mm256_or_si256(_mm256_srli_epi64(x, n), _mm256_slli_epi64(x, 64 - n));
}
// σ0's rotation by eight is a byte shuffle.
SUMWISE_WIDE_INLINE __m256i smallSigma0x4(__m256i x) {
    const __m256i rotate8 = _mm256_set_epi64x(0x080F0E0D0C0B0A09LL, 0x0007060504030201LL, 0x080F0E0D0C0B0A09LL,
                                              0x0007060504030201LL);
    return _mm256_xor_si256(_mm256_xor_si256(rotr4(x, 1), _mm256_shuffle_epi8(x, rotate8)), _mm256_srli_epi64(x, 7));
}
SUMWISE_WIDE_INLINE __m256i smallSigma1x4(__m256i x) {
    return _mm256_xor_si256(_mm256_xor_si256(rotr4(x, 19), rotr4(x, 61)), _mm256_srli_epi64(x, 6));
}

// Pair p, which sits in x[slot] (slot = p mod 8, a constant for the
// registers' sake).
SUMWISE_WIDE_INLINE void schedulePairs(__m256i* x, std::uint64_t* wk2, int p, int slot) {
    const __m256i w15 = _mm256_alignr_epi8(x[(slot + 1) & 7], x[slot], 8);
    const __m256i w7 = _mm256_alignr_epi8(x[(slot - 3) & 7], x[(slot - 4) & 7], 8);
    const __m256i next = _mm256_add_epi64(_mm256_add_epi64(x[slot], smallSigma0x4(w15)),
                                          _mm256_add_epi64(w7, smallSigma1x4(x[(slot - 1) & 7])));
    x[slot] = next;
    const __m256i constants =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 2 * p)));
    _mm256_store_si256(reinterpret_cast<__m256i*>(wk2 + 4 * p), _mm256_add_epi64(next, constants));
    __asm__ volatile("" : : "r"(wk2) : "memory");
}

SUMWISE_WIDE_INLINE void loadPairs(__m256i* x, std::uint64_t* wk2, const std::uint8_t* blocks) {
    const __m256i swapBytes = _mm256_set_epi64x(0x08090A0B0C0D0E0FLL, 0x0001020304050607LL, 0x08090A0B0C0D0E0FLL,
                                                0x0001020304050607LL);
#pragma GCC unroll 8
    for (int p = 0; p < 8; ++p) {
        const __m256i words = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(blocks + 128 + 16 * p),
                                                  reinterpret_cast<const __m128i*>(blocks + 16 * p));
        x[p] = _mm256_shuffle_epi8(words, swapBytes);
        const __m256i constants =
            _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 2 * p)));
        _mm256_store_si256(reinterpret_cast<__m256i*>(wk2 + 4 * p), _mm256_add_epi64(x[p], constants));
    }
    __asm__ volatile("" : : "r"(wk2) : "memory");
}

// W[t] + K[t] for t = i + k: `at` is wk2 + 2i; `half` is 0 for the first
// block, 2 for the second.
#define SHA512_PAIRED(k) at[4 * ((k) / 2) + half + (k) % 2]
#define SHA512_TWO_STEPS(k, a, b, c, d, e, f, g, h)                    \
    SHA512_STEP(a, b, c, d, e, f, g, h, SHA512_PAIRED((k)), ab, bc)     \
    SHA512_STEP(h, a, b, c, d, e, f, g, SHA512_PAIRED((k) + 1), bc, ab)
#define SHA512_FOUR_STEPS_SCHEDULING(k, a, b, c, d, e, f, g, h) \
    SHA512_TWO_STEPS(k, a, b, c, d, e, f, g, h)                 \
    SHA512_TWO_STEPS((k) + 2, g, h, a, b, c, d, e, f)           \
    schedulePairs(x, next, first + (k) / 4, (k) / 4);

// The 80 steps of one block of the pair (`half` 0 or 2), which also compute
// pairs first .. first + 15 of the next two blocks' schedule (first is 8 or
// 24, so the slots are constants).
SUMWISE_WIDE_INLINE void stepsScheduling(std::uint64_t* state, const std::uint64_t* wk2, int half, __m256i* x,
                                         std::uint64_t* next, int first) {
    SHA512_LOAD_STATE
    for (int i = 0; i < 64; i += 32) {
        const std::uint64_t* at = wk2 + 2 * i;
        SHA512_FOUR_STEPS_SCHEDULING(0, a, b, c, d, e, f, g, h)
        SHA512_FOUR_STEPS_SCHEDULING(4, e, f, g, h, a, b, c, d)
        SHA512_FOUR_STEPS_SCHEDULING(8, a, b, c, d, e, f, g, h)
        SHA512_FOUR_STEPS_SCHEDULING(12, e, f, g, h, a, b, c, d)
        SHA512_FOUR_STEPS_SCHEDULING(16, a, b, c, d, e, f, g, h)
        SHA512_FOUR_STEPS_SCHEDULING(20, e, f, g, h, a, b, c, d)
        SHA512_FOUR_STEPS_SCHEDULING(24, a, b, c, d, e, f, g, h)
        SHA512_FOUR_STEPS_SCHEDULING(28, e, f, g, h, a, b, c, d)
        first += 8;
    }
    for (int i = 64; i < 80; i += 8) {
        const std::uint64_t* at = wk2 + 2 * i;
        SHA512_TWO_STEPS(0, a, b, c, d, e, f, g, h)
        SHA512_TWO_STEPS(2, g, h, a, b, c, d, e, f)
        SHA512_TWO_STEPS(4, e, f, g, h, a, b, c, d)
        SHA512_TWO_STEPS(6, c, d, e, f, g, h, a, b)
    }
    SHA512_ADD_STATE
}

// The same steps for the last pair, with no schedule to compute.
SUMWISE_WIDE_INLINE void steps(std::uint64_t* state, const std::uint64_t* wk2, int half) {
    SHA512_LOAD_STATE
    for (int i = 0; i < 80; i += 8) {
        const std::uint64_t* at = wk2 + 2 * i;
        SHA512_TWO_STEPS(0, a, b, c, d, e, f, g, h)
        SHA512_TWO_STEPS(2, g, h, a, b, c, d, e, f)
        SHA512_TWO_STEPS(4, e, f, g, h, a, b, c, d)
        SHA512_TWO_STEPS(6, c, d, e, f, g, h, a, b)
    }
    SHA512_ADD_STATE
}

#undef SHA512_FOUR_STEPS_SCHEDULING
#undef SHA512_TWO_STEPS
#undef SHA512_PAIRED

// Whole pairs of blocks; returns the blocks left over (none or one).
SUMWISE_WIDE_INLINE std::size_t compressPairs(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count) {
    if (count < 2) return count;
    alignas(32) std::uint64_t wk2[2][160];
    __m256i x[8];
    // The first pair's schedule in one go; every later one overlaps the steps.
    loadPairs(x, wk2[0], blocks);
    for (int p = 8; p < 40; p += 8) {
#pragma GCC unroll 8
        for (int slot = 0; slot < 8; ++slot) schedulePairs(x, wk2[0], p + slot, slot);
    }
    int current = 0;
    for (; count >= 4; count -= 2, blocks += 256, current ^= 1) {
        std::uint64_t* next = wk2[current ^ 1];
        loadPairs(x, next, blocks + 256);
        stepsScheduling(state, wk2[current], 0, x, next, 8);
        stepsScheduling(state, wk2[current], 2, x, next, 24);
    }
    steps(state, wk2[current], 0);
    steps(state, wk2[current], 2);
    return count - 2;
}

#undef SUMWISE_WIDE_INLINE

// The one-block body, built twice: with SSE2 encodings, and with AVX-512's
// rotations (there it was measured ahead of the two-block schedule, whose
// steps the compiler then builds with general registers spilled to vector
// ones). The AVX2 build pairs blocks, and takes this body for an odd one;
// it is built with BMI2's rorx, without which GCC's allocation of the
// two-block steps was measured 40% slower.
void compressSse2(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count) {
    compressVectorSchedule(state, blocks, count);
}

__attribute__((target("avx2,bmi2"))) void compressAvx2(std::uint64_t* state, const std::uint8_t* blocks,
                                                         std::size_t count) {
    const std::size_t left = compressPairs(state, blocks, count);
    if (left > 0) compressVectorSchedule(state, blocks + 128 * (count - left), left);
}

__attribute__((target("avx2,bmi2,avx512f,avx512vl"))) void compressAvx512(std::uint64_t* state,
                                                                            const std::uint8_t* blocks,
                                                                            std::size_t count) {
    compressVectorSchedule(state, blocks, count);
}

#endif

#undef SHA512_ADD_STATE
#undef SHA512_LOAD_STATE
#undef SHA512_EIGHT_STEPS
#undef SHA512_STEP
#undef SUMWISE_INLINE

}  // namespace

std::span<const Sha512Variant> sha512Variants() {
    static constexpr Sha512Variant kVariants[] = {
        {"portable", compressPortable, anyProcessor},
#if defined(__x86_64__)
        {"sse2", compressSse2, anyProcessor},
        {"avx2", compressAvx2, hasAvx2},
        {"avx512", compressAvx512, hasAvx512},
#endif
    };
    return kVariants;
}

}  // namespace sumwise
