// SHA-224 and SHA-256 (the 32-bit engine), SHA-384 and SHA-512 (the 64-bit
// engine), as in FIPS 180-2 and its change notice. Within an engine the two
// share the compression and differ in initial value and digest length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "algorithms/hasher.h"

namespace sumwise {

// Compress `count` consecutive blocks (64 or 128 bytes) into the eight state words.
using Sha256Variant = CompressionVariant<std::uint32_t>;
using Sha512Variant = CompressionVariant<std::uint64_t>;
using Sha256Compress = Sha256Variant::Compress;
using Sha512Compress = Sha512Variant::Compress;

// The fastest implementation this processor runs.
Sha256Compress sha256Compress();
Sha512Compress sha512Compress();

// Every implementation this processor runs, for checking them against each other.
std::vector<Sha256Variant> sha256Variants();
std::vector<Sha512Variant> sha512Variants();

std::unique_ptr<Hasher> newSha224(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha256(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha384(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha512(const AlgorithmParams& params);

}  // namespace sumwise
