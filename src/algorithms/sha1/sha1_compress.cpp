// The SHA-1 compression with its three message schedules: portable code for
// each, and with the SHA extensions, sha1rnds4 runs the steps of all three.
#include <bit>

#include "algorithms/bytes.h"
#include "algorithms/cpu_features.h"
#include "algorithms/sha1/sha1.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sumwise {

namespace {

constexpr std::uint32_t kK0 = 0x5A827999;
constexpr std::uint32_t kK1 = 0x6ED9EBA1;
constexpr std::uint32_t kK2 = 0x8F1BBCDC;
constexpr std::uint32_t kK3 = 0xCA62C1D6;

#define SUMWISE_INLINE inline __attribute__((always_inline))

// W[t] of the schedule. The words live in a window of 32 (SHA-1-IME looks
// 20 back); callers pass constant t, so the window stays in registers or at
// fixed stack slots and nothing is left for the vectoriser to split up.
template <Sha1Schedule Schedule>
SUMWISE_INLINE std::uint32_t word(std::uint32_t* w, const std::uint8_t* block, int t) {
    if (t < 16) {
        w[t] = bytes::load32be(block + 4 * t);
        return w[t];
    }
    const std::uint32_t b = w[(t - 3) & 31] ^ w[(t - 8) & 31] ^ w[(t - 14) & 31] ^ w[(t - 16) & 31];
    std::uint32_t next;
    if constexpr (Schedule == Sha1Schedule::Sha1) {
        next = std::rotl(b, 1);
    } else if constexpr (Schedule == Sha1Schedule::Sha0) {
        next = b;
    } else {
        // SHA-1-IME: X = W[t-1] ^ W[t-2] and the shifted word is W[t-15]
        // for the first twenty schedule words; after them W[t-15] joins X
        // and W[t-20] is shifted. The halves are combined by OR; an XOR
        // would cancel X and leave a plain rotation of S. Each word needs the
        // one before it, so everything else is combined first: from W[t-1]
        // on, the word is three operations away.
        std::uint32_t older = w[(t - 2) & 31];
        std::uint32_t s = w[(t - 15) & 31];
        if (t >= 36) {
            older ^= w[(t - 15) & 31];
            s = w[(t - 20) & 31];
        }
        std::uint32_t left = older ^ (s << 13);
        std::uint32_t right = older ^ (s >> 19);
        // Kept apart from W[t-1], so the compiler cannot fold them back into X.
        asm("" : "+r"(left), "+r"(right));
        const std::uint32_t previous = w[(t - 1) & 31];
        next = b ^ ((previous ^ left) | (previous ^ right));
    }
    w[t & 31] = next;
    return next;
}

SUMWISE_INLINE std::uint32_t choose(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return d ^ (b & (c ^ d)); }
SUMWISE_INLINE std::uint32_t parity(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return b ^ c ^ d; }
SUMWISE_INLINE std::uint32_t majority(std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return (b & c) | (d & (b | c));
}

// One step with the words renamed instead of moved: the caller rotates the
// arguments, so `e` receives the new a and `b` becomes ROTL30(b).
#define SHA1_STEP(f, k, a, b, c, d, e, t)                                          \
    e += std::rotl(a, 5) + f(b, c, d) + (k) + word<Schedule>(w, block, (t));    \
    b = std::rotl(b, 30);

#define SHA1_FIVE_STEPS(f, k, t)              \
    SHA1_STEP(f, k, a, b, c, d, e, (t))       \
    SHA1_STEP(f, k, e, a, b, c, d, (t) + 1)   \
    SHA1_STEP(f, k, d, e, a, b, c, (t) + 2)   \
    SHA1_STEP(f, k, c, d, e, a, b, (t) + 3)   \
    SHA1_STEP(f, k, b, c, d, e, a, (t) + 4)

#define SHA1_TWENTY_STEPS(f, k, t)   \
    SHA1_FIVE_STEPS(f, k, (t))       \
    SHA1_FIVE_STEPS(f, k, (t) + 5)   \
    SHA1_FIVE_STEPS(f, k, (t) + 10)  \
    SHA1_FIVE_STEPS(f, k, (t) + 15)

template <Sha1Schedule Schedule>
void compressPortable(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count) {
    std::uint32_t w[32];
    for (; count > 0; --count, blocks += 64) {
        const std::uint8_t* block = blocks;
        std::uint32_t a = state[0];
        std::uint32_t b = state[1];
        std::uint32_t c = state[2];
        std::uint32_t d = state[3];
        std::uint32_t e = state[4];
        SHA1_TWENTY_STEPS(choose, kK0, 0)
        SHA1_TWENTY_STEPS(parity, kK1, 20)
        SHA1_TWENTY_STEPS(majority, kK2, 40)
        SHA1_TWENTY_STEPS(parity, kK3, 60)
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

#undef SHA1_TWENTY_STEPS
#undef SHA1_FIVE_STEPS
#undef SHA1_STEP

#if defined(__x86_64__)
#define SUMWISE_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

// Registers hold four words with the earliest in the highest lane, the
// order sha1rnds4 expects: A..D of the state, and E alone in the top lane.

// Four steps with function `Function`. The E of this group is ROTL30 of
// the A four steps back (`previous`), added to the group's first word.
template <int Function>
SUMWISE_SHA_TARGET inline void fourSteps(__m128i& abcd, __m128i& previous, __m128i words) {
    const __m128i e = _mm_sha1nexte_epu32(previous, words);
    previous = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e, Function);
}

// W[t..t+3] from the four groups before it. SHA-1 has instructions for its
// schedule. SHA-0's lacks only the rotation: sha1msg1 and two XORs give every
// term but W[t-3] of the last lane, which is the first lane's new word.
// SHA-1-IME's chains every word to the one before, so it is scalar.
template <Sha1Schedule Schedule>
SUMWISE_SHA_TARGET inline __m128i nextWords(__m128i w16, __m128i w12, __m128i w8, __m128i w4, std::uint32_t* w,
                                            const std::uint8_t* block, int t) {
    if constexpr (Schedule == Sha1Schedule::Sha1) {
        return _mm_sha1msg2_epu32(_mm_xor_si128(_mm_sha1msg1_epu32(w16, w12), w8), w4);
    } else if constexpr (Schedule == Sha1Schedule::Sha0) {
        const __m128i x = _mm_xor_si128(_mm_xor_si128(_mm_sha1msg1_epu32(w16, w12), w8), _mm_slli_si128(w4, 4));
        return _mm_xor_si128(x, _mm_srli_si128(x, 12));
    } else {
        const std::uint32_t first = word<Schedule>(w, block, t);
        const std::uint32_t second = word<Schedule>(w, block, t + 1);
        const std::uint32_t third = word<Schedule>(w, block, t + 2);
        const std::uint32_t fourth = word<Schedule>(w, block, t + 3);
        return _mm_set_epi32(static_cast<int>(first), static_cast<int>(second), static_cast<int>(third),
                             static_cast<int>(fourth));
    }
}

SUMWISE_SHA_TARGET inline __m128i loadBlockWords(const std::uint8_t* p) {
    const __m128i reverse = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
}

// Replaces the oldest group by the next one and runs its four steps.
#define SHA1_GROUP(function, t, oldest, m1, m2, newest)                            \
    oldest = nextWords<Schedule>(oldest, m1, m2, newest, w, blocks, (t));       \
    fourSteps<function>(abcd, previous, oldest);

template <Sha1Schedule Schedule>
SUMWISE_SHA_TARGET void compressShaNi(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count) {
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
    std::uint32_t w[32];  // the scalar schedule's window (SHA-1-IME only)
    for (; count > 0; --count, blocks += 64) {
        if constexpr (Schedule == Sha1Schedule::Ime) {
            for (int t = 0; t < 16; ++t) word<Schedule>(w, blocks, t);
        }
        const __m128i abcdBefore = abcd;
        const __m128i eBefore = e0;
        __m128i m0 = loadBlockWords(blocks);
        __m128i m1 = loadBlockWords(blocks + 16);
        __m128i m2 = loadBlockWords(blocks + 32);
        __m128i m3 = loadBlockWords(blocks + 48);

        __m128i previous = abcd;
        abcd = _mm_sha1rnds4_epu32(abcd, _mm_add_epi32(e0, m0), 0);
        fourSteps<0>(abcd, previous, m1);
        fourSteps<0>(abcd, previous, m2);
        fourSteps<0>(abcd, previous, m3);
        SHA1_GROUP(0, 16, m0, m1, m2, m3)
        SHA1_GROUP(1, 20, m1, m2, m3, m0)
        SHA1_GROUP(1, 24, m2, m3, m0, m1)
        SHA1_GROUP(1, 28, m3, m0, m1, m2)
        SHA1_GROUP(1, 32, m0, m1, m2, m3)
        SHA1_GROUP(1, 36, m1, m2, m3, m0)
        SHA1_GROUP(2, 40, m2, m3, m0, m1)
        SHA1_GROUP(2, 44, m3, m0, m1, m2)
        SHA1_GROUP(2, 48, m0, m1, m2, m3)
        SHA1_GROUP(2, 52, m1, m2, m3, m0)
        SHA1_GROUP(2, 56, m2, m3, m0, m1)
        SHA1_GROUP(3, 60, m3, m0, m1, m2)
        SHA1_GROUP(3, 64, m0, m1, m2, m3)
        SHA1_GROUP(3, 68, m1, m2, m3, m0)
        SHA1_GROUP(3, 72, m2, m3, m0, m1)
        SHA1_GROUP(3, 76, m3, m0, m1, m2)

        e0 = _mm_sha1nexte_epu32(previous, eBefore);
        abcd = _mm_add_epi32(abcd, abcdBefore);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}

#undef SHA1_GROUP
#undef SUMWISE_SHA_TARGET

#endif

#undef SUMWISE_INLINE

template <Sha1Schedule Schedule>
constexpr Sha1Variant kVariants[] = {
    {"portable", compressPortable<Schedule>, anyProcessor},
#if defined(__x86_64__)
    {"sha-ni", compressShaNi<Schedule>, hasShaExtensions},
#endif
};

}  // namespace

std::span<const Sha1Variant> sha1Variants(Sha1Schedule schedule) {
    switch (schedule) {
        case Sha1Schedule::Sha0: return kVariants<Sha1Schedule::Sha0>;
        case Sha1Schedule::Sha1: return kVariants<Sha1Schedule::Sha1>;
        case Sha1Schedule::Ime: return kVariants<Sha1Schedule::Ime>;
    }
    return kVariants<Sha1Schedule::Sha1>;
}

}  // namespace sumwise
