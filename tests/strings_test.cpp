// The string tables of the eight languages: every language carries every
// string the program loads, the translations keep the formats, shortcuts and
// fixed names of the English texts, and every text fits the control that
// shows it in the dialog's font.
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

namespace {

constexpr LANGID kEnglish = 1033;

struct Language {
    LANGID id;
    const char* name;
};

constexpr Language kLanguages[] = {
    {1033, "English"}, {1031, "German"},  {1040, "Italian"},           {1045, "Polish"},
    {1060, "Slovenian"}, {3082, "Spanish"}, {2052, "Chinese (Simplified)"}, {1028, "Chinese (Traditional)"},
};

// Every string the program loads; the translator credit comes on top.
constexpr UINT kProgramStrings[] = {
    IDS_PRODUCT, IDS_TIME, IDS_OK, IDS_STOP, IDS_HASH, IDS_SUSPEND, IDS_RESUME, IDS_BROWSE, IDS_ABOUT, IDS_CANCEL,
    IDS_SET_DEFAULT, IDS_DOWNLOAD, IDS_INSTALL, IDS_RUN, IDS_LICENSE, IDS_CHECK_UPDATES, IDS_COLUMN_NAME,
    IDS_COLUMN_VALUE, IDS_FUNCTIONS, IDS_SHOW_ALL, IDS_SMALL_CAPS, IDS_FILE_SIZE, IDS_TEXT_LENGTH, IDS_PROMPT_FILE,
    IDS_PROMPT_TEXT, IDS_PROMPT_DRIVE, IDS_HASH_TEXT, IDS_HASH_DISK, IDS_COMPARE_GROUP, IDS_COMPARE_RESULT,
    IDS_NEGATIVE, IDS_COMPUTING, IDS_SUSPENDED, IDS_ALWAYS_ON_TOP, IDS_SET_PARAMETERS, IDS_MENU_COPY,
    IDS_MENU_COPY_ALL, IDS_MENU_COPY_TO_COMPARE, IDS_MENU_SAVE, IDS_MENU_SAVE_AS, IDS_MENU_SAVE_ALL,
    IDS_CHOOSE_FILE, IDS_ALL_FILES, IDS_HASH_FILE_TYPE, IDS_EMPTY_VOLUME, IDS_EMPTY_STRING, IDS_TEXT_LENGTH_UTF8,
    IDS_NO_PERMISSION, IDS_SAVE_ELSEWHERE, IDS_DROP_APPLY, IDS_DROP_COMPARE, IDS_DROP_ONE_FILE, IDS_CANNOT_OPEN,
    IDS_READ_FAILED, IDS_FILE_NOT_FOUND, IDS_INPUT_IS_FOLDER, IDS_NO_DRIVES, IDS_NO_DRIVE_CHOSEN,
    IDS_INPUT_ERROR_CODE, IDS_HOMEPAGE, IDS_EMAIL,
    IDS_VERSION_FOR, IDS_CHECK_UPDATES_HINT, IDS_UPDATING, IDS_CHECKING, IDS_NEW_VERSION, IDS_NEW_VERSION_TEXT,
    IDS_NO_NEW_VERSION, IDS_NO_NEW_VERSION_TEXT, IDS_CONNECTING, IDS_DOWNLOADING, IDS_DOWNLOAD_PROGRESS,
    IDS_DOWNLOAD_COMPLETE, IDS_DOWNLOAD_RUN_HINT, IDS_DOWNLOAD_INSTALL_HINT, IDS_CONNECTION_ERROR,
    IDS_CONNECTION_ERROR_TEXT, IDS_DOWNLOAD_ERROR, IDS_DOWNLOAD_ERROR_TEXT, IDS_CLOSING, IDS_HAVAL_TITLE,
    IDS_HAVAL_HEADING, IDS_HAVAL_PASSES, IDS_HAVAL_BITS, IDS_MD6_TITLE, IDS_MD6_HEADING, IDS_MD6_D, IDS_MD6_KEY,
    IDS_MD6_L, IDS_MD6_R, IDS_LICENSE_NOTICE, IDS_ERROR_SYSTEM_MESSAGE, IDS_ERROR_CODE, IDS_ERROR_NO_CODE,
    IDS_ERROR_HTTP_STATUS, IDS_DOWNLOADED_SIZE, IDS_ACTION_OPEN_INTERNET, IDS_ACTION_CREATE_EVENT,
    IDS_ACTION_SET_CALLBACK, IDS_ACTION_CHECK_FILE, IDS_ACTION_FILE_SIZE, IDS_ACTION_READ_FAILURE,
    IDS_ACTION_CREATE_FILE, IDS_ACTION_READ, IDS_ACTION_WRITE, IDS_ACTION_SAVE_FILE, IDS_ERROR_NOT_SIGNED,
    IDS_UNSIGNED_UPDATES, IDS_COMPARE_OTHER_NAME, IDS_JOB_STOPPED, IDS_JOB_PROGRESS, IDS_SAVED_FILES, IDS_PAGE_NOT_OPENED, IDS_MAIL_NOT_STARTED,
    IDS_CHECK_TITLE, IDS_CHECK_COLUMN_FILE, IDS_CHECK_COLUMN_ALGORITHM, IDS_CHECK_COLUMN_STATUS,
    IDS_CHECK_STATUS_OK, IDS_CHECK_STATUS_FAILED, IDS_CHECK_STATUS_MISSING, IDS_CHECK_STATUS_UNREADABLE,
    IDS_CHECK_STATUS_BAD_LINE, IDS_CHECK_STATUS_WAITING, IDS_CHECK_STATUS_CHECKING, IDS_CHECK_COUNT_OK,
    IDS_CHECK_COUNT_FAILED, IDS_CHECK_COUNT_MISSING, IDS_CHECK_COUNT_UNREADABLE, IDS_CHECK_COUNT_BAD_LINES,
    IDS_CHECK_COUNT_BAD_LINE, IDS_CHECK_AGAIN, IDS_CHECK_AGAIN_ALL, IDS_CHECK_AGAIN_FAILED, IDS_CHECK_COPY_REPORT,
    IDS_CHECK_SAVE_REPORT, IDS_CHECK_CLOSE, IDS_CHECK_SPEED, IDS_CHECK_COPY_DIGEST, IDS_CHECK_OPEN_FOLDER,
    IDS_CHECK_CANNOT_READ, IDS_CHECK_NO_LINES, IDS_CHECK_REPORT_TYPE, IDS_MENU_SAVE_SUMS,
};
constexpr UINT kTranslatorStrings[] = {IDS_TRANSLATOR_LABEL, IDS_TRANSLATOR_EMAIL, IDS_TRANSLATOR_NAME};

// The 16 length-prefixed strings of one block of one language, read straight
// from the resource (LoadStringW would fall back to other languages).
std::optional<std::vector<std::wstring>> stringBlock(UINT block, LANGID language) {
    HRSRC found = FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(block), language);
    if (found == nullptr) return std::nullopt;
    const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(nullptr, found)));
    const WCHAR* end = p + SizeofResource(nullptr, found) / sizeof(WCHAR);
    std::vector<std::wstring> strings;
    for (int i = 0; i < 16; ++i) {
        if (p >= end) return std::nullopt;  // a truncated block is a fault, not a short table
        const WCHAR length = *p++;
        if (length > end - p) return std::nullopt;
        strings.emplace_back(p, length);
        p += length;
    }
    return strings;
}

