// The BLAKE2 constants and the compressions for particular instruction sets,
// listed by blake2.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "algorithms/blake2/blake2.h"

#if defined(__x86_64__)
#define SUMWISE_BLAKE2_X86 1
#else
#define SUMWISE_BLAKE2_X86 0
#endif

namespace sumwise::blake2 {

// The initial values: SHA-512's for BLAKE2b, SHA-256's for BLAKE2s.
inline constexpr std::uint64_t kIv64[8] = {0x6A09E667F3BCC908, 0xBB67AE8584CAA73B, 0x3C6EF372FE94F82B,
                                           0xA54FF53A5F1D36F1, 0x510E527FADE682D1, 0x9B05688C2B3E6C1F,
                                           0x1F83D9ABFB41BD6B, 0x5BE0CD19137E2179};
inline constexpr std::uint32_t kIv32[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                                           0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};

// The message schedule: round r takes the words in the order kSigma[r % 10].
inline constexpr std::uint8_t kSigma[10][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4}, {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13}, {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11}, {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5}, {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

// Adds `increment` to the double-word counter.
template <typename Word>
inline void advance(Word* t, Word increment) {
    t[0] += increment;
    if (t[0] < increment) ++t[1];
}

void compress64Portable(std::uint64_t* h, std::uint64_t* t, const std::uint8_t* blocks, std::size_t count,
                        std::uint64_t increment, bool last);
void compress32Portable(std::uint32_t* h, std::uint32_t* t, const std::uint8_t* blocks, std::size_t count,
                        std::uint32_t increment, bool last);

#if SUMWISE_BLAKE2_X86
// Rows of the state in vector registers: BLAKE2b's in 256-bit registers with
// AVX2, BLAKE2s's in 128-bit registers with SSE4.1 and with AVX-512's
// rotates. BLAKE2b has no SSE4.1 or AVX-512 variant: a row in two 128-bit
// registers measured slower than the portable code, and AVX-512's rotates
// and message permutes slower than AVX2's byte shuffles.
void compress64Avx2(std::uint64_t* h, std::uint64_t* t, const std::uint8_t* blocks, std::size_t count,
                    std::uint64_t increment, bool last);
void compress32Sse41(std::uint32_t* h, std::uint32_t* t, const std::uint8_t* blocks, std::size_t count,
                     std::uint32_t increment, bool last);
void compress32Avx512(std::uint32_t* h, std::uint32_t* t, const std::uint8_t* blocks, std::size_t count,
                      std::uint32_t increment, bool last);
#endif

}  // namespace sumwise::blake2
