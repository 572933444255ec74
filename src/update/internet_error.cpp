#include "update/internet_error.h"

#include "resources/resource_ids.h"
#include "toolkit/strings.h"

namespace sumwise {

namespace {

constexpr std::size_t kErrorTextMaxLength = 260;

// The text of `code` in a message table: `module`'s, or the system's.
std::wstring tableMessage(DWORD code, HMODULE module) {
    const DWORD source = module != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | source | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        module, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                        reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring message;
    if (length != 0 && buffer != nullptr) message.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

std::wstring systemMessage(DWORD code) {
    // WinINet's own codes (12000 on) have their texts in its message table, not the system's.
    if (code >= INTERNET_ERROR_BASE && code < INTERNET_ERROR_BASE + 1000) {
        if (const HMODULE wininet = GetModuleHandleW(L"wininet.dll")) {
            std::wstring message = tableMessage(code, wininet);
            if (!message.empty()) return message;
        }
    }
    return tableMessage(code, nullptr);
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
