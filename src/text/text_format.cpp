#include "text/text_format.h"

namespace sumwise {

std::wstring formatText(std::wstring_view format, const std::vector<FormatArgument>& arguments,
                        std::size_t maxLength) {
    std::wstring out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size() && out.size() < maxLength; ++i) {
        if (format[i] != L'%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        const std::size_t start = i++;
        if (format[i] == L'%') {
            out += L'%';
            continue;
        }
        bool zeroPad = false;
        if (format[i] == L'0') {
            zeroPad = true;
            ++i;
        }
        std::size_t width = 0;
        while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') width = width * 10 + (format[i++] - L'0');
        width = std::min<std::size_t>(width, 64);
        if (i >= format.size()) {
            out += format.substr(start);
            break;
        }
        const wchar_t conversion = format[i];
        const FormatArgument* argument = next < arguments.size() ? &arguments[next] : nullptr;
        std::wstring piece;
        bool ok = false;
        if (argument != nullptr) {
            if (conversion == L's' && std::holds_alternative<std::wstring_view>(*argument)) {
                piece = std::get<std::wstring_view>(*argument);
                ok = true;
            } else if (conversion == L'c' && std::holds_alternative<wchar_t>(*argument)) {
                piece = std::get<wchar_t>(*argument);
                ok = true;
            } else if ((conversion == L'i' || conversion == L'd' || conversion == L'u') &&
                       std::holds_alternative<std::int64_t>(*argument)) {
                const std::int64_t value = std::get<std::int64_t>(*argument);
                piece = std::to_wstring(value < 0 ? -value : value);
                if (piece.size() < width && zeroPad) piece.insert(0, width - piece.size(), L'0');
                if (value < 0) piece.insert(0, 1, L'-');
                ok = true;
            }
        }
        if (!ok) {
            out += format.substr(start, i - start + 1);
            continue;
        }
        ++next;
        if (piece.size() < width) piece.insert(0, width - piece.size(), L' ');
        out += piece;
    }
    if (out.size() > maxLength) out.resize(maxLength);
    return out;
}

}  // namespace sumwise
