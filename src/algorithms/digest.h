// A finished digest and its hexadecimal text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sumwise {

enum class LetterCase { Upper, Lower };

// The bytes of a digest in the order they are printed. Checksums store their
// value most significant byte first, so every digest prints the same way.
struct Digest {
    static constexpr std::size_t kMaxBytes = 64;  // SHA-512, Whirlpool, MD6 at d = 512

    std::array<std::uint8_t, kMaxBytes> bytes{};
    std::size_t size = 0;       // bytes in use
    std::size_t hexDigits = 0;  // digits of the text; fewer than 2 * size only for MD6

    // A digest of the first `count` bytes of `data`, printed in full.
    static Digest fromBytes(const std::uint8_t* data, std::size_t count);
    // A checksum value printed as `byteCount` bytes, most significant first.
    static Digest fromNumber(std::uint64_t value, std::size_t byteCount);

    bool empty() const { return hexDigits == 0; }
};

// "%02X" per byte (or "%02x"), cut to the digest's digit count.
std::string digestText(const Digest& digest, LetterCase letterCase);
std::wstring digestWideText(const Digest& digest, LetterCase letterCase);

}  // namespace sumwise
