// The texts of the update's error box: a system error with the action that
// failed, or an answer of the server that was not "200 OK".
#pragma once

#include <windows.h>

#include <string>

#include "text/ui_language.h"
#include "update/internet_session.h"

namespace sumwise {

// "MESSAGE\nError code: CODE\nAction: ACTION" when the system has a message
// for `code`; without one, or for code 0, the "unexpected error" forms.
// At most 260 characters.
std::wstring internetErrorText(DWORD code, UINT actionId, LanguageId language);

// The server answered `status` to the request of `actionId`.
std::wstring httpStatusErrorText(DWORD status, UINT actionId, LanguageId language);

// The error of a session that could not be opened.
std::wstring sessionErrorText(const InternetSession& session, LanguageId language);

}  // namespace sumwise
