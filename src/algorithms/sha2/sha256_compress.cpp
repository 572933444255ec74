// The SHA-256 compression (also SHA-224's): unrolled portable code, and the
// SHA extensions (sha256rnds2 for the steps, sha256msg1/sha256msg2 for the
// schedule) where the processor has them. The constants are reproduced by
// scripts/sha2_constants.py.
#include <bit>

#include "algorithms/bytes.h"
#include "algorithms/cpu_features.h"
#include "algorithms/sha2/sha2.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sumwise {

namespace {

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428A2F98, 0x71374491, 0xB5C0FBCF, 0xE9B5DBA5, 0x3956C25B, 0x59F111F1, 0x923F82A4, 0xAB1C5ED5,
    0xD807AA98, 0x12835B01, 0x243185BE, 0x550C7DC3, 0x72BE5D74, 0x80DEB1FE, 0x9BDC06A7, 0xC19BF174,
    0xE49B69C1, 0xEFBE4786, 0x0FC19DC6, 0x240CA1CC, 0x2DE92C6F, 0x4A7484AA, 0x5CB0A9DC, 0x76F988DA,
    0x983E5152, 0xA831C66D, 0xB00327C8, 0xBF597FC7, 0xC6E00BF3, 0xD5A79147, 0x06CA6351, 0x14292967,
    0x27B70A85, 0x2E1B2138, 0x4D2C6DFC, 0x53380D13, 0x650A7354, 0x766A0ABB, 0x81C2C92E, 0x92722C85,
    0xA2BFE8A1, 0xA81A664B, 0xC24B8B70, 0xC76C51A3, 0xD192E819, 0xD6990624, 0xF40E3585, 0x106AA070,
    0x19A4C116, 0x1E376C08, 0x2748774C, 0x34B0BCB5, 0x391C0CB3, 0x4ED8AA4A, 0x5B9CCA4F, 0x682E6FF3,
    0x748F82EE, 0x78A5636F, 0x84C87814, 0x8CC70208, 0x90BEFFFA, 0xA4506CEB, 0xBEF9A3F7, 0xC67178F2,
};

#define SUMWISE_INLINE inline __attribute__((always_inline))

SUMWISE_INLINE std::uint32_t bigSigma0(std::uint32_t x) {
    return std::rotr(x, 2) ^ std::rotr(x, 13) ^ std::rotr(x, 22);
}
SUMWISE_INLINE std::uint32_t bigSigma1(std::uint32_t x) {
    return std::rotr(x, 6) ^ std::rotr(x, 11) ^ std::rotr(x, 25);
}
SUMWISE_INLINE std::uint32_t smallSigma0(std::uint32_t x) { return std::rotr(x, 7) ^ std::rotr(x, 18) ^ (x >> 3); }
SUMWISE_INLINE std::uint32_t smallSigma1(std::uint32_t x) { return std::rotr(x, 17) ^ std::rotr(x, 19) ^ (x >> 10); }
SUMWISE_INLINE std::uint32_t choose(std::uint32_t e, std::uint32_t f, std::uint32_t g) { return g ^ (e & (f ^ g)); }

// W[i] + K[i], with W in a window of sixteen words computed on first use.
// Callers pass constant i, so the window sits at fixed places.
SUMWISE_INLINE std::uint32_t scheduled(std::uint32_t* w, int i) {
    if (i >= 16) {
        w[i & 15] += smallSigma1(w[(i - 2) & 15]) + w[(i - 7) & 15] + smallSigma0(w[(i - 15) & 15]);
    }
    return w[i & 15] + kRound[i];
}

// One step with the words renamed instead of moved: the caller rotates the
// arguments, so `h` receives the new a and `d` the new e. Maj(a, b, c) =
// b ^ ((a ^ b) & (b ^ c)), and a ^ b is the next step's b ^ c, so two
// variables take turns carrying it.
#define SHA256_STEP(a, b, c, d, e, f, g, h, i, ab, bc)                              \
    {                                                                               \
        const std::uint32_t t1 = h + scheduled(w, (i)) + choose(e, f, g) + bigSigma1(e); \
        d += t1;                                                                    \
        ab = a ^ b;                                                                 \
        h = t1 + bigSigma0(a) + (b ^ (ab & bc));                                    \
    }

