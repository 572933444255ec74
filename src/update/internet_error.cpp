#include "update/internet_error.h"

#include "resources/resource_ids.h"
#include "toolkit/strings.h"

namespace sumwise {

namespace {

constexpr std::size_t kErrorTextMaxLength = 260;

std::wstring systemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring message;
    if (length != 0 && buffer != nullptr) message.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

std::wstring internetErrorText(DWORD code, UINT actionId, LanguageId language) {
    const std::wstring action = loadText(actionId, language);
    if (code == 0) {
        return formatText(loadText(IDS_ERROR_NO_CODE, language), {std::wstring_view(action)}, kErrorTextMaxLength);
    }
    const auto number = static_cast<std::int64_t>(code);
    const std::wstring message = systemMessage(code);
    if (message.empty()) {
        return formatText(loadText(IDS_ERROR_CODE, language), {number, std::wstring_view(action)},
                          kErrorTextMaxLength);
    }
    return formatText(loadText(IDS_ERROR_SYSTEM_MESSAGE, language),
                      {std::wstring_view(message), number, std::wstring_view(action)}, kErrorTextMaxLength);
}

std::wstring httpStatusErrorText(DWORD status, UINT actionId, LanguageId language) {
    const std::wstring action = loadText(actionId, language);
    return formatText(loadText(IDS_ERROR_HTTP_STATUS, language),
                      {static_cast<std::int64_t>(status), std::wstring_view(action)}, kErrorTextMaxLength);
}

std::wstring sessionErrorText(const InternetSession& session, LanguageId language) {
    UINT action = IDS_ACTION_OPEN_INTERNET;
    if (session.failure() == InternetSession::Failure::CreateEvent) action = IDS_ACTION_CREATE_EVENT;
    if (session.failure() == InternetSession::Failure::SetCallback) action = IDS_ACTION_SET_CALLBACK;
    return internetErrorText(session.error(), action, language);
}

}  // namespace sumwise
