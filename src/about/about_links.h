// What the About box links to, and its translator credit.
#pragma once

#include <string_view>

#include "text/ui_language.h"

namespace sumwise {

inline constexpr std::wstring_view kSupportAddress = L"support@sumwise.example";
inline constexpr std::wstring_view kPlatformText = L"64-bit";

// The home page and the licence page, in Polish for Polish users.
constexpr std::wstring_view homePageFor(LanguageId language) {
    return language == kPolish ? L"https://www.sumwise.example/pl/" : L"https://www.sumwise.example/";
}
constexpr std::wstring_view licensePageFor(LanguageId language) {
    return language == kPolish ? L"https://www.sumwise.example/pl/license.html"
                               : L"https://www.sumwise.example/license.html";
}

// The translator credit of a language: shown when it has a name or an
// address; the name is shown when there is one, else the address; it is a
// mail link when there is an address.
struct TranslatorCredit {
    bool shown = false;
    std::wstring_view text;
    bool link = false;
};

constexpr TranslatorCredit translatorCredit(std::wstring_view address, std::wstring_view name) {
    if (name.empty() && address.empty()) return {};
    return {true, name.empty() ? address : name, !address.empty()};
}

}  // namespace sumwise
