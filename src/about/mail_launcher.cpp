#include "about/mail_launcher.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "about/mail_command.h"

namespace sumwise {

namespace {

constexpr std::size_t kClientNameMaxLength = 260;

// The default value of HKLM\`path`, when it is text of at most `maxLength` characters.
std::optional<std::wstring> defaultValue(const std::wstring& path, std::size_t maxLength) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    std::wstring value(maxLength + 1, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    const LSTATUS status =
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    value.resize(bytes / sizeof(wchar_t));
    // A stored value may or may not carry its terminating NUL.
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    if (value.size() > maxLength) return std::nullopt;
    return value;
}

std::optional<std::wstring> environmentValue(std::wstring_view name) {
    const std::wstring variable(name);
    const DWORD size = GetEnvironmentVariableW(variable.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(variable.c_str(), value.data(), size);
    if (length >= size) return std::nullopt;
    value.resize(length);
    return value;
}

}  // namespace

DWORD launchMail(std::wstring_view address, std::wstring_view subject) {
    const auto client = defaultValue(L"Software\\Clients\\Mail", kClientNameMaxLength);
    if (!client || client->empty()) return ERROR_NO_ASSOCIATION;
    const auto commandTemplate = defaultValue(
        L"Software\\Clients\\Mail\\" + *client + L"\\Protocols\\mailto\\shell\\open\\command", kMailTemplateMaxLength);
    if (!commandTemplate) return ERROR_NO_ASSOCIATION;
    const auto commandLine = mailCommandLine(*commandTemplate, address, subject, environmentValue);
    if (!commandLine) return ERROR_NO_ASSOCIATION;

    std::wstring writable = *commandLine;  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        const DWORD error = GetLastError();
        return error != 0 ? error : static_cast<DWORD>(ERROR_NO_ASSOCIATION);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

}  // namespace sumwise
