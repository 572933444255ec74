// Scalars modulo the Ed25519 group order
// L = 2^252 + 27742317777372353535851937790883648493, as 32 little-endian bytes.
#pragma once

#include <array>
#include <cstdint>

namespace sumwise::ed25519 {

using Scalar = std::array<std::uint8_t, 32>;

// L itself.
const Scalar& groupOrder();
// Whether `s` is below L (RFC 8032 refuses any other S).
bool scalarIsCanonical(const Scalar& s);
// A 512-bit little-endian number (a SHA-512 digest) modulo L.
Scalar reduceScalar(const std::array<std::uint8_t, 64>& wide);

}  // namespace sumwise::ed25519
