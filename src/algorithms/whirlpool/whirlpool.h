// Whirlpool as standardised in ISO/IEC 10118-3:2004 (not Whirlpool-0 or
// Whirlpool-T): 512-bit digest, ten rounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "algorithms/hasher.h"

namespace sumwise {

// The chaining value: eight words, each a state row read most significant
// byte first.
using WhirlpoolState = std::uint64_t[8];
using WhirlpoolVariant = CompressionVariant<std::uint64_t>;
using WhirlpoolCompress = WhirlpoolVariant::Compress;

// Every compression this processor can run, the portable one first, so that
// each can be checked, not only the one chosen at run time.
std::vector<WhirlpoolVariant> whirlpoolVariants();

std::unique_ptr<Hasher> newWhirlpool(const AlgorithmParams& params);

}  // namespace sumwise
