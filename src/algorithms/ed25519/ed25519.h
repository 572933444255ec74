// Ed25519 signature verification (RFC 8032, pure Ed25519: no context, no
// prehash), over our SHA-512. Verification only handles public data, so it
// is not constant-time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sumwise {

using Ed25519PublicKey = std::array<std::uint8_t, 32>;
using Ed25519Signature = std::array<std::uint8_t, 64>;

// Whether `signature` (R, then S) is `key`'s signature of the message. False
// when S is not below the group order L, when A or R does not decode to a
// point (a y of p or more, no square root, or x = 0 with the sign bit set),
// or when [S]B - [k]A is not R, with k = SHA-512(R || A || message) mod L.
bool verifyEd25519(const Ed25519PublicKey& key, const std::uint8_t* message, std::size_t size,
                   const Ed25519Signature& signature);

}  // namespace sumwise
