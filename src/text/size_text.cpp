#include "text/size_text.h"

#include <algorithm>

namespace sumwise {

std::wstring sizeText(std::uint64_t bytes, wchar_t separator) {
    if (bytes <= 1024) return std::to_wstring(bytes) + L" B";

    const wchar_t* unit = L"KB";
    double divisor = 1024.0;
    if (bytes >= 1073741825ull) {
        unit = L"GB";
        divisor = 1073741824.0;
    } else if (bytes >= 1048577ull) {
        unit = L"MB";
        divisor = 1048576.0;
    }
    const double quotient = static_cast<double>(bytes) / divisor;
    const auto whole = static_cast<std::uint64_t>(quotient);
    const double fraction = quotient - static_cast<double>(whole);

    std::wstring text = std::to_wstring(whole);
    if (whole < 10) {
        const int hundredths = static_cast<int>(fraction * 100);
        text += separator;
        text += static_cast<wchar_t>(L'0' + hundredths / 10);
        text += static_cast<wchar_t>(L'0' + hundredths % 10);
    } else if (whole < 100) {
        text += separator;
        text += static_cast<wchar_t>(L'0' + static_cast<int>(fraction * 10));
    }
    return text + L' ' + unit;
}

void sizeText(std::uint64_t bytes, wchar_t separator, wchar_t* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) return;
    const std::wstring text = sizeText(bytes, separator);
    const std::size_t count = std::min(text.size(), capacity - 1);
    text.copy(buffer, count);
    buffer[count] = L'\0';
}

}  // namespace sumwise
