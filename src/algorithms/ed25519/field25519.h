// Arithmetic modulo p = 2^255 - 19, for Ed25519 verification: five limbs of
// 51 bits. Not constant-time: verification only handles public data.
#pragma once

#include <array>
#include <cstdint>

namespace sumwise::ed25519 {

struct FieldElement {
    // Value = sum of limbs[i] * 2^(51 i); every operation leaves each limb
    // below 2^52, so sums and differences of two results still multiply safely.
    std::array<std::uint64_t, 5> limbs{};
};

using FieldBytes = std::array<std::uint8_t, 32>;

FieldElement fieldFromInt(std::uint32_t value);
// The low 255 bits of `bytes` (little-endian); bit 255 is ignored.
FieldElement fieldFromBytes(const FieldBytes& bytes);
// The canonical encoding (below p), little-endian.
FieldBytes fieldToBytes(const FieldElement& a);

FieldElement fieldAdd(const FieldElement& a, const FieldElement& b);
FieldElement fieldSub(const FieldElement& a, const FieldElement& b);
FieldElement fieldNeg(const FieldElement& a);
FieldElement fieldMul(const FieldElement& a, const FieldElement& b);
FieldElement fieldSquare(const FieldElement& a);
// a^e for an exponent given as 32 little-endian bytes.
FieldElement fieldPow(const FieldElement& a, const FieldBytes& exponent);
FieldElement fieldInvert(const FieldElement& a);  // a^(p-2); 0 for 0

bool fieldEqual(const FieldElement& a, const FieldElement& b);
bool fieldIsZero(const FieldElement& a);
// The low bit of the canonical value ("negative" in RFC 8032's terms).
bool fieldIsOdd(const FieldElement& a);

}  // namespace sumwise::ed25519
