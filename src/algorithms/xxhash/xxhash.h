// XXH64, XXH3 (64-bit) and XXH128 with seed 0, as xxHash defines them.
// Each digest is the hash value as a big-endian number, as xxhsum prints
// it; XXH128 is its high 64 bits followed by its low 64 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// XXH64's inner loop: `count` 32-byte stripes into the four lanes.
using Xxh64Stripes = void (*)(std::uint64_t* lanes, const std::uint8_t* stripes, std::size_t count);
using Xxh64Variant = Variant<Xxh64Stripes>;

// XXH3's long-input loop, shared by XXH3 and XXH128: `count` 64-byte
// stripes into the eight accumulators, starting at a block boundary and
// scrambling after every whole block of 16 stripes.
using Xxh3Stripes = void (*)(std::uint64_t* accumulators, const std::uint8_t* stripes, std::size_t count);
using Xxh3Variant = Variant<Xxh3Stripes>;

std::span<const Xxh64Variant> xxh64Variants();
std::span<const Xxh3Variant> xxh3Variants();

// Contexts on the fastest variant this processor admits...
std::unique_ptr<Hasher> newXxh64(const AlgorithmParams& params);
std::unique_ptr<Hasher> newXxh3(const AlgorithmParams& params);
std::unique_ptr<Hasher> newXxh128(const AlgorithmParams& params);
// ...or on the one given.
std::unique_ptr<Hasher> newXxh64With(const AlgorithmParams& params, Xxh64Stripes stripes);
std::unique_ptr<Hasher> newXxh3With(const AlgorithmParams& params, Xxh3Stripes stripes);
std::unique_ptr<Hasher> newXxh128With(const AlgorithmParams& params, Xxh3Stripes stripes);

}  // namespace sumwise
