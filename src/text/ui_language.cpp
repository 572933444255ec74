#include "text/ui_language.h"

#include <string>

#include "text/ascii_case.h"

namespace sumwise {

namespace {


LanguageId languageForCode(std::wstring_view code) {
    struct TwoLetter {
        const wchar_t* code;
        LanguageId language;
    };
    for (const TwoLetter& entry : {TwoLetter{L"en", kEnglish}, {L"pl", kPolish}, {L"de", kGerman},
                                   {L"sl", kSlovenian}, {L"es", kSpanish}, {L"it", kItalian}}) {
        if (startsWithIgnoringAsciiCase(code, entry.code)) return entry.language;
    }
    // The Chinese codes count only as whole codes.
    for (const wchar_t* simplified : {L"zh-CHS", L"zh-Hans", L"zh-cn"}) {
        if (equalsIgnoringAsciiCase(code, simplified)) return kChineseSimplified;
    }
    for (const wchar_t* traditional : {L"zh-CHT", L"zh-Hant", L"zh-ct"}) {
        if (equalsIgnoringAsciiCase(code, traditional)) return kChineseTraditional;
    }
    return kEnglish;
}

}  // namespace

std::optional<LanguageId> languageFromCommandLine(std::wstring_view commandLine) {
    constexpr std::wstring_view kOption = L"/LANG";
    std::size_t at = std::wstring_view::npos;
    for (std::size_t i = 0; i + kOption.size() <= commandLine.size(); ++i) {
        if (equalsIgnoringAsciiCase(commandLine.substr(i, kOption.size()), kOption)) {
            at = i;
            break;
        }
    }
    if (at == std::wstring_view::npos) return std::nullopt;
    std::size_t i = at + kOption.size();
    while (i < commandLine.size() && (commandLine[i] == L'\t' || commandLine[i] == L' ' || commandLine[i] == L':')) {
        ++i;
    }
    std::wstring code;
    while (i < commandLine.size() && code.size() < 7) {
        const wchar_t c = commandLine[i++];
        const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
        if (!letter && c != L'-') break;
        code.push_back(c);
    }
    return languageForCode(code);
}

LanguageId languageForUser(std::uint16_t userLanguage) {
    switch (primaryLanguage(userLanguage)) {
    case 0x04:  // Chinese: simplified only for the PRC sublanguage
        return (userLanguage & 0xFC00) == 0x0800 ? kChineseSimplified : kChineseTraditional;
    case 0x07: return kGerman;
    case 0x0A: return kSpanish;
    case 0x10: return kItalian;
    case 0x15: return kPolish;
    case 0x24: return kSlovenian;
    default: return kEnglish;
    }
}

}  // namespace sumwise
