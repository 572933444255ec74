#include "jobs/long_path.h"

#include <windows.h>

#include <vector>

namespace sumwise {

std::wstring extendedLengthPath(std::wstring_view path) {
    if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) {
        return std::wstring(path);
    }
    const std::wstring given(path);
    // The extended form takes no relative parts, "." or "..", nor forward slashes.
    const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return given;
    std::vector<wchar_t> full(needed + 1, L'\0');
    const DWORD length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return given;
    std::wstring absolute(full.data(), length);
    if (absolute.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

}  // namespace sumwise
