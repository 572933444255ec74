#include "algorithms/ed25519/edwards_point.h"

namespace sumwise::ed25519 {

namespace {

// d = -121665 / 121666.
const FieldElement& curveD() {
    static const FieldElement d = fieldNeg(fieldMul(fieldFromInt(121665), fieldInvert(fieldFromInt(121666))));
    return d;
}

const FieldElement& curve2D() {
    static const FieldElement d2 = fieldAdd(curveD(), curveD());
    return d2;
}

// sqrt(-1) = 2^((p - 1) / 4).
const FieldElement& sqrtMinusOne() {
    static const FieldElement root = [] {
        FieldBytes exponent;
        exponent.fill(0xFF);
        exponent[0] = 0xFB;
        exponent[31] = 0x1F;
        return fieldPow(fieldFromInt(2), exponent);
    }();
    return root;
}

// (p - 5) / 8 = 2^252 - 3.
FieldBytes candidateRootExponent() {
    FieldBytes exponent;
    exponent.fill(0xFF);
    exponent[0] = 0xFD;
    exponent[31] = 0x0F;
    return exponent;
}

}  // namespace

EdwardsPoint neutralPoint() { return {FieldElement{}, fieldFromInt(1), fieldFromInt(1), FieldElement{}}; }

const EdwardsPoint& basePoint() {
    static const EdwardsPoint base = [] {
        PointBytes encoded;
        encoded.fill(0x66);
        encoded[0] = 0x58;
        return *decodePoint(encoded);
    }();
    return base;
}

std::optional<EdwardsPoint> decodePoint(const PointBytes& bytes) {
    const bool xOdd = (bytes[31] & 0x80) != 0;
    PointBytes yBytes = bytes;
    yBytes[31] &= 0x7F;
    const FieldElement y = fieldFromBytes(yBytes);
    // A y of p or more re-encodes differently.
    if (fieldToBytes(y) != yBytes) return std::nullopt;

    // x^2 = u / v; the candidate root is u v^3 (u v^7)^((p-5)/8).
    const FieldElement one = fieldFromInt(1);
    const FieldElement y2 = fieldSquare(y);
    const FieldElement u = fieldSub(y2, one);
    const FieldElement v = fieldAdd(fieldMul(curveD(), y2), one);
    const FieldElement v3 = fieldMul(fieldSquare(v), v);
    const FieldElement v7 = fieldMul(fieldSquare(v3), v);
    FieldElement x = fieldMul(fieldMul(u, v3), fieldPow(fieldMul(u, v7), candidateRootExponent()));
    const FieldElement vx2 = fieldMul(v, fieldSquare(x));
    if (fieldEqual(vx2, u)) {
        // x is a root.
    } else if (fieldEqual(vx2, fieldNeg(u))) {
        x = fieldMul(x, sqrtMinusOne());
    } else {
        return std::nullopt;
    }
    if (fieldIsZero(x) && xOdd) return std::nullopt;
    if (fieldIsOdd(x) != xOdd) x = fieldNeg(x);
    return EdwardsPoint{x, y, one, fieldMul(x, y)};
}

PointBytes encodePoint(const EdwardsPoint& p) {
    const FieldElement zInverse = fieldInvert(p.z);
    const FieldElement x = fieldMul(p.x, zInverse);
    PointBytes bytes = fieldToBytes(fieldMul(p.y, zInverse));
    if (fieldIsOdd(x)) bytes[31] |= 0x80;
    return bytes;
}

EdwardsPoint pointAdd(const EdwardsPoint& p, const EdwardsPoint& q) {
    const FieldElement a = fieldMul(fieldSub(p.y, p.x), fieldSub(q.y, q.x));
    const FieldElement b = fieldMul(fieldAdd(p.y, p.x), fieldAdd(q.y, q.x));
    const FieldElement c = fieldMul(fieldMul(p.t, curve2D()), q.t);
    const FieldElement d = fieldMul(fieldAdd(p.z, p.z), q.z);
    const FieldElement e = fieldSub(b, a);
    const FieldElement f = fieldSub(d, c);
    const FieldElement g = fieldAdd(d, c);
    const FieldElement h = fieldAdd(b, a);
    return {fieldMul(e, f), fieldMul(g, h), fieldMul(f, g), fieldMul(e, h)};
}

EdwardsPoint pointDouble(const EdwardsPoint& p) {
    const FieldElement a = fieldSquare(p.x);
    const FieldElement b = fieldSquare(p.y);
    const FieldElement c = fieldAdd(fieldSquare(p.z), fieldSquare(p.z));
    const FieldElement h = fieldAdd(a, b);
    const FieldElement e = fieldSub(h, fieldSquare(fieldAdd(p.x, p.y)));
    const FieldElement g = fieldSub(a, b);
    const FieldElement f = fieldAdd(c, g);
    return {fieldMul(e, f), fieldMul(g, h), fieldMul(f, g), fieldMul(e, h)};
}

EdwardsPoint pointNegate(const EdwardsPoint& p) { return {fieldNeg(p.x), p.y, p.z, fieldNeg(p.t)}; }

EdwardsPoint scalarMultiply(const EdwardsPoint& p, const Scalar& s) {
    EdwardsPoint result = neutralPoint();
    for (std::size_t bit = 256; bit-- > 0;) {
        result = pointDouble(result);
        if ((s[bit / 8] >> (bit % 8)) & 1) result = pointAdd(result, p);
    }
    return result;
}

}  // namespace sumwise::ed25519
