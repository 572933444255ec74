// GOST R 34.11-94 with the S-box of the standard's test parameter set
// (id-GostR3411-94-TestParamSet, RFC 4357) and a zero starting value. The
// digest is the final 256-bit chaining value, least significant byte first.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "algorithms/hasher.h"

namespace sumwise {

// The function applied in each round of the GOST 28147-89 cipher inside the
// hash: every 4-bit group of x through its S-box row, then a rotation left by
// 11 bits. The first is the merged-table form the hash runs; the second
// follows the definition, for checking the tables.
std::uint32_t gostRoundFunction(std::uint32_t x);
std::uint32_t gostRoundFunctionReference(std::uint32_t x);

std::unique_ptr<Hasher> newGost(const AlgorithmParams& params);

// The hash's frame (the 256-bit sum, the length block) around another step
// function H' = f(H, M) of 256-bit values, word 0 least significant (the
// tests' stand-ins).
using GostWords = std::array<std::uint32_t, 8>;
using GostStep = void (*)(GostWords& h, const GostWords& m);
std::unique_ptr<Hasher> newGostWith(const AlgorithmParams& params, GostStep step);

}  // namespace sumwise
