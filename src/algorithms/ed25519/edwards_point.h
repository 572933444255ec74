// Points of the twisted Edwards curve -x^2 + y^2 = 1 + d x^2 y^2 over
// GF(2^255 - 19), in extended coordinates (X:Y:Z:T) with x = X/Z, y = Y/Z,
// xy = T/Z, and their 32-byte encoding (RFC 8032 sections 5.1.2 to 5.1.4).
#pragma once

#include <optional>

#include "algorithms/ed25519/field25519.h"
#include "algorithms/ed25519/scalar25519.h"

namespace sumwise::ed25519 {

struct EdwardsPoint {
    FieldElement x, y, z, t;
};

using PointBytes = FieldBytes;

// The neutral element (0, 1) and the base point B (y = 4/5, x even).
EdwardsPoint neutralPoint();
const EdwardsPoint& basePoint();

// The point an encoding names; none when y is not below p, when
// (y^2 - 1) / (d y^2 + 1) has no square root, or when x = 0 and the sign bit is set.
std::optional<EdwardsPoint> decodePoint(const PointBytes& bytes);
PointBytes encodePoint(const EdwardsPoint& p);

EdwardsPoint pointAdd(const EdwardsPoint& p, const EdwardsPoint& q);
EdwardsPoint pointDouble(const EdwardsPoint& p);
EdwardsPoint pointNegate(const EdwardsPoint& p);
// [s]P, double and add (variable time).
EdwardsPoint scalarMultiply(const EdwardsPoint& p, const Scalar& s);

}  // namespace sumwise::ed25519
