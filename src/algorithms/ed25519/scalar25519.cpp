#include "algorithms/ed25519/scalar25519.h"

namespace sumwise::ed25519 {

namespace {

using Limbs = std::array<std::uint64_t, 4>;

Limbs limbsOf(const Scalar& s) {
    Limbs limbs{};
    for (std::size_t i = 0; i < 32; ++i) limbs[i / 8] |= std::uint64_t{s[i]} << (8 * (i % 8));
    return limbs;
}

// a >= b, most significant limb first.
bool notBelow(const Limbs& a, const Limbs& b) {
    for (std::size_t i = 4; i-- > 0;) {
        if (a[i] != b[i]) return a[i] > b[i];
    }
    return true;
}

void subtract(Limbs& a, const Limbs& b) {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint64_t d = a[i] - b[i] - borrow;
        borrow = (a[i] < b[i] || (a[i] == b[i] && borrow != 0)) ? 1 : 0;
        a[i] = d;
    }
}

}  // namespace

const Scalar& groupOrder() {
    static const Scalar order = {0xED, 0xD3, 0xF5, 0x5C, 0x1A, 0x63, 0x12, 0x58, 0xD6, 0x9C, 0xF7,
                                 0xA2, 0xDE, 0xF9, 0xDE, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10};
    return order;
}

bool scalarIsCanonical(const Scalar& s) { return !notBelow(limbsOf(s), limbsOf(groupOrder())); }

Scalar reduceScalar(const std::array<std::uint8_t, 64>& wide) {
    // Bit by bit from the top: r stays below L < 2^253, so 2r + 1 fits.
    const Limbs order = limbsOf(groupOrder());
    Limbs r{};
    for (std::size_t bit = 512; bit-- > 0;) {
        for (std::size_t i = 4; i-- > 1;) r[i] = (r[i] << 1) | (r[i - 1] >> 63);
        r[0] = (r[0] << 1) | ((wide[bit / 8] >> (bit % 8)) & 1u);
        if (notBelow(r, order)) subtract(r, order);
    }
    Scalar out{};
    for (std::size_t i = 0; i < 32; ++i) out[i] = static_cast<std::uint8_t>(r[i / 8] >> (8 * (i % 8)));
    return out;
}

}  // namespace sumwise::ed25519
