// The main dialog as a user sees it: start-up, command line, modes, the
// results list, resizing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>

#include "algorithms/algorithm_table.h"
#include "toolkit/strings.h"
#include "toolkit/system_functions.h"
#include "app_harness.h"
#include "fake_inputs.h"
#include "resources/resource_ids.h"
#include "results/results_list.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

TEST(MainDialog, WithoutCommandLineOffersCrc32Md5AndSha1) {
    RunningApp app(L"");
    ASSERT_NE(app.dialog(), nullptr);
    EXPECT_EQ(app.title(), L"Sumwise");
    const auto rows = app.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, L"CRC32");
    EXPECT_EQ(rows[1].name, L"MD5");
    EXPECT_EQ(rows[2].name, L"SHA-1");
    for (const ListRow& row : rows) EXPECT_TRUE(row.ticked);
    EXPECT_FALSE(app.enabled(IDC_HASH));  // no input yet
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"D&rag and drop or browse for file to calculate hash code");
    EXPECT_EQ(app.text(IDC_HASH), L"&Hash");
    EXPECT_EQ(app.text(IDOK), L"&OK");
    EXPECT_FALSE(app.visible(IDC_PROGRESS));
    EXPECT_FALSE(app.visible(IDC_DRIVES));
    EXPECT_TRUE(app.visible(IDC_SHOW_ALL));
    EXPECT_TRUE((GetWindowLongW(app.dialog(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
}

TEST(MainDialog, FileJobShowsTheDigestsAndTheElapsedTime) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:CRC32,Adler32,crc64 " + quoted(file));
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 3 B");
    EXPECT_EQ(app.text(IDC_INPUT), file.wstring());
    ASSERT_TRUE(app.enabled(IDC_HASH));
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC32"), L"352441C2");
    EXPECT_EQ(app.value(L"Adler32"), L"024D0127");
    EXPECT_EQ(app.value(L"CRC64"), L"048B813AF9F49702");
    EXPECT_EQ(app.title().rfind(L"Sumwise (Time: 00:", 0), 0u) << std::string(app.title().begin(), app.title().end());
}

TEST(MainDialog, TextModeCountsBytesAndHashesTheText) {
    RunningApp app(L"/T /H:CRC32");
    EXPECT_TRUE(app.checked(IDC_TEXT_MODE));
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"&Enter text to calculate hash code");
    EXPECT_FALSE(app.enabled(IDC_BROWSE));
    EXPECT_TRUE(app.enabled(IDC_HASH));  // an empty text is a valid input
    // Typing goes into the text box, not to the list's keys (which untick rows).
    EXPECT_EQ(app.focusedControl(), IDC_INPUT);
    for (wchar_t c : std::wstring(L"abc")) PostMessageW(app.control(app.focusedControl()), WM_CHAR, c, 1);
    app.settle();
    EXPECT_EQ(app.text(IDC_INPUT), L"abc");
    EXPECT_TRUE(app.rows().at(0).ticked);
    EXPECT_TRUE(app.enabled(IDC_HASH));
    app.setText(IDC_INPUT, L"123456789");
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"Text length: 9");
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC32"), L"CBF43926");
    // Typing changes the input: every value is cleared.
    app.setText(IDC_INPUT, L"abc");
    EXPECT_EQ(app.value(L"CRC32"), L"");
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"Text length: 3");
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC32"), L"352441C2");
}

TEST(MainDialog, EmptyTextJobHashesTheEmptyMessage) {
    RunningApp app(L"/T /H:Adler32");
    app.hashAndWait();
    EXPECT_EQ(app.value(L"Adler32"), L"00000001");
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"Text length: 0");
}

TEST(MainDialog, SmallCapsOptionAndRecasing) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:CRC64 /S " + quoted(file));
    EXPECT_TRUE(app.checked(IDC_SMALL_CAPS));
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC64"), L"048b813af9f49702");
    app.click(IDC_SMALL_CAPS);
    EXPECT_EQ(app.value(L"CRC64"), L"048B813AF9F49702");
    app.click(IDC_SMALL_CAPS);
    EXPECT_EQ(app.value(L"CRC64"), L"048b813af9f49702");
}

