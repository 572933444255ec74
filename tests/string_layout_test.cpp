// The texts of the eight languages measured as the dialogs show them: every
// text fits the control that shows it in the dialog's font.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/version.h"
#include "string_table_reader.h"

namespace {

using namespace sumwise::test::string_tables;

// Ideographs and full-width forms. Fonts for them may be missing on the test
// machine; each then counts as wide as the font's line is high, which is at
// least what the usual CJK interface fonts take.
bool isFullWidth(wchar_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

// Measures texts in one font on a window's device context.
class TextMeter {
public:
    TextMeter(HWND window, HFONT font) : window_(window), dc_(GetDC(window)), old_(SelectObject(dc_, font)) {
        GetTextMetricsW(dc_, &metrics_);
    }
    ~TextMeter() {
        SelectObject(dc_, old_);
        ReleaseDC(window_, dc_);
    }
    TextMeter(const TextMeter&) = delete;
    TextMeter& operator=(const TextMeter&) = delete;

    int lineHeight() const { return metrics_.tmHeight; }

    // A label's width as drawn: its access key's '&' takes no room.
    int width(const std::wstring& label) const {
        const std::wstring s = withoutAccessKey(label);
        SIZE size{};
        GetTextExtentPoint32W(dc_, s.c_str(), static_cast<int>(s.size()), &size);
        std::wstring narrowPart;
        int fullWidth = 0;
        for (wchar_t c : s) {
            if (isFullWidth(c)) {
                ++fullWidth;
            } else {
                narrowPart += c;
            }
        }
        if (fullWidth == 0) return size.cx;
        SIZE rest{};
        GetTextExtentPoint32W(dc_, narrowPart.c_str(), static_cast<int>(narrowPart.size()), &rest);
        return std::max<int>(size.cx, rest.cx + fullWidth * metrics_.tmHeight);
    }

    // Lines a word-wrapping static of this width needs for the text.
    int lines(const std::wstring& s, int boxWidth) const {
        if (std::none_of(s.begin(), s.end(), isFullWidth)) {
            RECT r{0, 0, boxWidth, 0};
            DrawTextW(dc_, s.c_str(), static_cast<int>(s.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            if (r.right > boxWidth) return 1000;  // a word wider than the box
            return (r.bottom + metrics_.tmHeight - 1) / metrics_.tmHeight;
        }
        // CJK text breaks between any two characters; leave a little for
        // punctuation that may not start a line.
        int count = 0;
        size_t start = 0;
        while (start <= s.size()) {
            size_t end = s.find(L'\n', start);
            if (end == std::wstring::npos) end = s.size();
            const int w = width(s.substr(start, end - start));
            count += std::max(1, static_cast<int>(std::ceil(w / (boxWidth * 0.95))));
            start = end + 1;
        }
        return count;
    }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_;
    TEXTMETRICW metrics_{};
};

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A dialog from its template, never shown, for its font and dialog units.
class HiddenDialog {
public:
    explicit HiddenDialog(int templateId) {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_USEREX_CLASSES};
        InitCommonControlsEx(&controls);
        window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr, quietDialog, 0);
        if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
    }
    ~HiddenDialog() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    HiddenDialog(const HiddenDialog&) = delete;
    HiddenDialog& operator=(const HiddenDialog&) = delete;

    HWND window() const { return window_; }
    HFONT font() const { return reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)); }
    int x(int units) const {
        RECT r{0, 0, units, 0};
        MapDialogRect(window_, &r);
        return r.right;
    }
    int y(int units) const {
        RECT r{0, 0, 0, units};
        MapDialogRect(window_, &r);
        return r.bottom;
    }

private:
    HWND window_ = nullptr;
};

// A font kept for the scope of a test.
class Font {
public:
    explicit Font(const LOGFONTW& description) : font_(CreateFontIndirectW(&description)) {}
    ~Font() {
        if (font_ != nullptr) DeleteObject(font_);
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_;
};

// The system's message font, at a point size when one is given (the update,
// HAVAL and MD6 dialogs use it).
LOGFONTW messageFont(HWND window, int points) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    if (points > 0) {
        HDC dc = GetDC(window);
        font.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(window, dc);
    }
    font.lfWeight = FW_NORMAL;
    return font;
}

LOGFONTW fontOf(HFONT font) {
    LOGFONTW description{};
    GetObjectW(font, sizeof(description), &description);
    return description;
}

// A text with its %s and %i replaced by the arguments in order, %% by %.
std::wstring fill(const std::wstring& format, std::initializer_list<std::wstring> arguments) {
    std::wstring out;
    auto next = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size()) {
            ++i;
            if (format[i] == L'%') {
                out += L'%';
            } else if (next != arguments.end()) {
                out += *next++;
            }
        } else {
            out += format[i];
        }
    }
    return out;
}

// The left edge of the leftmost button of a row fitted from the right: each
// button its text width + 30 pixels wide, at least 70, 6 pixels apart.
int fittedRowLeft(const TextMeter& meter, int rightEdge, std::initializer_list<std::wstring> rightToLeft) {
    int left = rightEdge + 6;
    for (const auto& caption : rightToLeft) left -= 6 + std::max(70, meter.width(caption) + 30);
    return left;
}

