// Run-time parameters of the two parameterised algorithms.
#pragma once

#include <array>
#include <cstdint>

namespace sumwise {

struct HavalParams {
    std::uint16_t passes = 5;       // 3, 4 or 5
    std::uint16_t outputBits = 256;  // 128, 160, 192, 224 or 256

    friend bool operator==(const HavalParams&, const HavalParams&) = default;
};

// Compared and copied as a whole: every key byte, also those after the NUL,
// takes part in a comparison.
struct Md6Params {
    static constexpr std::size_t kMaxKeyBytes = 64;

    std::uint32_t d = 256;                          // digest bits, valid 1..512
    std::array<char, kMaxKeyBytes + 1> key{};        // 8-bit text, NUL-terminated; empty: no key
    std::array<std::uint8_t, 3> reserved{};
    std::uint32_t L = 64;                           // mode parameter, valid 0..255
    std::uint32_t r = 104;                          // rounds, valid 0..255

    friend bool operator==(const Md6Params&, const Md6Params&) = default;
};

// The values the program accepts for d, L and r, in its dialog and on its command line.
struct ParamRange {
    std::uint32_t min;
    std::uint32_t max;

    constexpr std::uint32_t clamp(std::int64_t value) const {
        return value < min ? min : value > max ? max : static_cast<std::uint32_t>(value);
    }
};
inline constexpr ParamRange kMd6DigestBitsRange{1, 512};
inline constexpr ParamRange kMd6ModeRange{0, 255};
inline constexpr ParamRange kMd6RoundsRange{1, 255};

// The number of rounds MD6 uses when none is chosen: 40 + d/4, at least 80 with a key.
constexpr std::uint32_t md6DefaultRounds(std::uint32_t d, bool keyed) {
    const std::uint32_t r = 40 + d / 4;
    return (keyed && r < 80) ? 80 : r;
}

struct AlgorithmParams {
    HavalParams haval;
    Md6Params md6;

    friend bool operator==(const AlgorithmParams&, const AlgorithmParams&) = default;
};

}  // namespace sumwise
