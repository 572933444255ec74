// The results list as a user works with it: its keys and context menu,
// copying to the clipboard, and the tip that shows a value too wide for its column.
#include <windows.h>
#include <commctrl.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app_harness.h"
#include "jobs/long_path.h"
#include "resources/resource_ids.h"
#include "results_helpers.h"
#include "results/results_menu.h"
#include "test_support.h"
#include "toolkit/look.h"

namespace sumwise::test {
namespace {

using namespace results;
using namespace std::string_literals;

// A menu in short: each entry's command with + (enabled) or - (greyed), | for a separator.
std::wstring describe(const std::vector<MenuEntry>& menu) {
    std::wstring out;
    for (const MenuEntry& entry : menu) {
        if (!out.empty()) out += L' ';
        if (entry.separator) {
            out += L'|';
            continue;
        }
        switch (entry.command) {
        case kSetParametersCommand: out += L"params"; break;
        case kCopyCommand: out += L"copy"; break;
        case kCopyAllCommand: out += L"all"; break;
        case kCopyToCompareCommand: out += L"compare"; break;
        case kSaveCommand: out += L"save"; break;
        case kSaveAsCommand: out += L"saveas"; break;
        case kSaveAllCommand: out += L"saveall"; break;
        case kSaveSumsCommand: out += L"savesums"; break;
        default: out += L"?" + std::to_wstring(entry.command);
        }
        out += entry.enabled ? L'+' : L'-';
    }
    return out;
}

TEST(ResultsMenu, EntriesAndTheirEnabling) {
    struct Case {
        const char* label;
        const wchar_t* commandLine;
        std::vector<std::wstring> withValue;
        std::vector<std::wstring> selection;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"nothing computed", L"/A", {}, {}, L"copy- all- compare- | save- saveas- saveall- savesums-"},
        {"no selection", L"/A", {L"MD5", L"SHA-1"}, {}, L"copy- all+ compare- | save- saveas- saveall+ savesums+"},
        {"one empty row selected", L"/A", {L"MD5"}, {L"CRC32"}, L"copy- all+ compare- | save- saveas- saveall+ savesums+"},
        {"MD5 above MD6", L"/A", {L"MD5", L"MD6"}, {L"MD5", L"MD6"}, L"copy+ all+ compare+ | save+ saveas+ saveall+ savesums+"},
        {"MD6 first, without a value", L"/A", {L"SHA-1"}, {L"MD6", L"SHA-1"},
         L"params+ | copy+ all+ compare+ | save+ saveas+ saveall+ savesums+"},
        {"Haval alone", L"/A", {}, {L"Haval"}, L"params+ | copy- all- compare- | save- saveas- saveall- savesums-"},
        {"text mode", L"/T /A", {L"MD5"}, {L"MD5"}, L"copy+ all+ compare+ | save- saveas+ saveall- savesums-"},
        {"disk mode", L"/V /A", {L"MD5"}, {L"MD5"}, L"copy+ all+ compare+ | save- saveas+ saveall- savesums-"},
    };
    // One program per input mode; a new input clears the values between cases.
    std::unique_ptr<RunningApp> app;
    std::wstring running;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (running != c.commandLine) {
            app.reset();
            app = std::make_unique<RunningApp>(c.commandLine);
            running = c.commandLine;
        }
        app->setText(IDC_INPUT, L"");
        for (const std::wstring& name : c.withValue) app->setValue(name, L"0123456789ABCDEF");
        app->select(c.selection);
        EXPECT_EQ(describe(app->rightClick()), c.expected);
    }
}

TEST(ResultsMenu, TextsInOrderAndTheKeyboardMenu) {
    RunningApp app(L"/A");
    app.select({L"MD6"});
    const auto menu = app.rightClick();
    std::vector<std::wstring> texts;
    for (const MenuEntry& entry : menu) texts.push_back(entry.text);
    const std::vector<std::wstring> expected = {L"Set parameters", L"",          L"&Copy\tCtrl+C", L"Copy &all",
                                                L"Copy to compare", L"",         L"&Save\tCtrl+S", L"Save as...",
                                                L"Save all", L"Save as sums file..."};
    EXPECT_EQ(texts, expected);
    // The menu key (or Shift+F10) in the list offers the same menu; a right click offers it once.
    SendMessageW(app.dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(app.control(IDC_RESULTS)), -1);
    std::lock_guard lock(RecordingTaskbar::mutex);
    ASSERT_EQ(app.dialogs.menus.size(), 2u);
    EXPECT_EQ(describe(app.dialogs.menus[1]), describe(menu));
}

