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
using Sha256Compress = void (*)(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count);
using Sha512Compress = void (*)(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count);

// The fastest implementation this processor runs.
Sha256Compress sha256Compress();
Sha512Compress sha512Compress();

// Every implementation this processor runs, for checking them against each other.
struct Sha256Variant {
    const char* name;
    Sha256Compress compress;
};
struct Sha512Variant {
    const char* name;
    Sha512Compress compress;
};
std::vector<Sha256Variant> sha256Variants();
std::vector<Sha512Variant> sha512Variants();

std::unique_ptr<Hasher> newSha224(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha256(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha384(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha512(const AlgorithmParams& params);

}  // namespace sumwise
