// A byte count as the short size text shown to the user: "1024 B",
// "1.99 KB", "15.9 MB", "100 MB". Binary units; decimals are cut, never
// rounded up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sumwise {

// `separator` is the user's decimal separator (only its first character counts).
std::wstring sizeText(std::uint64_t bytes, wchar_t separator);

// The same text cut to fit a buffer of `capacity` characters with its NUL.
void sizeText(std::uint64_t bytes, wchar_t separator, wchar_t* buffer, std::size_t capacity);

}  // namespace sumwise
