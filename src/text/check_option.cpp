#include "text/check_option.h"

#include "text/ascii_case.h"

namespace sumwise {

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Whether "/CHECK:" starts at `at`.
bool optionAt(std::wstring_view text, std::size_t at) {
    return startsWithIgnoringAsciiCase(text.substr(at), L"/CHECK:");
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
        if (wholeQuoted || (start < commandLine.size() && commandLine[start] == L'"')) {
            if (!wholeQuoted) ++start;  // "/CHECK:"PATH"
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
