#include "algorithms/digest.h"

#include <algorithm>

namespace sumwise {

Digest Digest::fromBytes(const std::uint8_t* data, std::size_t count) {
    Digest digest;
    digest.size = std::min(count, kMaxBytes);
    std::copy_n(data, digest.size, digest.bytes.begin());
    digest.hexDigits = 2 * digest.size;
    return digest;
}

Digest Digest::fromNumber(std::uint64_t value, std::size_t byteCount) {
    Digest digest;
    digest.size = std::min<std::size_t>(byteCount, 8);
    for (std::size_t i = 0; i < digest.size; ++i) {
        digest.bytes[digest.size - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    digest.hexDigits = 2 * digest.size;
    return digest;
}

namespace {

template <typename Char>
std::basic_string<Char> hexText(const Digest& digest, LetterCase letterCase) {
    const char* digits = letterCase == LetterCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    const std::size_t count = std::min(digest.hexDigits, 2 * digest.size);
    std::basic_string<Char> text(count, Char('0'));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = digest.bytes[i / 2];
        const unsigned nibble = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        text[i] = static_cast<Char>(digits[nibble]);
    }
    return text;
}

}  // namespace

std::string digestText(const Digest& digest, LetterCase letterCase) {
    return hexText<char>(digest, letterCase);
}

std::wstring digestWideText(const Digest& digest, LetterCase letterCase) {
    return hexText<wchar_t>(digest, letterCase);
}

}  // namespace sumwise