#define SHA256_EIGHT_STEPS(i)                                \
    SHA256_STEP(a, b, c, d, e, f, g, h, (i), ab, bc)         \
    SHA256_STEP(h, a, b, c, d, e, f, g, (i) + 1, bc, ab)     \
    SHA256_STEP(g, h, a, b, c, d, e, f, (i) + 2, ab, bc)     \
    SHA256_STEP(f, g, h, a, b, c, d, e, (i) + 3, bc, ab)     \
    SHA256_STEP(e, f, g, h, a, b, c, d, (i) + 4, ab, bc)     \
    SHA256_STEP(d, e, f, g, h, a, b, c, (i) + 5, bc, ab)     \
    SHA256_STEP(c, d, e, f, g, h, a, b, (i) + 6, ab, bc)     \
    SHA256_STEP(b, c, d, e, f, g, h, a, (i) + 7, bc, ab)

void compressPortable(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count) {
    std::uint32_t w[16];
    for (; count > 0; --count, blocks += 64) {
        for (int i = 0; i < 16; ++i) w[i] = bytes::load32be(blocks + 4 * i);
        std::uint32_t a = state[0];
        std::uint32_t b = state[1];
        std::uint32_t c = state[2];
        std::uint32_t d = state[3];
        std::uint32_t e = state[4];
        std::uint32_t f = state[5];
        std::uint32_t g = state[6];
        std::uint32_t h = state[7];
        std::uint32_t ab = 0;
        std::uint32_t bc = b ^ c;
        SHA256_EIGHT_STEPS(0)
        SHA256_EIGHT_STEPS(8)
        SHA256_EIGHT_STEPS(16)
        SHA256_EIGHT_STEPS(24)
        SHA256_EIGHT_STEPS(32)
        SHA256_EIGHT_STEPS(40)
        SHA256_EIGHT_STEPS(48)
        SHA256_EIGHT_STEPS(56)
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#undef SHA256_EIGHT_STEPS
#undef SHA256_STEP
#undef SUMWISE_INLINE

#if defined(__x86_64__)
#define SUMWISE_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

// sha256rnds2 keeps the state as two registers, A B E F and C D G H (A in
// the highest lane), and takes W[t] + K[t] for two steps in the low lanes.
SUMWISE_SHA_TARGET inline void fourSteps(__m128i& abef, __m128i& cdgh, __m128i words, int t) {
    const __m128i sums = _mm_add_epi32(words, _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + t)));
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sums);
    abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(sums, 0x0E));
}

// W[t..t+3] from the four groups before it.
SUMWISE_SHA_TARGET inline __m128i nextWords(__m128i w16, __m128i w12, __m128i w8, __m128i w4) {
    const __m128i partial = _mm_add_epi32(_mm_sha256msg1_epu32(w16, w12), _mm_alignr_epi8(w4, w8, 4));
    return _mm_sha256msg2_epu32(partial, w4);
}

SUMWISE_SHA_TARGET inline __m128i loadBlockWords(const std::uint8_t* p) {
    const __m128i swapWords = _mm_set_epi64x(0x0C0D0E0F08090A0BLL, 0x0405060700010203LL);
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), swapWords);
}

SUMWISE_SHA_TARGET void compressShaNi(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count) {
    // From A B C D / E F G H in memory to the register pair.
    const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

    for (; count > 0; --count, blocks += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        __m128i m0 = loadBlockWords(blocks);
        __m128i m1 = loadBlockWords(blocks + 16);
        __m128i m2 = loadBlockWords(blocks + 32);
        __m128i m3 = loadBlockWords(blocks + 48);
        fourSteps(abef, cdgh, m0, 0);
        fourSteps(abef, cdgh, m1, 4);
        fourSteps(abef, cdgh, m2, 8);
        fourSteps(abef, cdgh, m3, 12);
        for (int t = 16; t < 64; t += 16) {
            m0 = nextWords(m0, m1, m2, m3);
            fourSteps(abef, cdgh, m0, t);
            m1 = nextWords(m1, m2, m3, m0);
            fourSteps(abef, cdgh, m1, t + 4);
            m2 = nextWords(m2, m3, m0, m1);
            fourSteps(abef, cdgh, m2, t + 8);
            m3 = nextWords(m3, m0, m1, m2);
            fourSteps(abef, cdgh, m3, t + 12);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#undef SUMWISE_SHA_TARGET

#endif

}  // namespace

std::span<const Sha256Variant> sha256Variants() {
    static constexpr Sha256Variant kVariants[] = {
        {"portable", compressPortable, anyProcessor},
#if defined(__x86_64__)
        {"sha-ni", compressShaNi, hasShaExtensions},
#endif
    };
    return kVariants;
}

}  // namespace sumwise
