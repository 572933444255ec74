// Tiger (Anderson and Biham, 1996): the 192-bit hash with three passes and
// the original 0x01 message pad.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "algorithms/hasher.h"

namespace sumwise {

// The chaining value a, b, c.
using TigerState = std::uint64_t[3];
// Compresses `count` whole 64-byte blocks into the state.
using TigerVariant = CompressionVariant<std::uint64_t>;
using TigerCompress = TigerVariant::Compress;

// Every compression this processor can run, the portable one first, so that
// each can be checked, not only the one chosen at run time.
std::vector<TigerVariant> tigerVariants();

std::unique_ptr<Hasher> newTiger(const AlgorithmParams& params);

}  // namespace sumwise
