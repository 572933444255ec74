// MD6's compression function. Word i of the working array (i >= 89) is
//   x = S ^ A[i-89] ^ A[i-17] ^ (A[i-18] & A[i-21]) ^ (A[i-31] & A[i-67])
//   x ^= x >> r_k;  A[i] = x ^ (x << l_k)        with k = (i - 89) mod 16,
// and the output is the last 16 words. The nearest tap is 17 words back, so
// the 16 steps of a round do not depend on each other: the vector paths
// compute them side by side, four or eight at a time.
#include <bit>
#include <cstring>
#include <utility>

#include "algorithms/cpu_features.h"
#include "algorithms/md6/md6.h"
#include "algorithms/md6/md6_constants.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sumwise::md6 {

namespace {

constexpr std::size_t kMaxWorkingWords = kInputWords + 16 * kMaxRounds;  // 4169

static_assert(kTaps[0] == 17 && kTaps[1] == 18 && kTaps[2] == 21 && kTaps[3] == 31 && kTaps[4] == 67 &&
              kTaps[5] == 89 && kTaps[5] == kInputWords);

constexpr std::uint64_t nextRoundConstant(std::uint64_t s) { return std::rotl(s, 1) ^ (s & kSMask); }

// `a` points at word i; the taps are negative offsets from it.
template <int k>
inline void step(std::uint64_t* a, std::uint64_t s) {
    std::uint64_t x = s ^ a[k - 89] ^ a[k - 17] ^ (a[k - 18] & a[k - 21]) ^ (a[k - 31] & a[k - 67]);
    x ^= x >> kRightShifts[k];
    a[k] = x ^ (x << kLeftShifts[k]);
}

template <std::size_t... k>
inline void round(std::uint64_t* a, std::uint64_t s, std::index_sequence<k...>) {
    (step<static_cast<int>(k)>(a, s), ...);
}

}  // namespace

void compressPortable(const std::uint64_t* input, std::uint64_t* output, unsigned rounds) {
    std::uint64_t a[kMaxWorkingWords];
    std::memcpy(a, input, kInputWords * sizeof(std::uint64_t));
    std::uint64_t s = kS0;
    std::uint64_t* next = a + kInputWords;
    for (unsigned j = 0; j < rounds; ++j, next += 16) {
#if defined(__GNUC__)
        // Hide the rounds' common addressing: otherwise GCC carries many of the
        // words from round to round in spilled temporaries, a third slower.
        __asm__("" : "+r"(next));
#endif
        round(next, s, std::make_index_sequence<16>{});
        s = nextRoundConstant(s);
    }
    std::memcpy(output, next - kOutputWords, kOutputWords * sizeof(std::uint64_t));
}

