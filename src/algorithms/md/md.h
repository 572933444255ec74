// MD2 (RFC 1319), MD4 (RFC 1320) and MD5 (RFC 1321): 128-bit digests,
// printed as their sixteen bytes in order.
#pragma once

#include <memory>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

std::unique_ptr<Hasher> newMd2(const AlgorithmParams& params);
std::unique_ptr<Hasher> newMd4(const AlgorithmParams& params);
std::unique_ptr<Hasher> newMd5(const AlgorithmParams& params);

// MD4 and MD5 frames around another compression of 64-byte blocks (the
// tests' stand-ins).
std::unique_ptr<Hasher> newMd4With(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress);
std::unique_ptr<Hasher> newMd5With(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress);

}  // namespace sumwise