TEST(MainDialog, ShowAllListsEveryAlgorithmAndRemovesOnlyUntickedRows) {
    RunningApp app(L"/A /H:MD5,SHA-256");
    // Every item carries the table index of the algorithm it shows, however the list sorts them.
    const auto expectIndexesMatchNames = [&app] {
        const std::vector<ListRow> shown = app.rows();
        for (int row = 0; row < static_cast<int>(shown.size()); ++row) {
            const std::size_t algorithm = results::algorithmOfRow(app.control(IDC_RESULTS), row);
            ASSERT_LT(algorithm, kAlgorithmCount);
            EXPECT_EQ(algorithms()[algorithm].wideName(), shown[static_cast<std::size_t>(row)].name);
        }
    };
    expectIndexesMatchNames();
    auto rows = app.rows();
    ASSERT_EQ(rows.size(), kAlgorithmCount);
    int ticked = 0;
    for (const ListRow& row : rows) ticked += row.ticked ? 1 : 0;
    EXPECT_EQ(ticked, 2);
    app.click(IDC_SHOW_ALL);  // clear it
    rows = app.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, L"MD5");
    EXPECT_EQ(rows[1].name, L"SHA-256");
    expectIndexesMatchNames();
    app.click(IDC_SHOW_ALL);
    EXPECT_EQ(app.rows().size(), kAlgorithmCount);
    expectIndexesMatchNames();
}

TEST(MainDialog, CommandLineWithoutHashListShowsAnEmptyList) {
    RunningApp app(L"C:\\nowhere.bin");
    EXPECT_TRUE(app.rows().empty());
    EXPECT_FALSE(app.enabled(IDC_HASH));
}

TEST(MainDialog, ModeAfterTheInputClearsItAgain) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:CRC32 " + quoted(file) + L" /T");
    EXPECT_EQ(app.text(IDC_INPUT), L"");
    EXPECT_TRUE(app.checked(IDC_TEXT_MODE));
}

TEST(MainDialog, DiskModeShowsTheDriveBox) {
    RunningApp app(L"/V /H:CRC32", [](AppServices& services) {
        services.devices = std::make_shared<FakeDevices>(std::vector{FakeDrive{}});
    });
    EXPECT_TRUE(app.checked(IDC_DISK_MODE));
    EXPECT_TRUE(app.visible(IDC_DRIVES));
    EXPECT_FALSE(app.visible(IDC_INPUT));
    EXPECT_FALSE(app.enabled(IDC_BROWSE));
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"Choose dr&ive for hash computing");
    app.click(IDC_TEXT_MODE);  // ticking one mode clears the other
    EXPECT_FALSE(app.checked(IDC_DISK_MODE));
    EXPECT_TRUE(app.visible(IDC_INPUT));
    EXPECT_FALSE(app.visible(IDC_DRIVES));
    EXPECT_EQ(app.focusedControl(), IDC_INPUT);  // ready for the text
}

TEST(MainDialog, TicksDriveTheHashButton) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:CRC32 " + quoted(file));
    EXPECT_TRUE(app.enabled(IDC_HASH));
    app.tick(L"CRC32", false);
    EXPECT_FALSE(app.enabled(IDC_HASH));
    app.tick(L"CRC32", true);
    EXPECT_TRUE(app.enabled(IDC_HASH));
}

TEST(MainDialog, FolderIsNoInputButAVolumePathIs) {
    TempDir dir;
    RunningApp app(L"/H:CRC32 " + quoted(dir.path()));
    EXPECT_FALSE(app.enabled(IDC_HASH));
    app.setText(IDC_INPUT, L"\\\\.\\Q:");
    EXPECT_TRUE(app.enabled(IDC_HASH));
    app.setText(IDC_INPUT, (dir.path() / L"*").wstring());  // wildcards name no file
    EXPECT_FALSE(app.enabled(IDC_HASH));
}

TEST(MainDialog, UnicodePathFromTheCommandLineWorksEndToEnd) {
    TempDir dir;
    const auto file = dir.path() / L"Za\u017C\u00F3\u0142\u0107 \u65E5\u672C \u0416.txt";
    {
        const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(handle, "123456789", 9, &written, nullptr);
        CloseHandle(handle);
    }
    RunningApp app(L"/H:CRC32 " + quoted(file));
    EXPECT_EQ(app.text(IDC_INPUT), file.wstring());
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 9 B");
    ASSERT_TRUE(app.enabled(IDC_HASH));
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC32"), L"CBF43926");

    // Given relative to the current folder, it still names the file after that folder changed (as Browse does).
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    RunningApp relative(L"/H:CRC32 " + quoted(file.filename()));
    std::filesystem::current_path(before);
    ASSERT_TRUE(relative.enabled(IDC_HASH));
    relative.hashAndWait();
    EXPECT_EQ(relative.value(L"CRC32"), L"CBF43926");
}

