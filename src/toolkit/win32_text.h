// Conversions between the program's wide texts and the ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sumwise {

// The text in the ANSI code page (unmapped characters become the code
// page's default character), cut at a character boundary to `maxBytes`.
std::string toAnsi(std::wstring_view text, std::size_t maxBytes = std::string::npos);
std::wstring fromAnsi(std::string_view text);

// The text in the ANSI code page when the code page holds every character
// of it as it is (no default character, no look-alike); none otherwise.
std::optional<std::string> toAnsiExactly(std::wstring_view text);

std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view text);
// The text as UTF-8 when it is well-formed UTF-8; none otherwise.
std::optional<std::wstring> strictUtf8(std::string_view text);

}  // namespace sumwise
