// The system's save dialog for a downloaded update.
#pragma once

#include <windows.h>

#include <string>

#include "text/ui_language.h"

namespace sumwise {

// The full path the user chose for `suggestedName`, asking before an
// existing file is replaced; empty when the dialog was cancelled.
std::wstring chooseSaveTarget(HWND owner, const std::wstring& suggestedName, LanguageId language);

}  // namespace sumwise