// The text of one string, or none when its block does not exist.
std::optional<std::wstring> tableString(UINT id, LANGID language) {
    auto block = stringBlock(id / 16 + 1, language);
    if (!block) return std::nullopt;
    return (*block)[id % 16];
}

std::wstring text(UINT id, LANGID language) { return tableString(id, language).value_or(L""); }

std::string narrow(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// Every (block, language) pair among the string resources.
std::map<LANGID, std::set<UINT>> stringBlocksByLanguage() {
    std::vector<UINT> blocks;
    EnumResourceNamesW(
        nullptr, RT_STRING,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            if (IS_INTRESOURCE(name)) {
                reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
            }
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    std::map<LANGID, std::set<UINT>> byLanguage;
    for (UINT block : blocks) {
        std::vector<LANGID> languages;
        EnumResourceLanguagesW(
            nullptr, RT_STRING, MAKEINTRESOURCEW(block),
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) -> BOOL {
                reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        for (LANGID language : languages) byLanguage[language].insert(block);
    }
    return byLanguage;
}

// The parts of a text a translation must keep in order: printf conversions,
// line breaks and tabs.
std::vector<std::wstring> formatTokens(const std::wstring& s) {
    std::vector<std::wstring> tokens;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'%') {
            tokens.push_back(s.substr(i, 2));
            ++i;
        } else if (s[i] == L'\n' || s[i] == L'\t') {
            tokens.emplace_back(1, s[i]);
        }
    }
    return tokens;
}

// Whether the language has a table at all; checks of its texts are pointless
// without one (the first test reports the missing language).
bool hasTable(const Language& language) {
    if (tableString(IDS_PRODUCT, language.id)) return true;
    ADD_FAILURE() << "no strings in " << language.name;
    return false;
}

// A label as the user reads it: an access key's '&' is not drawn, "&&" is one '&'.
std::wstring withoutAccessKey(const std::wstring& label) {
    std::wstring shown;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == L'&' && ++i == label.size()) break;
        shown += label[i];
    }
    return shown;
}

bool endsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(StringTables, ExactlyTheEightLanguagesCarryStrings) {
    std::set<LANGID> expected;
    for (const auto& language : kLanguages) expected.insert(language.id);
    std::set<LANGID> found;
    for (const auto& [language, blocks] : stringBlocksByLanguage()) found.insert(language);
    EXPECT_EQ(found, expected);
}

