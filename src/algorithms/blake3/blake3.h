// BLAKE3 in its default (hash) mode with the 256-bit output. The input is cut
// into 1024-byte chunks, each hashed into a chaining value, and the values are
// combined pairwise in a binary tree; the root's compression gives the digest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// The two inner functions of one instruction set.
struct Blake3Kernels {
    // One compression of a block (`blockLength` bytes of it in use) into the
    // eight chaining words, which take the first half of the output.
    void (*compress)(std::uint32_t cv[8], const std::uint8_t block[64], std::uint32_t blockLength,
                     std::uint64_t counter, std::uint32_t flags);
    // Hashes `count` inputs of `blocks` whole blocks each, laid end to end,
    // into `count` 32-byte chaining values, several inputs at once. Input i
    // takes the counter `counter + i` when `incrementCounter` (chunks), else
    // `counter` (parents); its first block adds `flagsStart` and its last
    // `flagsEnd` to `flags`.
    void (*hashMany)(const std::uint8_t* input, std::size_t count, std::size_t blocks, const std::uint32_t key[8],
                     std::uint64_t counter, bool incrementCounter, std::uint32_t flags, std::uint32_t flagsStart,
                     std::uint32_t flagsEnd, std::uint8_t* out);
};
using Blake3Variant = Variant<Blake3Kernels>;

// Portable first, widest last.
std::span<const Blake3Variant> blake3Variants();

// A context on the fastest kernels this processor admits...
std::unique_ptr<Hasher> newBlake3(const AlgorithmParams& params);
// ...or on the ones given.
std::unique_ptr<Hasher> newBlake3With(const AlgorithmParams& params, Blake3Kernels kernels);

}  // namespace sumwise