TEST(MainDialog, WindowNeverShrinksBelowItsStartAndGrowsTheList) {
    RunningApp app(L"");
    RECT start{};
    GetWindowRect(app.dialog(), &start);
    RECT tooSmall{start.left, start.top, start.left + 100, start.top + 100};
    SendMessageW(app.dialog(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&tooSmall));
    EXPECT_EQ(tooSmall.right - tooSmall.left, start.right - start.left);
    EXPECT_EQ(tooSmall.bottom - tooSmall.top, start.bottom - start.top);
    // The frame's own drag asks for the least size; a resize below it stops there.
    MINMAXINFO limits{};
    SendMessageW(app.dialog(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, start.right - start.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, start.bottom - start.top);
    SetWindowPos(app.dialog(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    RECT clamped{};
    GetWindowRect(app.dialog(), &clamped);
    EXPECT_EQ(clamped.right - clamped.left, start.right - start.left);
    EXPECT_EQ(clamped.bottom - clamped.top, start.bottom - start.top);

    RECT listBefore{};
    GetWindowRect(app.control(IDC_RESULTS), &listBefore);
    RECT okBefore{};
    GetWindowRect(app.control(IDOK), &okBefore);
    RECT clientBefore{};
    GetClientRect(app.dialog(), &clientBefore);
    const int columnBefore = static_cast<int>(SendMessageW(app.control(IDC_RESULTS), LVM_GETCOLUMNWIDTH, 1, 0));
    SetWindowPos(app.dialog(), nullptr, 0, 0, start.right - start.left + 120, start.bottom - start.top + 80,
                 SWP_NOMOVE | SWP_NOZORDER);
    // The screen may be too small to grow as far as asked (high DPI): follow what the window did.
    RECT clientAfter{};
    GetClientRect(app.dialog(), &clientAfter);
    const int dx = clientAfter.right - clientBefore.right;
    const int dy = clientAfter.bottom - clientBefore.bottom;
    RECT listAfter{};
    GetWindowRect(app.control(IDC_RESULTS), &listAfter);
    RECT okAfter{};
    GetWindowRect(app.control(IDOK), &okAfter);
    EXPECT_EQ((listAfter.right - listAfter.left) - (listBefore.right - listBefore.left), dx);
    EXPECT_EQ((listAfter.bottom - listAfter.top) - (listBefore.bottom - listBefore.top), dy);
    EXPECT_EQ(okAfter.left - okBefore.left, dx);
    EXPECT_EQ(okAfter.top - okBefore.top, dy);
    EXPECT_EQ(SendMessageW(app.control(IDC_RESULTS), LVM_GETCOLUMNWIDTH, 1, 0), columnBefore + dx);
    if (system::dpiForWindow(app.dialog()) == 96) {
        EXPECT_EQ(dx, 120);
        EXPECT_EQ(dy, 80);
    }
}

TEST(MainDialog, AccessKeysReachTheirControls) {
    struct Case {
        wchar_t key;  // with Alt, typed while the list has the focus
        int focused;
        int ticked;  // a check box the key ticks, or 0
    };
    const Case cases[] = {
        {L's', IDC_SHOW_ALL, IDC_SHOW_ALL},  // a check box
        {L't', IDC_INPUT, IDC_TEXT_MODE},    // a check box that hands the focus on
        {L'c', IDC_COMPARE, 0},              // a group caption: the box inside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Alt+" << static_cast<char>(c.key));
        RunningApp app(L"/H:CRC32");
        ASSERT_EQ(app.focusedControl(), IDC_RESULTS);
        PostMessageW(app.control(IDC_RESULTS), WM_SYSCHAR, c.key, 1 << 29);
        app.settle();
        EXPECT_EQ(app.focusedControl(), c.focused);
        if (c.ticked != 0) {
            EXPECT_TRUE(app.checked(c.ticked));
        }
    }
}

TEST(MainDialog, AlwaysOnTopToggles) {
    RunningApp app(L"");
    const HMENU menu = GetSystemMenu(app.dialog(), FALSE);
    EXPECT_TRUE((GetMenuState(menu, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED) != 0);
    SendMessageW(app.dialog(), WM_SYSCOMMAND, IDM_ALWAYS_ON_TOP, 0);
    EXPECT_FALSE((GetWindowLongW(app.dialog(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    EXPECT_FALSE((GetMenuState(menu, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED) != 0);
    SendMessageW(app.dialog(), WM_SYSCOMMAND, IDM_ALWAYS_ON_TOP, 0);
    EXPECT_TRUE((GetWindowLongW(app.dialog(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
}

int textWidthIn(HWND dialog, HWND control) {
    const std::wstring text = [&] {
        wchar_t buffer[512] = {};
        GetWindowTextW(control, buffer, 512);
        return std::wstring(buffer);
    }();
    const HDC dc = GetDC(dialog);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    // As the control draws it: the access key's '&' takes no room.
    RECT rect{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    return rect.right - rect.left;
}

RECT rectIn(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(MainDialog, EveryLanguageLaysOutWithoutClippedTexts) {
    const std::pair<const wchar_t*, LanguageId> languages[] = {
        {L"en", kEnglish}, {L"de", kGerman},          {L"it", kItalian},           {L"pl", kPolish},
        {L"sl", kSlovenian}, {L"es", kSpanish}, {L"zh-CHS", kChineseSimplified}, {L"zh-CHT", kChineseTraditional},
    };
    for (const auto& [code, language] : languages) {
        SCOPED_TRACE(std::string(code, code + wcslen(code)));
        RunningApp app(std::wstring(L"/LANG:") + code + L" /H:MD5");
        const HWND dialog = app.dialog();
        EXPECT_EQ(app.text(IDC_HASH), loadText(IDS_HASH, language));
        EXPECT_EQ(app.text(IDC_SHOW_ALL), loadText(IDS_SHOW_ALL, language));
        // Each check box holds its text and its box.
        for (int id : {IDC_SHOW_ALL, IDC_SMALL_CAPS, IDC_TEXT_MODE, IDC_DISK_MODE}) {
            const RECT rect = rectIn(dialog, app.control(id));
            EXPECT_GE(rect.right - rect.left, textWidthIn(dialog, app.control(id)) + 16) << id;
        }
        // The second column starts after the first, and ends before the buttons.
        const RECT showAll = rectIn(dialog, app.control(IDC_SHOW_ALL));
        const RECT textMode = rectIn(dialog, app.control(IDC_TEXT_MODE));
        const RECT smallCaps = rectIn(dialog, app.control(IDC_SMALL_CAPS));
        const RECT diskMode = rectIn(dialog, app.control(IDC_DISK_MODE));
        EXPECT_GT(smallCaps.left, showAll.right);
        EXPECT_GT(diskMode.left, textMode.right);
        EXPECT_LE(smallCaps.right, rectIn(dialog, app.control(IDC_HASH)).left);
        EXPECT_LE(diskMode.right, rectIn(dialog, app.control(IDC_BROWSE)).left);
        // Buttons are wide enough for their texts.
        for (int id : {IDC_HASH, IDC_BROWSE, IDOK, IDC_ABOUT}) {
            const RECT rect = rectIn(dialog, app.control(id));
            EXPECT_GE(rect.right - rect.left, textWidthIn(dialog, app.control(id)) + 10) << id;
        }
        // Every button, check box and group caption has an access key, none shared.
        std::set<wchar_t> keys;
        for (const std::wstring& label : childTexts(dialog, L"Button")) {
            const auto marker = label.find(L'&');
            if (marker == std::wstring::npos || marker + 1 == label.size()) {
                ADD_FAILURE() << "no access key: " << std::string(label.begin(), label.end());
                continue;
            }
            EXPECT_TRUE(keys.insert(towupper(label[marker + 1])).second) << std::string(label.begin(), label.end());
        }
        EXPECT_EQ(keys.size(), 11u);
    }
}

TEST(MainDialog, PixelConstantsFollowTheDpi) {
    RunningApp app(L"/A");
    const HWND dialog = app.dialog();
    const int dpi = static_cast<int>(system::dpiForWindow(dialog));
    ASSERT_GE(dpi, 96);
    auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    for (int id : {IDC_HASH, IDC_BROWSE, IDOK, IDC_ABOUT}) {
        const RECT rect = rectIn(dialog, app.control(id));
        EXPECT_GE(rect.right - rect.left, scaled(70)) << id;
    }
    // The three right-hand buttons share their right edge and width.
    const RECT hash = rectIn(dialog, app.control(IDC_HASH));
    const RECT ok = rectIn(dialog, app.control(IDOK));
    EXPECT_EQ(hash.right, ok.right);
    EXPECT_EQ(hash.right - hash.left, ok.right - ok.left);
    // The second column of check boxes starts at least at 170 pixels, scaled.
    EXPECT_GE(rectIn(dialog, app.control(IDC_SMALL_CAPS)).left, scaled(170));
    // Every algorithm name fits the name column beside its check box.
    const int nameColumn = static_cast<int>(SendMessageW(app.control(IDC_RESULTS), LVM_GETCOLUMNWIDTH, 0, 0));
    for (const ListRow& row : app.rows()) {
        HWND list = app.control(IDC_RESULTS);
        const HDC dc = GetDC(list);
        const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, row.name.c_str(), static_cast<int>(row.name.size()), &size);
        SelectObject(dc, previous);
        ReleaseDC(list, dc);
        EXPECT_LE(size.cx + system::systemMetricForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)), nameColumn) << std::string(row.name.begin(), row.name.end());
    }
}

}  // namespace
}  // namespace sumwise::test
