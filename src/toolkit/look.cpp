#include "toolkit/look.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "toolkit/strings.h"
#include "toolkit/system_functions.h"

namespace sumwise::look {

UINT dpiOf(HWND window) { return system::dpiForWindow(window); }

int scaled(HWND window, int pixels) { return MulDiv(pixels, static_cast<int>(dpiOf(window)), 96); }

int systemMetric(HWND window, int index) { return system::systemMetricForDpi(index, dpiOf(window)); }

bool windowsVersionIsAtLeast(DWORD major, DWORD minor) {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

bool themesActive() { return windowsVersionIsAtLeast(6, 0) && IsAppThemed() != FALSE; }

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

std::wstring controlText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

void setControlText(HWND dialog, int id, const std::wstring& text) { SetDlgItemTextW(dialog, id, text.c_str()); }

int textWidth(HWND dialog, std::wstring_view text) {
    const HDC dc = GetDC(dialog);
    if (dc == nullptr) return 0;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    // As a label draws it: an access key's '&' takes no room.
    RECT rect{};
    DrawTextW(dc, text.data(), static_cast<int>(std::min<std::size_t>(text.size(), 256)), &rect,
              DT_CALCRECT | DT_SINGLELINE);
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    return rect.right - rect.left;
}

int controlTextWidth(HWND dialog, int id) { return textWidth(dialog, controlText(dialog, id)); }

int stringTextWidth(HWND dialog, UINT stringId) {
    const std::wstring text = loadText(stringId);
    return textWidth(dialog, std::wstring_view(text).substr(0, 255));
}

RECT controlRect(HWND dialog, int id) {
    RECT rect{};
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) return rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void keepAtLeast(WPARAM edge, RECT& rect, SIZE minimum) {
    if (rect.right - rect.left < minimum.cx) {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
            rect.left = rect.right - minimum.cx;
        } else {
            rect.right = rect.left + minimum.cx;
        }
    }
    if (rect.bottom - rect.top < minimum.cy) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
            rect.top = rect.bottom - minimum.cy;
        } else {
            rect.bottom = rect.top + minimum.cy;
        }
    }
}

void moveControl(HWND dialog, int id, int left, int top, int width, int height) {
    SetWindowPos(GetDlgItem(dialog, id), nullptr, left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

int placeCheckBox(HWND dialog, int id, int left, int minimum, int gap) {
    const RECT rect = controlRect(dialog, id);
    if (left == 0) left = rect.left;
    // The text plus the box and the space between them.
    const int width = controlTextWidth(dialog, id) + scaled(dialog, 18);
    moveControl(dialog, id, left, rect.top, width, rect.bottom - rect.top);
    return std::max(minimum, left + gap + width);
}

void fitButtonRow(HWND dialog, const int* ids, int count) {
    int right = 0;
    for (int i = 0; i < count; ++i) {
        const RECT rect = controlRect(dialog, ids[i]);
        if (i == 0) right = rect.right;
        const int width = std::max(controlTextWidth(dialog, ids[i]) + scaled(dialog, 30), scaled(dialog, 70));
        moveControl(dialog, ids[i], right - width, rect.top, width, rect.bottom - rect.top);
        right = right - width - scaled(dialog, 6);
    }
}

LOGFONTW messageFont(HWND window) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    system::systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, dpiOf(window));
    return metrics.lfMessageFont;
}

namespace {

// Fonts made for controls live as long as the program; the same request is
// served by the same font.
struct FontCache {
    std::mutex mutex;
    std::vector<std::pair<LOGFONTW, HFONT>> fonts;
};

FontCache& fontCache() {
    static FontCache cache;
    return cache;
}

HFONT cachedFont(const LOGFONTW& description) {
    FontCache& cache = fontCache();
    std::lock_guard lock(cache.mutex);
    for (const auto& [known, font] : cache.fonts) {
        if (std::memcmp(&known, &description, sizeof description) == 0) return font;
    }
    const HFONT font = CreateFontIndirectW(&description);
    if (font != nullptr) cache.fonts.emplace_back(description, font);
    return font;
}

}  // namespace

bool setControlFont(HWND dialog, int id, const LOGFONTW* base, int points, bool bold, bool underline) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) return false;
    LOGFONTW font{};
    if (base != nullptr) {
        font = *base;
    } else {
        const auto current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        if (current == nullptr || GetObjectW(current, sizeof font, &font) == 0) return false;
    }
    if (points != 0) font.lfHeight = -MulDiv(points, static_cast<int>(dpiOf(dialog)), 72);
    font.lfItalic = FALSE;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = underline ? TRUE : FALSE;
    const HFONT created = cachedFont(font);
    if (created == nullptr) return false;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(created), FALSE);
    return true;
}

HBRUSH backgroundBrush() { return GetSysColorBrush(themesActive() ? COLOR_WINDOW : COLOR_BTNFACE); }

COLORREF headingColour(HWND window) {
    COLORREF colour = RGB(0, 51, 153);
    if (!themesActive()) return colour;
    if (const HTHEME theme = OpenThemeData(window, L"TEXTSTYLE")) {
        COLORREF themed{};
        if (SUCCEEDED(GetThemeColor(theme, TEXT_MAININSTRUCTION, 0, TMT_TEXTCOLOR, &themed))) colour = themed;
        CloseThemeData(theme);
    }
    return colour;
}

COLORREF errorColour(HWND window) {
    COLORREF colour = RGB(228, 0, 33);
    if (!themesActive()) return colour;
    if (const HTHEME theme = OpenThemeData(window, L"PROGRESSSTYLE")) {
        COLORREF themed{};
        if (SUCCEEDED(GetThemeColor(theme, PP_FILL, PBFS_ERROR, TMT_FILLCOLORHINT, &themed))) colour = themed;
        CloseThemeData(theme);
    }
    return colour;
}

HBRUSH staticColours(HDC dc, COLORREF textColour) {
    SetTextColor(dc, textColour);
    SetBkMode(dc, TRANSPARENT);
    return backgroundBrush();
}

void paintFooterBand(HWND dialog, HDC dc) {
    if (!themesActive()) return;
    RECT client{};
    GetClientRect(dialog, &client);
    const int band = scaled(dialog, 40);
    RECT fill = client;
    fill.top = client.bottom - band;
    FillRect(dc, &fill, GetSysColorBrush(COLOR_BTNFACE));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto darker = [](int channel) { return channel < 18 ? 0 : channel - 17; };
    const HBRUSH line = CreateSolidBrush(
        RGB(darker(GetRValue(face)), darker(GetGValue(face)), darker(GetBValue(face))));
    RECT edge = client;
    edge.top = fill.top - 1;
    edge.bottom = fill.top;
    FillRect(dc, &edge, line);
    DeleteObject(line);
}

}  // namespace sumwise::look
