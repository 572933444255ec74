#include "toolkit/strings.h"

#include <atomic>

namespace sumwise {

namespace {

std::atomic<LanguageId> gUiLanguage{kEnglish};

HMODULE resourceModule() {
    // The resources live in the executable that holds this code.
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&resourceModule), &module);
    return module;
}

}  // namespace

void setUiLanguage(LanguageId language) { gUiLanguage = language; }
LanguageId uiLanguage() { return gUiLanguage.load(); }

std::wstring loadText(UINT id) { return loadText(id, uiLanguage()); }

std::wstring loadText(UINT id, LanguageId language) {
    // Strings are stored in blocks of 16: block id / 16 + 1, each string a
    // length-prefixed run of UTF-16 characters.
    const HMODULE module = resourceModule();
    const HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (block == nullptr) return {};
    const HGLOBAL loaded = LoadResource(module, block);
    const auto* data = static_cast<const WCHAR*>(LockResource(loaded));
    if (data == nullptr) return {};
    const DWORD blockChars = SizeofResource(module, block) / sizeof(WCHAR);
    DWORD offset = 0;
    for (UINT index = 0; index < id % 16; ++index) {
        if (offset >= blockChars) return {};
        offset += 1 + data[offset];
    }
    if (offset >= blockChars) return {};
    const DWORD length = std::min<DWORD>(data[offset], blockChars - offset - 1);
    return std::wstring(data + offset + 1, length);
}

std::wstring loadFormatted(UINT id, const std::vector<FormatArgument>& arguments, std::size_t maxLength) {
    return formatText(loadText(id), arguments, maxLength);
}

wchar_t decimalSeparator() {
    wchar_t separator[4] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) > 0 && separator[0] != L'\0') {
        return separator[0];
    }
    return L'.';
}

}  // namespace sumwise