TEST(ResultsMenu, SetParametersOpensTheRowsDialogButNotDuringAJob) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/A /H:CRC32 " + quoted(file));
    app.select({L"MD6", L"Haval"});  // the first selected row counts: Haval is above MD6
    app.rightClick(kSetParametersCommand);
    app.select({L"MD6"});
    app.rightClick(kSetParametersCommand);
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        EXPECT_EQ(app.dialogs.parameterDialogs, (std::vector<std::wstring>{L"Haval", L"MD6"}));
    }

    // Through the real dialogs: a new choice blanks the row, and the next job uses it.
    app.realParameterDialogs = true;
    app.tick(L"Haval", true);
    app.tick(L"MD6", true);
    app.hashAndWait();
    ASSERT_EQ(app.value(L"Haval"), hexAbc("Haval"));
    ASSERT_EQ(app.value(L"MD6"), hexAbc("MD6"));
    app.select({L"Haval"});
    app.postRightClick(kSetParametersCommand);
    const HWND haval = app.waitForOwnedDialog();
    ASSERT_NE(haval, nullptr);
    EXPECT_EQ(look::windowText(haval), L"HAVAL parameters");
    SendMessageW(GetDlgItem(haval, IDC_HAVAL_PASSES_3), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(haval, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(haval); }));
    settle(app);
    EXPECT_EQ(app.value(L"Haval"), L"");
    EXPECT_EQ(app.value(L"MD6"), hexAbc("MD6"));
    app.select({L"MD6"});
    app.postRightClick(kSetParametersCommand);
    const HWND md6 = app.waitForOwnedDialog();
    ASSERT_NE(md6, nullptr);
    SendMessageW(GetDlgItem(md6, IDC_MD6_L_CHECK), BM_CLICK, 0, 0);
    SetDlgItemTextW(md6, IDC_MD6_L, L"0");
    SendMessageW(GetDlgItem(md6, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(md6); }));
    settle(app);
    EXPECT_EQ(app.value(L"MD6"), L"");
    app.hashAndWait();
    AlgorithmParams threePasses;
    threePasses.haval.passes = 3;
    EXPECT_EQ(app.value(L"Haval"), wide(hexOf("Haval", std::string_view("abc"), LetterCase::Upper, threePasses)));

    // A job takes its parameters when it starts: while it runs the entry is greyed and does nothing.
    const auto big = sparseFile(dir, L"big.bin", 6ull << 30);
    app.setText(IDC_INPUT, big.wstring());
    app.click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS); }));
    EXPECT_EQ(describe(app.rightClick(kSetParametersCommand)), L"params- | copy- all- compare- | save- saveas- saveall- savesums-");
    app.click(IDOK);
    ASSERT_TRUE(waitFor([&] { return app.jobFinished(); }));
    std::lock_guard lock(RecordingTaskbar::mutex);
    EXPECT_EQ(app.dialogs.parameterDialogs.size(), 4u);
}

TEST(ResultsKeys, TickSelectCopyAndSave) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:CRC32,MD5,SHA-1 " + quoted(file));
    app.hashAndWait();
    auto ticks = [&] {
        std::wstring marks;
        for (const ListRow& row : app.rows()) marks += row.ticked ? L'x' : L'.';
        return marks;
    };

    // Plain letters tick or untick every row; the Hash button follows.
    const struct {
        WORD key;
        const wchar_t* ticks;
        bool hashEnabled;
    } plain[] = {{'C', L"...", false}, {'S', L"xxx", true}, {'C', L"...", false}, {'G', L"xxx", true},
                 {'X', L"xxx", true}};
    for (const auto& step : plain) {
        SCOPED_TRACE(static_cast<char>(step.key));
        app.keyInList(step.key);
        EXPECT_EQ(ticks(), step.ticks);
        EXPECT_EQ(app.enabled(IDC_HASH), step.hashEnabled);
    }
    EXPECT_TRUE(app.selected().empty());

    app.ctrl = true;
    app.keyInList('A');
    EXPECT_EQ(app.selected(), (std::vector<std::wstring>{L"CRC32", L"MD5", L"SHA-1"}));
    app.keyInList('C');
    EXPECT_EQ(clipboardText(), L"      CRC32: " + hexAbc("CRC32") + L"\r\n        MD5: " + hexAbc("MD5") +
                                   L"\r\n      SHA-1: " + hexAbc("SHA-1") + L"\r\n");
    app.select({L"MD5"});
    app.keyInList('S');
    app.select({L"SHA-1"});
    app.keyInList('G');
    EXPECT_EQ(fileBytes(file.wstring() + L".md5"), hexOf("MD5", std::string_view("abc")) + "\r\n");
    EXPECT_EQ(fileBytes(file.wstring() + L".sha-1"), hexOf("SHA-1", std::string_view("abc")) + "\r\n");
    EXPECT_EQ(fileBytes(file.wstring() + L".crc32"), "<none>");
    EXPECT_EQ(ticks(), L"xxx");  // Ctrl keys leave the ticks alone
}

