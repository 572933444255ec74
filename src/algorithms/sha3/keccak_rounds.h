// The unrolled Keccak-f[1600] absorb, written once and compiled for each
// scalar instruction set by the files that include it. Each round is
// written out with the lanes in named variables, two rounds per step so the
// state moves between two sets of variables instead of being copied. Six
// lanes are kept complemented, which turns most of chi's and-not into one
// plain and/or: a round needs five NOTs instead of twenty-five. Lanes are
// added to the state in the complemented form too, since x ^ m and ~x ^ m
// differ only in the complement.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "algorithms/bytes.h"
#include "algorithms/sha3/keccak_internal.h"
#include "algorithms/sha3/keccak_lanes.h"

namespace sumwise::keccak {

#define KECCAK_INLINE inline __attribute__((always_inline))

// The complemented lanes (names in keccak_lanes.h) are be, bi, go, ki, mi
// and sa.
//
// One round from the lanes A.. into the lanes E..: theta's column parities,
// then per row of the result the five lanes that rho and pi bring there,
// then chi on that row (in the forms that hold for the complemented lanes)
// and iota on the first lane.
#define KECCAK_ROUND(A, E, constant) \
    { \
        const std::uint64_t c0 = A##ba ^ A##ga ^ A##ka ^ A##ma ^ A##sa; \
        const std::uint64_t c1 = A##be ^ A##ge ^ A##ke ^ A##me ^ A##se; \
        const std::uint64_t c2 = A##bi ^ A##gi ^ A##ki ^ A##mi ^ A##si; \
        const std::uint64_t c3 = A##bo ^ A##go ^ A##ko ^ A##mo ^ A##so; \
        const std::uint64_t c4 = A##bu ^ A##gu ^ A##ku ^ A##mu ^ A##su; \
        const std::uint64_t d0 = c4 ^ std::rotl(c1, 1); \
        const std::uint64_t d1 = c0 ^ std::rotl(c2, 1); \
        const std::uint64_t d2 = c1 ^ std::rotl(c3, 1); \
        const std::uint64_t d3 = c2 ^ std::rotl(c4, 1); \
        const std::uint64_t d4 = c3 ^ std::rotl(c0, 1); \
        std::uint64_t b0, b1, b2, b3, b4; \
        b0 = A##ba ^ d0; \
        b1 = std::rotl(A##ge ^ d1, 44); \
        b2 = std::rotl(A##ki ^ d2, 43); \
        b3 = std::rotl(A##mo ^ d3, 21); \
        b4 = std::rotl(A##su ^ d4, 14); \
        E##ba = b0 ^ (b1 | b2) ^ (constant); \
        E##be = b1 ^ ((~b2) | b3); \
        E##bi = b2 ^ (b3 & b4); \
        E##bo = b3 ^ (b4 | b0); \
        E##bu = b4 ^ (b0 & b1); \
        b0 = std::rotl(A##bo ^ d3, 28); \
        b1 = std::rotl(A##gu ^ d4, 20); \
        b2 = std::rotl(A##ka ^ d0, 3); \
        b3 = std::rotl(A##me ^ d1, 45); \
        b4 = std::rotl(A##si ^ d2, 61); \
        E##ga = b0 ^ (b1 | b2); \
        E##ge = b1 ^ (b2 & b3); \
        E##gi = b2 ^ (b3 | (~b4)); \
        E##go = b3 ^ (b4 | b0); \
        E##gu = b4 ^ (b0 & b1); \
        b0 = std::rotl(A##be ^ d1, 1); \
        b1 = std::rotl(A##gi ^ d2, 6); \
        b2 = std::rotl(A##ko ^ d3, 25); \
        b3 = std::rotl(A##mu ^ d4, 8); \
        b4 = std::rotl(A##sa ^ d0, 18); \
        E##ka = b0 ^ (b1 | b2); \
        E##ke = b1 ^ (b2 & b3); \
        E##ki = b2 ^ ((~b3) & b4); \
        E##ko = (~b3) ^ (b4 | b0); \
        E##ku = b4 ^ (b0 & b1); \
        b0 = std::rotl(A##bu ^ d4, 27); \
        b1 = std::rotl(A##ga ^ d0, 36); \
        b2 = std::rotl(A##ke ^ d1, 10); \
        b3 = std::rotl(A##mi ^ d2, 15); \
        b4 = std::rotl(A##so ^ d3, 56); \
        E##ma = b0 ^ (b1 & b2); \
        E##me = b1 ^ (b2 | b3); \
        E##mi = b2 ^ ((~b3) | b4); \
        E##mo = (~b3) ^ (b4 & b0); \
        E##mu = b4 ^ (b0 | b1); \
        b0 = std::rotl(A##bi ^ d2, 62); \
        b1 = std::rotl(A##go ^ d3, 55); \
        b2 = std::rotl(A##ku ^ d4, 39); \
        b3 = std::rotl(A##ma ^ d0, 41); \
        b4 = std::rotl(A##se ^ d1, 2); \
        E##sa = b0 ^ ((~b1) & b2); \
        E##se = (~b1) ^ (b2 | b3); \
        E##si = b2 ^ (b3 & b4); \
        E##so = b3 ^ (b4 | b0); \
        E##su = b4 ^ (b0 & b1); \
    }

// Complements the six lanes kept complemented, on the way in and out.
KECCAK_INLINE void complementLanes(std::uint64_t* state) {
    for (const int i : {1, 2, 8, 12, 17, 20}) state[i] = ~state[i];
}

KECCAK_INLINE void absorbRounds(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count, std::size_t rate) {
    complementLanes(state);
#define KECCAK_DECLARE(lane, index) std::uint64_t lane = state[index];
    KECCAK_LANES(KECCAK_DECLARE, A)
#undef KECCAK_DECLARE
#define KECCAK_DECLARE(lane, index) std::uint64_t lane;
    KECCAK_LANES(KECCAK_DECLARE, E)
#undef KECCAK_DECLARE
    const std::size_t lanes = rate / 8;
    for (; count > 0; --count, blocks += rate) {
        // Adds the block's lanes from the last one down, so one jump covers every rate.
#define KECCAK_ADD(lane, index) \
    case index + 1:             \
        lane ^= bytes::load64le(blocks + 8 * (index));                                                                \
        [[fallthrough]];
        switch (lanes) {
            KECCAK_LANES_DOWN(KECCAK_ADD, A)
            default: break;
        }
#undef KECCAK_ADD
        for (int round = 0; round < 24; round += 2) {
            KECCAK_ROUND(A, E, kRoundConstants[round])
            KECCAK_ROUND(E, A, kRoundConstants[round + 1])
        }
    }
#define KECCAK_STORE(lane, index) state[index] = lane;
    KECCAK_LANES(KECCAK_STORE, A)
#undef KECCAK_STORE
    complementLanes(state);
}

}  // namespace sumwise::keccak
