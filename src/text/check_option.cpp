#include "text/check_option.h"

namespace sumwise {

namespace {

wchar_t upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Whether "/CHECK:" starts at `at`.
bool optionAt(std::wstring_view text, std::size_t at) {
    constexpr std::wstring_view kOption = L"/CHECK:";
    if (text.size() - at < kOption.size()) return false;
    for (std::size_t i = 0; i < kOption.size(); ++i) {
        if (upper(text[at + i]) != kOption[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<std::wstring> checkOption(std::wstring_view commandLine) {
    bool quoted = false;  // inside a quoted argument
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        const bool wholeQuoted = c == L'"' && !quoted && optionAt(commandLine, i + 1);
        if (c == L'"' && !wholeQuoted) {
            quoted = !quoted;
            continue;
        }
        if (quoted || !(wholeQuoted || (c == L'/' && optionAt(commandLine, i)))) continue;
        std::size_t start = i + (wholeQuoted ? 1 : 0) + 7;
        std::wstring path;
        if (wholeQuoted) {
            const std::size_t close = commandLine.find(L'"', start);
            path = commandLine.substr(start, close == std::wstring_view::npos ? std::wstring_view::npos : close - start);
        } else if (start < commandLine.size() && commandLine[start] == L'"') {
            ++start;
            const std::size_t close = commandLine.find(L'"', start);
            path = commandLine.substr(start, close == std::wstring_view::npos ? std::wstring_view::npos : close - start);
        } else {
            std::size_t end = start;
            // An option after the path begins with a blank and a slash.
            while (end < commandLine.size() && !(isBlank(commandLine[end]) && end + 1 < commandLine.size() &&
                                                 commandLine[end + 1] == L'/')) {
                ++end;
            }
            path = commandLine.substr(start, end - start);
            while (!path.empty() && isBlank(path.back())) path.pop_back();
        }
        if (path.empty()) return std::nullopt;
        return path;
    }
    return std::nullopt;
}

}  // namespace sumwise
