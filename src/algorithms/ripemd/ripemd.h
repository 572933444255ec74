// RIPEMD-128 and RIPEMD-160 (Dobbertin, Bosselaers and Preneel; ISO/IEC
// 10118-3) and their double-width forms RIPEMD-256 and RIPEMD-320 by the same
// authors. Digests are the chaining words, least significant byte first.
#pragma once

#include <memory>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

std::unique_ptr<Hasher> newRipemd128(const AlgorithmParams& params);
std::unique_ptr<Hasher> newRipemd160(const AlgorithmParams& params);
std::unique_ptr<Hasher> newRipemd256(const AlgorithmParams& params);
std::unique_ptr<Hasher> newRipemd320(const AlgorithmParams& params);

// The same frames around another compression of 64-byte blocks (the tests'
// stand-ins).
std::unique_ptr<Hasher> newRipemd128With(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress);
std::unique_ptr<Hasher> newRipemd160With(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress);
std::unique_ptr<Hasher> newRipemd256With(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress);
std::unique_ptr<Hasher> newRipemd320With(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress);

}  // namespace sumwise
