// Tiger (Anderson and Biham, 1996): the 192-bit hash with three passes and
// the original 0x01 message pad.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "algorithms/hasher.h"

namespace sumwise {

// The chaining value a, b, c.
using TigerState = std::uint64_t[3];

// Compresses `count` whole 64-byte blocks into `state`.
void tigerCompress(TigerState& state, const std::uint8_t* blocks, std::size_t count);

std::unique_ptr<Hasher> newTiger(const AlgorithmParams& params);

}  // namespace sumwise
