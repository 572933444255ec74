// Whirlpool as standardised in ISO/IEC 10118-3:2004 (not Whirlpool-0 or
// Whirlpool-T): 512-bit digest, ten rounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// The chaining value: eight words, each a state row read most significant
// byte first.
using WhirlpoolState = std::uint64_t[8];
using WhirlpoolCompress = BlockCompress<std::uint64_t>;
using WhirlpoolVariant = CompressionVariant<std::uint64_t>;

// The variant table, portable first and fastest last.
std::span<const WhirlpoolVariant> whirlpoolVariants();

// A context on the fastest variant this processor admits, or on the one given.
std::unique_ptr<Hasher> newWhirlpool(const AlgorithmParams& params);
std::unique_ptr<Hasher> newWhirlpoolWith(const AlgorithmParams& params, WhirlpoolCompress compress);

}  // namespace sumwise
