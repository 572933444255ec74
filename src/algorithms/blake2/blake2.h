// BLAKE2b with a 512-bit digest and BLAKE2s with a 256-bit digest, unkeyed
// (RFC 7693).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// Compresses `count` consecutive blocks (128 bytes for BLAKE2b, 64 for
// BLAKE2s) into the eight chaining words `h`. Before each block the byte
// counter `t` (two words, low first) grows by `increment`; `last` marks the
// final block, given alone.
template <typename Word>
using Blake2Compress = void (*)(Word* h, Word* t, const std::uint8_t* blocks, std::size_t count, Word increment,
                                bool last);
using Blake2bCompress = Blake2Compress<std::uint64_t>;
using Blake2sCompress = Blake2Compress<std::uint32_t>;
using Blake2bVariant = Variant<Blake2bCompress>;
using Blake2sVariant = Variant<Blake2sCompress>;

// Each compression's variant table, portable first and fastest last.
std::span<const Blake2bVariant> blake2bVariants();
std::span<const Blake2sVariant> blake2sVariants();

// Contexts on the fastest variant this processor admits...
std::unique_ptr<Hasher> newBlake2b(const AlgorithmParams& params);
std::unique_ptr<Hasher> newBlake2s(const AlgorithmParams& params);
// ...or on the one given.
std::unique_ptr<Hasher> newBlake2bWith(const AlgorithmParams& params, Blake2bCompress compress);
std::unique_ptr<Hasher> newBlake2sWith(const AlgorithmParams& params, Blake2sCompress compress);

}  // namespace sumwise