TEST(StringTables, EveryLanguageCarriesEveryStringAndNoStrayOnes) {
    std::set<UINT> known(std::begin(kProgramStrings), std::end(kProgramStrings));
    known.insert(std::begin(kTranslatorStrings), std::end(kTranslatorStrings));
    const auto blocks = stringBlocksByLanguage();
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        for (UINT id : kProgramStrings) {
            auto s = tableString(id, language.id);
            ASSERT_TRUE(s.has_value()) << "string block of " << id << " missing or damaged";
            EXPECT_FALSE(s->empty()) << id;
            EXPECT_LE(s->size(), 259u) << id;  // the loader's buffer holds 260 characters
        }
        auto it = blocks.find(language.id);
        ASSERT_NE(it, blocks.end());
        for (UINT block : it->second) {
            auto strings = stringBlock(block, language.id);
            ASSERT_TRUE(strings.has_value()) << "block " << block;
            for (UINT i = 0; i < 16; ++i) {
                UINT id = (block - 1) * 16 + i;
                if (!(*strings)[i].empty()) {
                    EXPECT_TRUE(known.count(id)) << "unknown string " << id;
                }
            }
        }
    }
}

TEST(StringTables, MissingStringsReadAsAbsent) {
    // Strings far beyond the table have no block in any language.
    for (const auto& language : kLanguages) {
        EXPECT_FALSE(tableString(30000, language.id).has_value()) << language.name;
    }
    // A language the program does not have.
    EXPECT_FALSE(tableString(IDS_PRODUCT, MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)).has_value());
}

TEST(StringTables, TranslatorCreditOnlyInTranslations) {
    for (UINT id : kTranslatorStrings) {
        EXPECT_EQ(text(id, kEnglish), L"") << id;
    }
    for (const auto& language : kLanguages) {
        if (language.id == kEnglish || !hasTable(language)) continue;
        SCOPED_TRACE(language.name);
        for (UINT id : kTranslatorStrings) {
            EXPECT_FALSE(text(id, language.id).empty()) << id;
        }
        // The address is the mail link's target: one '@', a dot in the domain, no blanks.
        const std::wstring address = text(IDS_TRANSLATOR_EMAIL, language.id);
        const auto at = address.find(L'@');
        ASSERT_NE(at, std::wstring::npos) << narrow(address);
        EXPECT_GT(at, 0u);
        EXPECT_EQ(address.find(L'@', at + 1), std::wstring::npos);
        EXPECT_NE(address.find(L'.', at), std::wstring::npos);
        EXPECT_EQ(address.find_first_of(L" \t\n"), std::wstring::npos);
    }
}

TEST(StringTables, TranslationsKeepFormatsShortcutsAndFixedNames) {
    for (const auto& language : kLanguages) {
        if (language.id == kEnglish || !hasTable(language)) continue;
        SCOPED_TRACE(language.name);
        for (UINT id : kProgramStrings) {
            const std::wstring english = text(id, kEnglish);
            const std::wstring translated = text(id, language.id);
            // Formatted with the same arguments as English, in the same order.
            EXPECT_EQ(formatTokens(translated), formatTokens(english)) << id << ": " << narrow(translated);
            // One accelerator marker where English has one, before a visible character.
            const auto markers = std::count(translated.begin(), translated.end(), L'&');
            EXPECT_EQ(markers, std::count(english.begin(), english.end(), L'&')) << id;
            const auto marker = translated.find(L'&');
            if (marker != std::wstring::npos) {
                ASSERT_LT(marker + 1, translated.size()) << id;
                EXPECT_FALSE(iswspace(translated[marker + 1])) << id;
            }
            // Buttons and entries that open a dialog, and texts of work in
            // progress, keep their ellipsis.
            if (endsWith(english, L"...")) {
                EXPECT_TRUE(endsWith(translated, L"...")) << id << ": " << narrow(translated);
            }
            // Names of algorithms and media are not translated.
            for (const wchar_t* name : {L"HAVAL", L"MD6", L"CD/DVD", L"Windows"}) {
                if (english.find(name) != std::wstring::npos) {
                    EXPECT_NE(translated.find(name), std::wstring::npos) << id << ": " << narrow(translated);
                }
            }
        }
    }
}

TEST(StringTables, ProductNameAndMenuShortcutsAreTheSameEverywhere) {
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        EXPECT_EQ(text(IDS_PRODUCT, language.id), L"Sumwise");
        EXPECT_TRUE(endsWith(text(IDS_MENU_COPY, language.id), L"\tCtrl+C"));
        EXPECT_TRUE(endsWith(text(IDS_MENU_SAVE, language.id), L"\tCtrl+S"));
    }
}

// ---------------------------------------------------------------------------
// Layout: the texts measured as the dialogs show them.

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
