#include "algorithms/ed25519/field25519.h"

namespace sumwise::ed25519 {

namespace {

// A GCC and Clang extension on 64-bit targets (g++ and MinGW-w64 x86-64 alike).
__extension__ typedef unsigned __int128 u128;

constexpr std::uint64_t kMask51 = (std::uint64_t{1} << 51) - 1;

std::uint64_t load64(const FieldBytes& bytes, std::size_t offset) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) value |= std::uint64_t{bytes[offset + i]} << (8 * i);
    return value;
}

// Brings every limb below 2^51 plus a little; 2^255 wraps round as 19.
void carry(FieldElement& a) {
    auto& l = a.limbs;
    for (std::size_t i = 0; i < 4; ++i) {
        l[i + 1] += l[i] >> 51;
        l[i] &= kMask51;
    }
    l[0] += 19 * (l[4] >> 51);
    l[4] &= kMask51;
}

}  // namespace

FieldElement fieldFromInt(std::uint32_t value) {
    FieldElement a;
    a.limbs[0] = value;
    return a;
}

FieldElement fieldFromBytes(const FieldBytes& bytes) {
    FieldElement a;
    a.limbs[0] = load64(bytes, 0) & kMask51;
    a.limbs[1] = (load64(bytes, 6) >> 3) & kMask51;
    a.limbs[2] = (load64(bytes, 12) >> 6) & kMask51;
    a.limbs[3] = (load64(bytes, 19) >> 1) & kMask51;
    a.limbs[4] = (load64(bytes, 24) >> 12) & kMask51;
    return a;
}

FieldBytes fieldToBytes(const FieldElement& a) {
    FieldElement t = a;
    carry(t);
    carry(t);
    // Now t < 2^255. Adding 19 reaches 2^255 exactly when t >= p; the wrap
    // then leaves t - p + 19, and adding 2^255 - 19 (dropping bit 255) gives
    // t - p, or t itself when there was no wrap.
    auto& l = t.limbs;
    l[0] += 19;
    carry(t);
    l[0] += (std::uint64_t{1} << 51) - 19;
    for (std::size_t i = 1; i < 5; ++i) l[i] += (std::uint64_t{1} << 51) - 1;
    for (std::size_t i = 0; i < 4; ++i) {
        l[i + 1] += l[i] >> 51;
        l[i] &= kMask51;
    }
    l[4] &= kMask51;

    FieldBytes out{};
    std::size_t bit = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        for (std::size_t k = 0; k < 51; ++k, ++bit) {
            if ((l[i] >> k) & 1) out[bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
        }
    }
    return out;
}

FieldElement fieldAdd(const FieldElement& a, const FieldElement& b) {
    FieldElement r;
    for (std::size_t i = 0; i < 5; ++i) r.limbs[i] = a.limbs[i] + b.limbs[i];
    carry(r);
    return r;
}

FieldElement fieldSub(const FieldElement& a, const FieldElement& b) {
    // a + 4p - b: each limb of 4p exceeds any limb of b, so nothing underflows.
    FieldElement r;
    r.limbs[0] = a.limbs[0] + ((std::uint64_t{1} << 53) - 76) - b.limbs[0];
    for (std::size_t i = 1; i < 5; ++i) r.limbs[i] = a.limbs[i] + ((std::uint64_t{1} << 53) - 4) - b.limbs[i];
    carry(r);
    return r;
}

FieldElement fieldNeg(const FieldElement& a) { return fieldSub(FieldElement{}, a); }

FieldElement fieldMul(const FieldElement& a, const FieldElement& b) {
    const auto& x = a.limbs;
    const auto& y = b.limbs;
    // 2^255 = 19: products past the fifth limb come back multiplied by 19.
    const std::uint64_t y1 = 19 * y[1], y2 = 19 * y[2], y3 = 19 * y[3], y4 = 19 * y[4];
    u128 r[5];
    r[0] = u128{x[0]} * y[0] + u128{x[1]} * y4 + u128{x[2]} * y3 + u128{x[3]} * y2 + u128{x[4]} * y1;
    r[1] = u128{x[0]} * y[1] + u128{x[1]} * y[0] + u128{x[2]} * y4 + u128{x[3]} * y3 + u128{x[4]} * y2;
    r[2] = u128{x[0]} * y[2] + u128{x[1]} * y[1] + u128{x[2]} * y[0] + u128{x[3]} * y4 + u128{x[4]} * y3;
    r[3] = u128{x[0]} * y[3] + u128{x[1]} * y[2] + u128{x[2]} * y[1] + u128{x[3]} * y[0] + u128{x[4]} * y4;
    r[4] = u128{x[0]} * y[4] + u128{x[1]} * y[3] + u128{x[2]} * y[2] + u128{x[3]} * y[1] + u128{x[4]} * y[0];
    for (std::size_t i = 0; i < 4; ++i) {
        r[i + 1] += r[i] >> 51;
        r[i] &= kMask51;
    }
    FieldElement out;
    for (std::size_t i = 0; i < 5; ++i) out.limbs[i] = static_cast<std::uint64_t>(r[i] & kMask51);
    out.limbs[0] += 19 * static_cast<std::uint64_t>(r[4] >> 51);
    carry(out);
    return out;
}

FieldElement fieldSquare(const FieldElement& a) { return fieldMul(a, a); }

FieldElement fieldPow(const FieldElement& a, const FieldBytes& exponent) {
    FieldElement result = fieldFromInt(1);
    for (std::size_t bit = 256; bit-- > 0;) {
        result = fieldSquare(result);
        if ((exponent[bit / 8] >> (bit % 8)) & 1) result = fieldMul(result, a);
    }
    return result;
}

FieldElement fieldInvert(const FieldElement& a) {
    FieldBytes pMinus2;
    pMinus2.fill(0xFF);
    pMinus2[0] = 0xEB;
    pMinus2[31] = 0x7F;
    return fieldPow(a, pMinus2);
}

bool fieldEqual(const FieldElement& a, const FieldElement& b) { return fieldToBytes(a) == fieldToBytes(b); }

bool fieldIsZero(const FieldElement& a) { return fieldToBytes(a) == FieldBytes{}; }

bool fieldIsOdd(const FieldElement& a) { return (fieldToBytes(a)[0] & 1) != 0; }

}  // namespace sumwise::ed25519