#if defined(__x86_64__)
// GCC 12's AVX-512 intrinsics start from a deliberately undefined register,
// which its own flow analysis then reports.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
namespace {

// Eight consecutive words from the 24 words before them in registers
// (older: 24..17 back, old: 16..9 back, oldest: 32..25 back) and taps 67
// and 89 from the array. 0x96 is a ^ b ^ c, 0x78 is a ^ (b & c).
__attribute__((target("avx512f"), always_inline)) inline __m512i eightWords(const std::uint64_t* at, __m512i s,
                                                                            __m512i older, __m512i old,
                                                                            __m512i oldest, __m512i right,
                                                                            __m512i left) {
    __m512i x = _mm512_ternarylogic_epi64(s, _mm512_loadu_si512(at - 89), _mm512_alignr_epi64(old, older, 7), 0x96);
    x = _mm512_ternarylogic_epi64(x, _mm512_alignr_epi64(older, oldest, 1), _mm512_loadu_si512(at - 67), 0x78);
    x = _mm512_ternarylogic_epi64(x, _mm512_alignr_epi64(old, older, 6), _mm512_alignr_epi64(old, older, 3), 0x78);
    x = _mm512_xor_si512(x, _mm512_srlv_epi64(x, right));
    return _mm512_xor_si512(x, _mm512_sllv_epi64(x, left));
}

// Eight steps per vector, two vectors per round. The last 32 words stay in
// registers (w4 oldest ... w1 newest), from which the taps 17, 18, 21 and 31
// are cut with lane shifts; taps 67 and 89 are read back from the array,
// long after they were written.
__attribute__((target("avx512f"))) void compressAvx512(const std::uint64_t* input, std::uint64_t* output,
                                                       unsigned rounds) {
    std::uint64_t a[kMaxWorkingWords];
    std::memcpy(a, input, kInputWords * sizeof(std::uint64_t));
    const __m512i rightLow = _mm512_setr_epi64(kRightShifts[0], kRightShifts[1], kRightShifts[2], kRightShifts[3],
                                               kRightShifts[4], kRightShifts[5], kRightShifts[6], kRightShifts[7]);
    const __m512i rightHigh = _mm512_setr_epi64(kRightShifts[8], kRightShifts[9], kRightShifts[10],
                                                kRightShifts[11], kRightShifts[12], kRightShifts[13],
                                                kRightShifts[14], kRightShifts[15]);
    const __m512i leftLow = _mm512_setr_epi64(kLeftShifts[0], kLeftShifts[1], kLeftShifts[2], kLeftShifts[3],
                                              kLeftShifts[4], kLeftShifts[5], kLeftShifts[6], kLeftShifts[7]);
    const __m512i leftHigh = _mm512_setr_epi64(kLeftShifts[8], kLeftShifts[9], kLeftShifts[10], kLeftShifts[11],
                                               kLeftShifts[12], kLeftShifts[13], kLeftShifts[14], kLeftShifts[15]);
    std::uint64_t* next = a + kInputWords;
    // From the caller's copy: reading back the words just copied would stall.
    __m512i w4 = _mm512_loadu_si512(input + kInputWords - 32);
    __m512i w3 = _mm512_loadu_si512(input + kInputWords - 24);
    __m512i w2 = _mm512_loadu_si512(input + kInputWords - 16);
    __m512i w1 = _mm512_loadu_si512(input + kInputWords - 8);

    std::uint64_t s = kS0;
    for (unsigned j = 0; j < rounds; ++j, next += 16) {
        const __m512i constant = _mm512_set1_epi64(static_cast<long long>(s));
        // Words next .. next+7 read w2 (16 back), w3 and w4.
        const __m512i low = eightWords(next, constant, w3, w2, w4, rightLow, leftLow);
        _mm512_storeu_si512(next, low);
        // Words next+8 .. next+15 read w1, w2 and w3.
        const __m512i high = eightWords(next + 8, constant, w2, w1, w3, rightHigh, leftHigh);
        _mm512_storeu_si512(next + 8, high);
        w4 = w2;
        w3 = w1;
        w2 = low;
        w1 = high;
        s = nextRoundConstant(s);
    }
    std::memcpy(output, next - kOutputWords, kOutputWords * sizeof(std::uint64_t));
}

// Four steps per vector, four vectors per round. The last 32 words stay in
// registers (v[0] oldest ... v[7] newest, four words each). The taps 17, 18,
// 21 and 31 straddle two of them: AVX2 shifts bytes only within 128-bit
// halves, so each is cut from the pair's middle (a swap of halves) and one
// byte shift, and the middle of one pair serves three vectors in turn.
// Taps 67 and 89 are read back from the array, long after they were written.
// Words 2, 3 of `low` and 0, 1 of `high`.
__attribute__((target("avx2"), always_inline)) inline __m256i middle(__m256i low, __m256i high) { return _mm256_permute2x128_si256(low, high, 0x21); }

__attribute__((target("avx2"))) void compressAvx2(const std::uint64_t* input, std::uint64_t* output,
                                                  unsigned rounds) {
    std::uint64_t a[kMaxWorkingWords];
    std::memcpy(a, input, kInputWords * sizeof(std::uint64_t));
    __m256i right[4];
    __m256i left[4];
    for (int q = 0; q < 4; ++q) {
        right[q] = _mm256_setr_epi64x(kRightShifts[4 * q], kRightShifts[4 * q + 1], kRightShifts[4 * q + 2],
                                      kRightShifts[4 * q + 3]);
        left[q] = _mm256_setr_epi64x(kLeftShifts[4 * q], kLeftShifts[4 * q + 1], kLeftShifts[4 * q + 2],
                                     kLeftShifts[4 * q + 3]);
    }
    // From the caller's copy: reading back the words just copied would stall.
    __m256i v[8];
    for (int g = 0; g < 8; ++g) {
        v[g] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(input + kInputWords - 32 + 4 * g));
    }
    // The middles of (v[0], v[1]), (v[1], v[2]) and (v[2], v[3]), for the next vector.
    __m256i middle01 = middle(v[0], v[1]);
    __m256i middle12 = middle(v[1], v[2]);
    __m256i middle23 = middle(v[2], v[3]);

    std::uint64_t s = kS0;
    std::uint64_t* next = a + kInputWords;
    for (unsigned j = 0; j < rounds; ++j) {
        const __m256i constant = _mm256_set1_epi64x(static_cast<long long>(s));
#pragma GCC unroll 4
        for (int q = 0; q < 4; ++q, next += 4) {
            // Word i = next[0]; v[g] holds words i - 32 + 4g .. i - 29 + 4g.
            const __m256i middle34 = middle(v[3], v[4]);                   // i-18 .. i-15
            const __m256i tap17 = _mm256_alignr_epi8(v[4], middle34, 8);   // i-17 .. i-14
            const __m256i tap21 = _mm256_alignr_epi8(v[3], middle23, 8);   // i-21 .. i-18
            const __m256i tap31 = _mm256_alignr_epi8(middle01, v[0], 8);   // i-31 .. i-28
            const __m256i tap67 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(next - 67));
            const __m256i tap89 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(next - 89));
            __m256i x = _mm256_xor_si256(_mm256_xor_si256(constant, tap89), tap17);
            x = _mm256_xor_si256(x, _mm256_and_si256(middle34, tap21));
            x = _mm256_xor_si256(x, _mm256_and_si256(tap31, tap67));
            x = _mm256_xor_si256(x, _mm256_srlv_epi64(x, right[q]));
            x = _mm256_xor_si256(x, _mm256_sllv_epi64(x, left[q]));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(next), x);
            for (int g = 0; g < 7; ++g) v[g] = v[g + 1];
            v[7] = x;
            middle01 = middle12;
            middle12 = middle23;
            middle23 = middle34;
        }
        s = nextRoundConstant(s);
    }
    std::memcpy(output, next - kOutputWords, kOutputWords * sizeof(std::uint64_t));
}

}  // namespace
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

std::span<const CompressVariant> compressVariants() {
    static constexpr CompressVariant kVariants[] = {
        {"portable", compressPortable, anyProcessor},
#if defined(__x86_64__)
        {"avx2", compressAvx2, hasAvx2},
        {"avx512", compressAvx512, hasAvx512},
#endif
    };
    return kVariants;
}

}  // namespace sumwise::md6
