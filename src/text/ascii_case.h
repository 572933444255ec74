// Text compared with ASCII letters folded to one case and every other
// character as itself: for names and keywords the program defines (algorithm
// names, options, language codes), never for file names.
#pragma once

#include <cstddef>
#include <string_view>
#include <type_traits>

namespace sumwise {

namespace ascii_case_detail {

template <typename Char>
constexpr char32_t folded(Char c) {
    const auto code = static_cast<char32_t>(static_cast<std::make_unsigned_t<Char>>(c));
    return code >= U'A' && code <= U'Z' ? code - U'A' + U'a' : code;
}

template <typename A, typename B>
constexpr bool equal(std::basic_string_view<A> a, std::basic_string_view<B> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (folded(a[i]) != folded(b[i])) return false;
    }
    return true;
}

}  // namespace ascii_case_detail

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return ascii_case_detail::equal(a, b);
}
constexpr bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return ascii_case_detail::equal(a, b);
}
// A byte above 0x7F never equals a wide character: bytes are not decoded.
constexpr bool equalsIgnoringAsciiCase(std::wstring_view a, std::string_view b) {
    for (const char c : b) {
        if (static_cast<unsigned char>(c) > 0x7F) return false;
    }
    return ascii_case_detail::equal(a, b);
}

constexpr bool startsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace sumwise
