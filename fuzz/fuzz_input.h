// Helpers for the fuzz targets: turning the fuzzer's bytes into the inputs
// the parsers take, and stopping loudly when a parser breaks a promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// The entry point every target defines, called by libFuzzer or by the replay.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace sumwise::fuzz {

// A broken promise is a finding like a crash: report it and abort, so the
// fuzzer keeps the input.
inline void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Wide text from the bytes read as UTF-8, so that dictionary words and seeds
// stay readable; a byte that does not start a valid sequence stands for
// itself (0x80-0xFF), and characters beyond the Basic Multilingual Plane
// become surrogate pairs where wchar_t has 16 bits, as on Windows.
inline std::wstring wideOf(std::string_view bytes) {
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0;
            if ((next & 0xC0) != 0x80) {
                length = 0;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (length == 0 || code > 0x10FFFF) {
            text.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
            text.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<wchar_t>(code));
        }
        i += length;
    }
    return text;
}

// The bytes cut at each `separator` (a final empty piece is kept).
inline std::vector<std::string> split(std::string_view bytes, char separator) {
    std::vector<std::string> pieces;
    for (;;) {
        const std::size_t end = bytes.find(separator);
        pieces.emplace_back(bytes.substr(0, end));
        if (end == std::string_view::npos) return pieces;
        bytes.remove_prefix(end + 1);
    }
}

}  // namespace sumwise::fuzz
