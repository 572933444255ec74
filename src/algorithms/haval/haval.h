// HAVAL, version 1 (Zheng, Pieprzyk and Seberry, AUSCRYPT '92): 3, 4 or 5
// passes over each 1024-bit block, and a fingerprint of 128, 160, 192, 224 or
// 256 bits folded from the 256-bit chaining value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// 3, 4 or 5 passes and 128, 160, 192, 224 or 256 bits.
bool havalParamsValid(const HavalParams& params);

// The definition step by step, for checking the streaming context: pads the
// whole message first, then runs each pass as a loop over the paper's tables.
// Slow; an empty digest for a pair that is not valid.
Digest havalReference(const HavalParams& params, const std::uint8_t* data, std::size_t size);

// Takes `params.haval` once, here; later changes to the record do not reach
// the context. A pair that is not valid hashes nothing: the context finishes
// with an empty digest (no digits), so such a pair can never yield a digest
// that looks real.
std::unique_ptr<Hasher> newHaval(const AlgorithmParams& params);

// HAVAL's frame (padding, tail, folding) around another compression of
// 128-byte blocks into the eight fingerprint words (the tests' stand-ins).
std::unique_ptr<Hasher> newHavalWith(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress);

}  // namespace sumwise
