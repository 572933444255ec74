// SHA-224 and SHA-256 (the 32-bit engine), SHA-384 and SHA-512 (the 64-bit
// engine), as in FIPS 180-2 and its change notice. Within an engine the two
// share the compression and differ in initial value and digest length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// Compress `count` consecutive blocks (64 or 128 bytes) into the eight state words.
using Sha256Compress = BlockCompress<std::uint32_t>;
using Sha512Compress = BlockCompress<std::uint64_t>;
using Sha256Variant = CompressionVariant<std::uint32_t>;
using Sha512Variant = CompressionVariant<std::uint64_t>;

// Each engine's variant table, portable first and fastest last.
std::span<const Sha256Variant> sha256Variants();
std::span<const Sha512Variant> sha512Variants();

// Contexts on the fastest variant this processor admits...
std::unique_ptr<Hasher> newSha224(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha256(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha384(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha512(const AlgorithmParams& params);
// ...or on the one given.
std::unique_ptr<Hasher> newSha224With(const AlgorithmParams& params, Sha256Compress compress);
std::unique_ptr<Hasher> newSha256With(const AlgorithmParams& params, Sha256Compress compress);
std::unique_ptr<Hasher> newSha384With(const AlgorithmParams& params, Sha512Compress compress);
std::unique_ptr<Hasher> newSha512With(const AlgorithmParams& params, Sha512Compress compress);

}  // namespace sumwise
