// Which of the eight user-interface languages to use.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sumwise {

using LanguageId = std::uint16_t;

inline constexpr LanguageId kChineseTraditional = 1028;
inline constexpr LanguageId kGerman = 1031;
inline constexpr LanguageId kEnglish = 1033;
inline constexpr LanguageId kItalian = 1040;
inline constexpr LanguageId kPolish = 1045;
inline constexpr LanguageId kSlovenian = 1060;
inline constexpr LanguageId kChineseSimplified = 2052;
inline constexpr LanguageId kSpanish = 3082;

inline constexpr LanguageId kLanguages[] = {kChineseTraditional, kGerman,   kEnglish,           kItalian,
                                            kPolish,             kSlovenian, kChineseSimplified, kSpanish};

// The language a "/LANG" option selects ("/LANG:pl", "/lang de-AT", ...),
// or none when the command line has no /LANG. An unknown code is English.
std::optional<LanguageId> languageFromCommandLine(std::wstring_view commandLine);

// The language for a user whose default UI language is `userLanguage`.
LanguageId languageForUser(std::uint16_t userLanguage);

// The primary language of a LANGID (its low ten bits).
constexpr std::uint16_t primaryLanguage(LanguageId id) { return id & 0x3FF; }

}  // namespace sumwise
