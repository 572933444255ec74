// What the x86 BLAKE3 kernels share beyond their registers' width and their
// rotations: the rounds over inputs in lanes, and the one-block compression
// with the state's rows in 128-bit registers. Compiled for the instruction
// set of the file that includes this, by its SUMWISE_BLAKE3_TARGET; each
// file's Ops supply the quarter-round g for its registers, and splat and
// xorv and the message loads for the wide ones.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "algorithms/blake3/blake3_internal.h"

#ifndef SUMWISE_BLAKE3_TARGET
#error "SUMWISE_BLAKE3_TARGET must name the instruction set of the including file"
#endif

namespace sumwise::blake3 {

// Internal to each including file, which compiles it with its own target.
namespace {

// Each lane's counter, split into its low and high words.
template <unsigned Lanes>
inline void laneCounters(std::uint64_t counter, bool incrementCounter, std::uint32_t (&low)[Lanes],
                         std::uint32_t (&high)[Lanes]) {
    for (unsigned j = 0; j < Lanes; ++j) {
        const std::uint64_t c = counter + (incrementCounter ? j : 0);
        low[j] = static_cast<std::uint32_t>(c);
        high[j] = static_cast<std::uint32_t>(c >> 32);
    }
}

// All the blocks of one input per lane, the inputs `stride` bytes apart,
// into the chaining values h (word k of every input in h[k]).
template <typename Ops, typename V>
SUMWISE_BLAKE3_TARGET inline void compressLanes(V h[8], const std::uint8_t* input, std::size_t stride,
                                                std::size_t blocks, V counterLow, V counterHigh, std::uint32_t flags,
                                                std::uint32_t flagsStart, std::uint32_t flagsEnd) {
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint32_t blockFlags = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
        V m[16];
        Ops::loadWords(m, input + b * kBlockBytes, stride);
        V v[16] = {h[0],
                   h[1],
                   h[2],
                   h[3],
                   h[4],
                   h[5],
                   h[6],
                   h[7],
                   Ops::splat(kIv[0]),
                   Ops::splat(kIv[1]),
                   Ops::splat(kIv[2]),
                   Ops::splat(kIv[3]),
                   counterLow,
                   counterHigh,
                   Ops::splat(static_cast<std::uint32_t>(kBlockBytes)),
                   Ops::splat(blockFlags)};
#pragma GCC unroll 7
        for (int r = 0; r < 7; ++r) {
            const std::uint8_t* s = kSchedule.word[r];
            Ops::g(v[0], v[4], v[8], v[12], m[s[0]], m[s[1]]);
            Ops::g(v[1], v[5], v[9], v[13], m[s[2]], m[s[3]]);
            Ops::g(v[2], v[6], v[10], v[14], m[s[4]], m[s[5]]);
            Ops::g(v[3], v[7], v[11], v[15], m[s[6]], m[s[7]]);
            Ops::g(v[0], v[5], v[10], v[15], m[s[8]], m[s[9]]);
            Ops::g(v[1], v[6], v[11], v[12], m[s[10]], m[s[11]]);
            Ops::g(v[2], v[7], v[8], v[13], m[s[12]], m[s[13]]);
            Ops::g(v[3], v[4], v[9], v[14], m[s[14]], m[s[15]]);
        }
        for (int i = 0; i < 8; ++i) h[i] = Ops::xorv(v[i], v[i + 8]);
    }
}

SUMWISE_BLAKE3_TARGET inline __m128i words(const std::uint32_t* m, const std::uint8_t* s) {
    return _mm_setr_epi32(static_cast<int>(m[s[0]]), static_cast<int>(m[s[2]]), static_cast<int>(m[s[4]]),
                          static_cast<int>(m[s[6]]));
}

// One block with the state as four rows of a 4x4 matrix.
template <typename Ops>
SUMWISE_BLAKE3_TARGET inline void compressRows(std::uint32_t cv[8], const std::uint8_t block[64],
                                               std::uint32_t blockLength, std::uint64_t counter,
                                               std::uint32_t flags) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) m[i] = bytes::loadLittle<std::uint32_t>(block + 4 * i);
    __m128i row0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cv));
    __m128i row1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cv + 4));
    __m128i row2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kIv));
    __m128i row3 = _mm_setr_epi32(static_cast<int>(counter), static_cast<int>(counter >> 32),
                                  static_cast<int>(blockLength), static_cast<int>(flags));
    for (const auto& s : kSchedule.word) {
        Ops::g(row0, row1, row2, row3, words(m, s), words(m, s + 1));
        // Turn the diagonals into columns, and back after.
        row1 = _mm_shuffle_epi32(row1, _MM_SHUFFLE(0, 3, 2, 1));
        row2 = _mm_shuffle_epi32(row2, _MM_SHUFFLE(1, 0, 3, 2));
        row3 = _mm_shuffle_epi32(row3, _MM_SHUFFLE(2, 1, 0, 3));
        Ops::g(row0, row1, row2, row3, words(m, s + 8), words(m, s + 9));
        row1 = _mm_shuffle_epi32(row1, _MM_SHUFFLE(2, 1, 0, 3));
        row2 = _mm_shuffle_epi32(row2, _MM_SHUFFLE(1, 0, 3, 2));
        row3 = _mm_shuffle_epi32(row3, _MM_SHUFFLE(0, 3, 2, 1));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cv), _mm_xor_si128(row0, row2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cv + 4), _mm_xor_si128(row1, row3));
}

}  // namespace

}  // namespace sumwise::blake3
