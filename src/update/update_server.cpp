#include "update/update_server.h"

namespace sumwise {

namespace {

bool startsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool isUsableBaseUrl(std::wstring_view url) {
    if (url.empty() || url.size() > kMaxUpdateUrlLength || url.back() != L'/') return false;
    std::size_t schemeLength = 0;
    if (startsWithIgnoringCase(url, L"http://")) {
        schemeLength = 7;
    } else if (startsWithIgnoringCase(url, L"https://")) {
        schemeLength = 8;
    } else {
        return false;
    }
    // A host must follow the scheme.
    if (url.size() <= schemeLength || url[schemeLength] == L'/') return false;
    for (wchar_t c : url) {
        if (c <= L' ' || c == 0x7F) return false;
    }
    return true;
}

}  // namespace

std::wstring updateBaseUrl(std::optional<std::wstring_view> configured) {
    if (configured && isUsableBaseUrl(*configured)) return std::wstring(*configured);
    return std::wstring(kBuiltInUpdateUrl);
}

std::wstring versionFileUrl(std::wstring_view base, std::wstring_view fileName) {
    return std::wstring(base) + L"files/" + std::wstring(fileName);
}

std::wstring downloadUrl(std::wstring_view base, std::wstring_view fileName) {
    return std::wstring(base) + L"download.php?file=" + std::wstring(fileName);
}

std::wstring portableFileName(bool x86, bool beta) {
    return std::wstring(x86 ? L"Sumwise_x86" : L"Sumwise_x64") + (beta ? L"_beta" : L"") + L".exe";
}

}  // namespace sumwise
