// Tiger (Anderson and Biham, 1996): the 192-bit hash with three passes and
// the original 0x01 message pad.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// The chaining value a, b, c.
using TigerState = std::uint64_t[3];
// Compresses `count` whole 64-byte blocks into the state.
using TigerCompress = BlockCompress<std::uint64_t>;
using TigerVariant = CompressionVariant<std::uint64_t>;

// The variant table, portable first and fastest last.
std::span<const TigerVariant> tigerVariants();

// A context on the fastest variant this processor admits, or on the one given.
std::unique_ptr<Hasher> newTiger(const AlgorithmParams& params);
std::unique_ptr<Hasher> newTigerWith(const AlgorithmParams& params, TigerCompress compress);

}  // namespace sumwise
