// What the BLAKE3 kernels of every instruction set share: the constants, the
// message schedule, and the serial loop over inputs that each wide kernel
// falls back to for the inputs left over after its last full set of lanes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "algorithms/blake3/blake3.h"
#include "algorithms/bytes.h"

#if defined(__x86_64__)
#define SUMWISE_BLAKE3_X86 1
#else
#define SUMWISE_BLAKE3_X86 0
#endif

namespace sumwise::blake3 {

inline constexpr std::size_t kBlockBytes = 64;
inline constexpr std::size_t kChunkBytes = 1024;
inline constexpr std::size_t kBlocksPerChunk = kChunkBytes / kBlockBytes;
inline constexpr std::size_t kCvBytes = 32;

// The domain flags of a compression.
inline constexpr std::uint32_t kChunkStart = 1;
inline constexpr std::uint32_t kChunkEnd = 2;
inline constexpr std::uint32_t kParent = 4;
inline constexpr std::uint32_t kRoot = 8;

// SHA-256's initial value; also the key of the hash mode.
inline constexpr std::uint32_t kIv[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                                         0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};

// The message word each round feeds to each position: round 0 takes the
// words in order, each later round permutes the one before it.
struct Schedule {
    std::uint8_t word[7][16];
};
constexpr Schedule makeSchedule() {
    constexpr std::uint8_t kPermutation[16] = {2, 6, 3, 10, 7, 0, 4, 13, 1, 11, 12, 5, 9, 14, 15, 8};
    Schedule s{};
    for (std::uint8_t i = 0; i < 16; ++i) s.word[0][i] = i;
    for (int r = 1; r < 7; ++r) {
        for (int i = 0; i < 16; ++i) s.word[r][i] = s.word[r - 1][kPermutation[i]];
    }
    return s;
}
inline constexpr Schedule kSchedule = makeSchedule();

// Hashes the inputs one at a time with a one-block compression.
template <typename Compress>
inline void hashSerially(Compress compress, const std::uint8_t* input, std::size_t count, std::size_t blocks,
                         const std::uint32_t key[8], std::uint64_t counter, bool incrementCounter,
                         std::uint32_t flags, std::uint32_t flagsStart, std::uint32_t flagsEnd, std::uint8_t* out) {
    for (std::size_t i = 0; i < count; ++i, input += blocks * kBlockBytes, out += kCvBytes) {
        std::uint32_t cv[8];
        for (int w = 0; w < 8; ++w) cv[w] = key[w];
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::uint32_t blockFlags = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
            compress(cv, input + b * kBlockBytes, kBlockBytes, counter + (incrementCounter ? i : 0), blockFlags);
        }
        for (int w = 0; w < 8; ++w) bytes::storeLittle(out + 4 * w, cv[w]);
    }
}

// The kernels of each instruction set; each wide one hands its leftover
// inputs to the next narrower one.
void compressPortable(std::uint32_t cv[8], const std::uint8_t block[64], std::uint32_t blockLength,
                      std::uint64_t counter, std::uint32_t flags);
void hashManyPortable(const std::uint8_t* input, std::size_t count, std::size_t blocks, const std::uint32_t key[8],
                      std::uint64_t counter, bool incrementCounter, std::uint32_t flags, std::uint32_t flagsStart,
                      std::uint32_t flagsEnd, std::uint8_t* out);
#if SUMWISE_BLAKE3_X86
void compressSse41(std::uint32_t cv[8], const std::uint8_t block[64], std::uint32_t blockLength,
                   std::uint64_t counter, std::uint32_t flags);
void hashManySse41(const std::uint8_t* input, std::size_t count, std::size_t blocks, const std::uint32_t key[8],
                   std::uint64_t counter, bool incrementCounter, std::uint32_t flags, std::uint32_t flagsStart,
                   std::uint32_t flagsEnd, std::uint8_t* out);
void hashManyAvx2(const std::uint8_t* input, std::size_t count, std::size_t blocks, const std::uint32_t key[8],
                  std::uint64_t counter, bool incrementCounter, std::uint32_t flags, std::uint32_t flagsStart,
                  std::uint32_t flagsEnd, std::uint8_t* out);
void compressAvx512(std::uint32_t cv[8], const std::uint8_t block[64], std::uint32_t blockLength,
                    std::uint64_t counter, std::uint32_t flags);
void hashManyAvx512(const std::uint8_t* input, std::size_t count, std::size_t blocks, const std::uint32_t key[8],
                    std::uint64_t counter, bool incrementCounter, std::uint32_t flags, std::uint32_t flagsStart,
                    std::uint32_t flagsEnd, std::uint8_t* out);
#endif

}  // namespace sumwise::blake3