TEST(ResultsKeys, SaveKeysDoNothingForTextAndDiskInput) {
    for (const wchar_t* mode : {L"/T", L"/V"}) {
        SCOPED_TRACE(ansi(mode));
        TempDir dir;
        SetCurrentDirectoryW(dir.path().c_str());
        RunningApp app(std::wstring(mode) + L" /H:MD5");
        app.setText(IDC_INPUT, L"probe");  // in disk mode the hidden box is set all the same
        app.setValue(L"MD5", L"0123456789ABCDEF0123456789ABCDEF");
        app.select({L"MD5"});
        app.ctrl = true;
        app.keyInList('S');
        app.keyInList('G');
        settle(app);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
        EXPECT_EQ(saveRequestCount(app), 0u);
        SetCurrentDirectoryW(std::filesystem::temp_directory_path().c_str());
    }
}

constexpr UINT kDoubleClick = 0;  // not a menu command: a double click on the first row named

TEST(CopyResults, ClipboardTextAndCopyToCompare) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/A /H:CRC32,MD5,MD6,SHA-1 " + quoted(file));
    app.hashAndWait();
    const std::wstring md5 = hexAbc("MD5");
    const std::wstring md6 = app.value(L"MD6");
    const std::wstring sha1 = hexAbc("SHA-1");
    const std::wstring unchanged = L"<unchanged>";
    struct Case {
        const char* label;
        std::vector<std::wstring> selection;
        UINT command;
        std::wstring clipboard;
        std::wstring compare;  // the compare box afterwards (it starts as "x")
    };
    const Case cases[] = {
        {"one row: the bare value", {L"MD5"}, kCopyCommand, md5 + L"\r\n", L"x"},
        {"two rows: named lines", {L"MD5", L"MD6"}, kCopyCommand,
         L"        MD5: " + md5 + L"\r\n        MD6: " + md6 + L"\r\n", L"x"},
        {"one empty row: nothing", {L"Adler32"}, kCopyCommand, unchanged, L"x"},
        {"two rows, one empty: a named line", {L"Adler32", L"MD5"}, kCopyCommand, L"        MD5: " + md5 + L"\r\n", L"x"},
        {"all rows, whatever is selected", {L"MD5"}, kCopyAllCommand,
         L"      CRC32: " + hexAbc("CRC32") + L"\r\n        MD5: " + md5 + L"\r\n        MD6: " + md6 +
             L"\r\n      SHA-1: " + sha1 + L"\r\n",
         L"x"},
        {"to compare: the last row's value", {L"MD5", L"SHA-1"}, kCopyToCompareCommand,
         L"        MD5: " + md5 + L"\r\n      SHA-1: " + sha1 + L"\r\n", sha1},
        {"to compare, last row empty: the box emptied", {L"MD5", L"Tiger"}, kCopyToCompareCommand,
         L"        MD5: " + md5 + L"\r\n", L""},
        {"to compare, only empty rows: nothing", {L"Tiger"}, kCopyToCompareCommand, unchanged, L"x"},
        // A double click copies the row clicked, whatever else is selected.
        {"double click: the bare value", {L"MD5", L"SHA-1"}, kDoubleClick, md5 + L"\r\n", L"x"},
        {"double click on an empty row: nothing", {L"Adler32"}, kDoubleClick, unchanged, L"x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        setClipboardText(unchanged);
        app.setText(IDC_COMPARE, L"x");
        app.select(c.selection);
        if (c.command == kDoubleClick) {
            app.doubleClick(c.selection.front());
        } else {
            app.rightClick(c.command);
        }
        EXPECT_EQ(clipboardText(), c.clipboard);
        EXPECT_EQ(app.text(IDC_COMPARE), c.compare);
    }
}

TEST(CopyResults, CopyAllOfASingleRowGivesTheBareValue) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:SHA-1-IME /S " + quoted(file));
    app.hashAndWait();
    app.rightClick(kCopyAllCommand);
    EXPECT_EQ(clipboardText(), wide(hexOf("SHA-1-IME", std::string_view("abc"), LetterCase::Lower)) + L"\r\n");
}

TEST(ResultsList, TipShowsOnlyValuesTooWideForTheirColumn) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/A /H:SHA-512,SHA-256,CRC32,BLAKE2b,CRC32C " + quoted(file));
    app.hashAndWait();
    EXPECT_EQ(app.valueTip(L"SHA-512"), hexAbc("SHA-512"));
    EXPECT_EQ(app.valueTip(L"SHA-256"), hexAbc("SHA-256"));  // cut at the start size too
    EXPECT_EQ(app.valueTip(L"BLAKE2b"), hexAbc("BLAKE2b"));  // 128 digits, whole
    EXPECT_EQ(app.valueTip(L"CRC32"), L"");
    EXPECT_EQ(app.valueTip(L"CRC32C"), L"");
    EXPECT_EQ(app.valueTip(L"MD5"), L"");  // no value
}

}  // namespace
}  // namespace sumwise::test
