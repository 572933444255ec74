// Strings of the string table in the user-interface language.
#pragma once

#include <windows.h>

#include <string>

#include "text/text_format.h"
#include "text/ui_language.h"

namespace sumwise {

// The language every thread loads strings in; set once at start-up.
void setUiLanguage(LanguageId language);
LanguageId uiLanguage();

// The string `id` in `language` (by default the UI language), loaded from
// that language's block of the string table, so it works on every thread
// whatever the thread's own language. A string the language lacks is empty.
// Owned text: safe to use on any number of threads at once.
std::wstring loadText(UINT id);
std::wstring loadText(UINT id, LanguageId language);

// loadText, then formatText with the arguments.
std::wstring loadFormatted(UINT id, const std::vector<FormatArgument>& arguments, std::size_t maxLength = 1023);

// The user's decimal separator, for size texts; '.' when the system gives none.
wchar_t decimalSeparator();

}  // namespace sumwise
