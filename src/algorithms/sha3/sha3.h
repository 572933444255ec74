// SHA3-224, SHA3-256, SHA3-384 and SHA3-512 (FIPS 202): the sponge over the
// Keccak-f[1600] permutation. The four differ only in rate and digest length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// Absorbs `count` consecutive blocks of `rate` bytes (a multiple of 8, at
// most 168) into the 25 state lanes: each block is added to the first lanes,
// little-endian, and the state permuted.
using KeccakAbsorb = void (*)(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count, std::size_t rate);
using KeccakVariant = Variant<KeccakAbsorb>;

// The permutation's variant table, portable first and fastest last.
std::span<const KeccakVariant> keccakVariants();

// Contexts on the fastest variant this processor admits...
std::unique_ptr<Hasher> newSha3_224(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha3_256(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha3_384(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha3_512(const AlgorithmParams& params);
// ...or on the one given.
std::unique_ptr<Hasher> newSha3_224With(const AlgorithmParams& params, KeccakAbsorb absorb);
std::unique_ptr<Hasher> newSha3_256With(const AlgorithmParams& params, KeccakAbsorb absorb);
std::unique_ptr<Hasher> newSha3_384With(const AlgorithmParams& params, KeccakAbsorb absorb);
std::unique_ptr<Hasher> newSha3_512With(const AlgorithmParams& params, KeccakAbsorb absorb);

}  // namespace sumwise
