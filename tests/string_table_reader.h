// The program's string tables read straight from its resources, language by
// language, for the tests of their contents and of their layout.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace sumwise::test::string_tables {

struct Language {
    LANGID id;
    const char* name;
};

inline constexpr Language kLanguages[] = {
    {1033, "English"}, {1031, "German"},  {1040, "Italian"},           {1045, "Polish"},
    {1060, "Slovenian"}, {3082, "Spanish"}, {2052, "Chinese (Simplified)"}, {1028, "Chinese (Traditional)"},
};

// The 16 length-prefixed strings of one block of one language, read straight
// from the resource (LoadStringW would fall back to other languages).
inline std::optional<std::vector<std::wstring>> stringBlock(UINT block, LANGID language) {
    HRSRC found = FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(block), language);
    if (found == nullptr) return std::nullopt;
    const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(nullptr, found)));
    const WCHAR* end = p + SizeofResource(nullptr, found) / sizeof(WCHAR);
    std::vector<std::wstring> strings;
    for (int i = 0; i < 16; ++i) {
        if (p >= end) return std::nullopt;  // a truncated block is a fault, not a short table
        const WCHAR length = *p++;
        if (length > end - p) return std::nullopt;
        strings.emplace_back(p, length);
        p += length;
    }
    return strings;
}

// The text of one string, or none when its block does not exist.
inline std::optional<std::wstring> tableString(UINT id, LANGID language) {
    auto block = stringBlock(id / 16 + 1, language);
    if (!block) return std::nullopt;
    return (*block)[id % 16];
}

inline std::wstring text(UINT id, LANGID language) { return tableString(id, language).value_or(L""); }

inline std::string narrow(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// A label as the user reads it: an access key's '&' is not drawn, "&&" is one '&'.
inline std::wstring withoutAccessKey(const std::wstring& label) {
    std::wstring shown;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == L'&' && ++i == label.size()) break;
        shown += label[i];
    }
    return shown;
}

}  // namespace sumwise::test::string_tables