TEST(StringLayout, MainDialogTextsFitTheirControls) {
    HiddenDialog dialog(IDD_MAIN);
    ASSERT_NE(dialog.window(), nullptr);
    TextMeter meter(dialog.window(), dialog.font());
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        auto w = [&](UINT id) { return meter.width(text(id, language.id)); };

        // Two columns of check boxes, each box its text + 18 pixels wide; the
        // second column starts at a language-dependent minimum, right of the
        // first, and must end before the Hash and Browse buttons, which are
        // widened to their longest caption.
        const int left = dialog.x(13);
        const int showAllRight = left + w(IDS_SHOW_ALL) + 18;
        const int textModeRight = left + w(IDS_HASH_TEXT) + 18;
        const WORD primary = PRIMARYLANGID(language.id);
        const int minimum = primary == LANG_GERMAN ? 160 : primary == LANG_SLOVENIAN ? 145 : 170;
        const int second = std::max({minimum, showAllRight + 12, textModeRight});
        const int secondRight = second + std::max(w(IDS_SMALL_CAPS), w(IDS_HASH_DISK)) + 18;
        int widestButton = 0;
        for (UINT id = IDS_OK; id <= IDS_BROWSE; ++id) widestButton = std::max(widestButton, w(id));
        const int buttonWidth = std::max(70, widestButton + 20);
        const int buttonLeft = dialog.x(287) - buttonWidth;
        EXPECT_LE(secondRight + 4, buttonLeft) << "check boxes run into the Hash/Browse buttons";

        // The About button grows to the right and must stay clear of OK.
        EXPECT_LE(dialog.x(7) + std::max(70, w(IDS_ABOUT) + 20) + 6, buttonLeft);

        // Group box captions, with room for the frame on both sides.
        const int groupRoom = dialog.x(286) - 16;
        for (UINT id : {IDS_FUNCTIONS, IDS_COMPUTING, IDS_SUSPENDED, IDS_PROMPT_FILE, IDS_PROMPT_TEXT,
                        IDS_PROMPT_DRIVE, IDS_COMPARE_GROUP}) {
            EXPECT_LE(w(id), groupRoom) << id;
        }
        EXPECT_LE(meter.width(fill(text(IDS_FILE_SIZE, language.id), {L"1,023.99 MB"})), groupRoom);
        EXPECT_LE(meter.width(fill(text(IDS_TEXT_LENGTH, language.id), {L"256"})), groupRoom);
        EXPECT_LE(meter.width(fill(text(IDS_TEXT_LENGTH_UTF8, language.id), {L"1024"})), groupRoom);

        // The compare line: label, then the algorithm name or the negative
        // result 5 pixels further right, inside the compare box.
        const int compareEnd = left + w(IDS_COMPARE_RESULT) + 5 + std::max(w(IDS_NEGATIVE), meter.width(L"Whirlpool"));
        EXPECT_LE(compareEnd, dialog.x(287));

        // The name column is as wide as the longest algorithm name and two
        // check marks; its header must not be cut.
        const int nameColumn = std::max({meter.width(L"RIPEMD-320"), meter.width(L"SHA-1-IME"), meter.width(L"Whirlpool")}) +
                               2 * GetSystemMetrics(SM_CXMENUCHECK);
        EXPECT_LE(w(IDS_COLUMN_NAME) + 12, nameColumn);
    }
}

TEST(StringLayout, ParameterDialogTextsFitTheirControls) {
    HiddenDialog md6(IDD_MD6);
    HiddenDialog haval(IDD_HAVAL);
    ASSERT_NE(md6.window(), nullptr);
    ASSERT_NE(haval.window(), nullptr);
    TextMeter md6Meter(md6.window(), md6.font());
    TextMeter havalMeter(haval.window(), haval.font());
    Font heading(messageFont(md6.window(), 10));
    TextMeter headingMeter(md6.window(), heading.get());
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        auto s = [&](UINT id) { return text(id, language.id); };

        // One line each: the headings in the 10-point message font, the check
        // boxes with their box.
        EXPECT_LE(headingMeter.width(s(IDS_MD6_HEADING)), md6.x(280));
        EXPECT_LE(headingMeter.width(s(IDS_HAVAL_HEADING)), haval.x(240));
        for (UINT id : {IDS_MD6_D, IDS_MD6_KEY, IDS_MD6_L, IDS_MD6_R}) {
            EXPECT_LE(md6Meter.width(s(id)) + 18, md6.x(270)) << id;
        }
        for (UINT id : {IDS_HAVAL_PASSES, IDS_HAVAL_BITS}) {
            EXPECT_LE(havalMeter.width(s(id)) + 16, haval.x(220)) << id;
        }

        // Cancel, OK and "Set to default", fitted from the right, stay inside.
        EXPECT_GE(fittedRowLeft(md6Meter, md6.x(293), {s(IDS_CANCEL), s(IDS_OK), s(IDS_SET_DEFAULT)}), md6.x(7));
        EXPECT_GE(fittedRowLeft(havalMeter, haval.x(253), {s(IDS_CANCEL), s(IDS_OK), s(IDS_SET_DEFAULT)}),
                  haval.x(7));
    }
}

TEST(StringLayout, UpdateDialogTextsFitTheirControls) {
    HiddenDialog dialog(IDD_UPDATE);
    ASSERT_NE(dialog.window(), nullptr);
    Font status(messageFont(dialog.window(), 12));
    Font message(messageFont(dialog.window(), 0));
    TextMeter statusMeter(dialog.window(), status.get());
    TextMeter meter(dialog.window(), message.get());
    const int width = dialog.x(300);
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        auto s = [&](UINT id) { return text(id, language.id); };

        // The status line: one line in the 12-point font.
        for (UINT id : {IDS_CHECKING, IDS_NEW_VERSION, IDS_NO_NEW_VERSION, IDS_DOWNLOADING, IDS_DOWNLOAD_COMPLETE,
                        IDS_CONNECTION_ERROR, IDS_DOWNLOAD_ERROR, IDS_CLOSING}) {
            EXPECT_LE(statusMeter.width(s(id)), width) << id;
        }

        // The message box below it, wrapped.
        const int messageLines = dialog.y(40) / meter.lineHeight();
        const std::wstring version = sumwise::kVersionWideText;
        for (const std::wstring& m :
             {fill(s(IDS_NEW_VERSION_TEXT), {version, L"1.63.801.7300"}), fill(s(IDS_NO_NEW_VERSION_TEXT), {version}),
              s(IDS_DOWNLOAD_RUN_HINT), s(IDS_DOWNLOAD_INSTALL_HINT), s(IDS_CONNECTION_ERROR_TEXT),
              s(IDS_DOWNLOAD_ERROR_TEXT)}) {
            EXPECT_LE(meter.lines(m, width), messageLines) << narrow(m);
        }
        // While connecting the message ends at the progress bar: one line.
        EXPECT_LE(meter.lines(s(IDS_CONNECTING), width), 1);
        // During the download it reaches 12 pixels below the bar's top.
        for (const std::wstring& progress : {fill(s(IDS_DOWNLOAD_PROGRESS), {L"SumwiseSetup.exe", L"12.3 MB", L"45"}),
                                             fill(s(IDS_DOWNLOADED_SIZE), {L"SumwiseSetup.exe", L"12.3 MB"})}) {
            EXPECT_LE(meter.lines(progress, width) * meter.lineHeight(), dialog.y(45 - 32) + 12) << narrow(progress);
        }

        // Cancel, Install and Download (or Run), fitted from the right.
        TextMeter buttons(dialog.window(), dialog.font());
        for (UINT first : {IDS_DOWNLOAD, IDS_RUN}) {
            EXPECT_GE(fittedRowLeft(buttons, dialog.x(353), {s(IDS_CANCEL), s(IDS_INSTALL), s(first)}), dialog.x(7));
        }
    }
}

TEST(StringLayout, AboutDialogTextsFitTheirControls) {
    HiddenDialog dialog(IDD_ABOUT);
    ASSERT_NE(dialog.window(), nullptr);
    TextMeter meter(dialog.window(), dialog.font());
    LOGFONTW boldDescription = fontOf(dialog.font());
    boldDescription.lfWeight = FW_BOLD;
    Font bold(boldDescription);
    TextMeter boldMeter(dialog.window(), bold.get());
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        auto s = [&](UINT id) { return text(id, language.id); };

        // Right-aligned labels before the links and the translator credit.
        for (UINT id : {IDS_HOMEPAGE, IDS_EMAIL, IDS_TRANSLATOR_LABEL}) {
            EXPECT_LE(meter.width(s(id)), dialog.x(60)) << id;
        }
        // The version line, bold, unwrapped.
        EXPECT_LE(boldMeter.width(fill(s(IDS_VERSION_FOR), {sumwise::kVersionWideText, L"64-bit"})), dialog.x(280));
        // The translator's name (or address) is sized to its text and must
        // stay inside the dialog.
        const std::wstring credit = s(IDS_TRANSLATOR_NAME).empty() ? s(IDS_TRANSLATOR_EMAIL) : s(IDS_TRANSLATOR_NAME);
        EXPECT_LE(dialog.x(185) + meter.width(credit), dialog.x(393));
        // The licence and update notices: two lines at most.
        for (UINT id : {IDS_LICENSE_NOTICE, IDS_CHECK_UPDATES_HINT}) {
            EXPECT_LE(meter.lines(s(id), dialog.x(370)) * meter.lineHeight(), dialog.y(16)) << id;
        }
        // "Check for updates..." and "License..." fitted from the right.
        EXPECT_GE(fittedRowLeft(meter, dialog.x(388), {s(IDS_CHECK_UPDATES), s(IDS_LICENSE)}), dialog.x(15));
    }
}

}  // namespace
