// The results list as a user works with it: its keys and context menu,
// copying to the clipboard, hash files beside the input and elsewhere, and
// the tip that shows a value too wide for its column.
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
#include "results/results_menu.h"
#include "test_support.h"
#include "toolkit/look.h"

namespace sumwise::test {
namespace {

using namespace results;
using namespace std::string_literals;

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::wstring hexAbc(const char* name) { return wide(hexOf(name, std::string_view("abc"))); }

// The bytes of a file at any path length; "<none>" when it cannot be opened.
std::string fileBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(extendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<none>";
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

std::string ansi(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring documentsFolder() {
    PWSTR folder = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder))) result = folder;
    CoTaskMemFree(folder);
    return result;
}

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

std::size_t saveRequestCount(RunningApp& app) {
    std::lock_guard lock(RecordingTaskbar::mutex);
    return app.dialogs.saveRequests.size();
}

// Waits until the dialog's thread has handled everything posted to it so far.
void settle(RunningApp& app) {
    for (int round = 0; round < 3; ++round) SendMessageW(app.dialog(), WM_NULL, 0, 0);
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

TEST(SaveResults, HashFilesBesideTheInput) {
    TempDir dir;
    const auto file = dir.write("disk.iso", "abc");
    const struct {
        const char* algorithm;
        const wchar_t* extension;
        bool saved;
    } files[] = {{"RIPEMD-160", L".ripemd-160", true}, {"SHA-1-IME", L".sha-1-ime", true}, {"MD5", L".md5", false},
                 {"SHA3-224", L".sha3-224", true},   {"SHA3-256", L".sha3-256", true},   {"SHA3-384", L".sha3-384", true},
                 {"SHA3-512", L".sha3-512", true},   {"BLAKE2b", L".blake2b", true},     {"BLAKE2s", L".blake2s", true},
                 {"BLAKE3", L".blake3", true},       {"XXH64", L".xxh64", true},         {"XXH3", L".xxh3", true},
                 {"XXH128", L".xxh128", true},       {"CRC32C", L".crc32c", true}};
    // The newer rows ticked by hand in the full list, the others by /H.
    RunningApp app(L"/A /H:RIPEMD-160,SHA-1-IME,MD5,CRC32 /S " + quoted(file));
    std::vector<std::wstring> saved;
    for (const auto& f : files) {
        if (!f.saved) continue;
        const std::wstring name = wide(f.algorithm);
        if (name != L"RIPEMD-160" && name != L"SHA-1-IME") app.tick(name, true);
        saved.push_back(name);
    }
    app.hashAndWait();
    app.select(saved);
    app.rightClick(kSaveCommand);
    // The files written are named for a few seconds.
    EXPECT_EQ(app.saveNotice().rfind(L"Saved: disk.iso.", 0), 0u);
    for (const auto& f : files) {
        SCOPED_TRACE(f.algorithm);
        // Exactly the value as shown (here in small caps) and CR LF.
        EXPECT_EQ(fileBytes(file.wstring() + f.extension),
                  f.saved ? hexOf(f.algorithm, std::string_view("abc"), LetterCase::Lower) + "\r\n" : "<none>");
    }
    // Save all writes every row with a value, over what is there.
    app.tick(L"CRC32", false);
    app.rightClick(kSaveAllCommand);
    EXPECT_EQ(fileBytes(file.wstring() + L".md5").size(), 34u);
    EXPECT_EQ(fileBytes(file.wstring() + L".crc32"), hexOf("CRC32", std::string_view("abc"), LetterCase::Lower) + "\r\n");
    EXPECT_EQ(saveRequestCount(app), 0u);
}

TEST(SaveResults, NameBeyondTheClassicLimitIsWrittenWhole) {
    TempDir dir;
    // An input of 255 characters: its hash files' names are longer than 259.
    std::filesystem::path folder = dir.path() / std::wstring(100, L'f');
    std::filesystem::create_directories(folder);
    const std::size_t nameLength = 255 - folder.wstring().size() - 1;
    ASSERT_GT(nameLength, 10u);
    const auto input = folder / (std::wstring(nameLength - 4, L'n') + L".iso");
    std::ofstream(input, std::ios::binary) << "abc";
    ASSERT_EQ(input.wstring().size(), 255u);
    RunningApp app(L"/H:SHA-1-IME,Whirlpool " + quoted(input));
    app.hashAndWait();
    ASSERT_EQ(app.value(L"SHA-1-IME"), hexAbc("SHA-1-IME"));
    app.rightClick(kSaveAllCommand);
    for (const auto& [name, extension] : {std::pair{L"SHA-1-IME", L"sha-1-ime"}, std::pair{L"Whirlpool", L"whirlpool"}}) {
        SCOPED_TRACE(ansi(name));
        const std::wstring full = input.wstring() + L"." + extension;
        EXPECT_GT(full.size(), 259u);
        EXPECT_EQ(fileBytes(full), ansi(app.value(name)) + "\r\n");
        // Never a shortened name, which would be another file.
        const std::wstring cut = input.wstring().substr(0, 258 - wcslen(extension)) + L"." + extension;
        EXPECT_EQ(fileBytes(cut), "<none>");
        DeleteFileW(extendedLengthPath(full).c_str());
    }
}

TEST(SaveResults, AccessDeniedOffersSaveAsOncePerRow) {
    TempDir dir;
    TempDir elsewhere;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:MD5,SHA-1 " + quoted(file));
    app.hashAndWait();
    // Folders where the hash files would go: the system denies access to such a name
    // (a read-only folder does not stop an administrator, as the tests may run).
    std::filesystem::create_directory(file.wstring() + L".md5");
    std::filesystem::create_directory(file.wstring() + L".sha-1");
    auto offerFor = [&](const wchar_t* extension) {
        return L"File: " + file.wstring() + extension +
               L"\nYou don't have permission to save in this location.\n\nWould you like to save in another location "
               L"instead?";
    };

    // Ctrl+S, then No: nothing is written and no save dialog opens.
    app.select({L"MD5"});
    app.ctrl = true;
    app.postKeyInList('S');
    HWND box = app.waitForOwnedDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(messageBoxText(box), offerFor(L".md5"));
    EXPECT_EQ(look::windowText(box), L"Sumwise");
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
    settle(app);
    EXPECT_EQ(saveRequestCount(app), 0u);

    // Save all: one offer per row, in turn. Yes to the first leads to the save dialog.
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        app.dialogs.saveAnswers.push_back((elsewhere.path() / L"chosen.md5").wstring());
    }
    app.postRightClick(kSaveAllCommand);
    box = app.waitForOwnedDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(messageBoxText(box), offerFor(L".md5"));
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
    box = app.waitForOwnedDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(messageBoxText(box), offerFor(L".sha-1"));
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
    settle(app);
    EXPECT_EQ(fileBytes((elsewhere.path() / L"chosen.md5").wstring()), hexOf("MD5", std::string_view("abc")) + "\r\n");
    std::lock_guard lock(RecordingTaskbar::mutex);
    ASSERT_EQ(app.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(app.dialogs.saveRequests[0].proposedName, file.wstring() + L".md5");
}

TEST(SaveResults, SaveAsProposesANameForEachKindOfInput) {
    const std::wstring documents = documentsFolder();
    ASSERT_FALSE(documents.empty());
    struct Case {
        const char* label;
        const wchar_t* commandLine;
        const wchar_t* text;  // typed in text mode
        wchar_t driveLetter;  // chosen in disk mode ('\0': none)
        const wchar_t* algorithm;
        const wchar_t* expected;  // in the Documents folder
    };
    const Case cases[] = {
        {"typed text", L"/T /A", L"hello", 0, L"MD5", L"hello.md5"},
        {"empty text", L"/T /A", L"", 0, L"MD5", L"(Empty string).md5"},
        {"reserved characters", L"/T /A", L"a<b>c:d*e?f\"g|h/i\\j\tk", 0, L"SHA-1-IME", L"a_b_c_d_e_f_g_h_i_j_k.sha-1-ime"},
        {"a device name", L"/T /A", L"con.txt", 0, L"MD5", L"_con.txt.md5"},
        {"a drive without a medium", L"/V /A", L"", L'B', L"MD5", L"(Empty).md5"},
        {"a volume without a label (Wine's C:)", L"/V /A", L"", L'C', L"MD5", L"(Empty).md5"},
        {"no drive chosen", L"/V /A", L"", 0, L"Whirlpool", L"(Empty).whirlpool"},
    };
    // One program per input mode.
    std::unique_ptr<RunningApp> app;
    std::wstring running;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (running != c.commandLine) {
            app.reset();
            app = std::make_unique<RunningApp>(c.commandLine);
            running = c.commandLine;
        }
        app->setText(IDC_INPUT, c.text);
        if (c.driveLetter != 0) {
            std::wstring root = {c.driveLetter, L':'};
            COMBOBOXEXITEMW item{};
            item.mask = CBEIF_TEXT | CBEIF_LPARAM;
            item.iItem = 0;
            item.pszText = root.data();
            item.lParam = c.driveLetter;
            SendMessageW(app->control(IDC_DRIVES), CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(app->control(IDC_DRIVES), CB_SETCURSEL, c.driveLetter != 0 ? 0 : static_cast<WPARAM>(-1), 0);
        app->setValue(c.algorithm, L"0123456789ABCDEF");
        app->select({c.algorithm});
        app->rightClick(kSaveAsCommand);
        std::lock_guard lock(RecordingTaskbar::mutex);
        ASSERT_EQ(app->dialogs.saveRequests.size(), 1u);
        EXPECT_EQ(app->dialogs.saveRequests[0].proposedName, documents + L"\\" + c.expected);
        app->dialogs.saveRequests.clear();
    }
}

TEST(SaveResults, SaveAsOneDialogPerSelectedRow) {
    TempDir dir;
    TempDir elsewhere;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/A /H:MD5,SHA-1 " + quoted(file));
    app.hashAndWait();
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        app.dialogs.saveAnswers = {(elsewhere.path() / L"mine.md5").wstring(), std::nullopt};
    }
    app.select({L"Adler32", L"MD5", L"SHA-1"});  // a row without a value gets no dialog
    app.rightClick(kSaveAsCommand);
    std::lock_guard lock(RecordingTaskbar::mutex);
    const auto& requests = app.dialogs.saveRequests;
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].owner, app.dialog());
    EXPECT_EQ(requests[0].filter, L"MD5 hash file (*.md5)\0*.md5\0"s);
    EXPECT_EQ(requests[0].defaultExtension, L"md5");
    EXPECT_EQ(requests[0].proposedName, file.wstring() + L".md5");
    EXPECT_EQ(requests[1].filter, L"SHA-1 hash file (*.sha-1)\0*.sha-1\0"s);
    EXPECT_EQ(requests[1].proposedName, file.wstring() + L".sha-1");
    EXPECT_EQ(fileBytes((elsewhere.path() / L"mine.md5").wstring()), hexOf("MD5", std::string_view("abc")) + "\r\n");
    EXPECT_EQ(fileBytes(file.wstring() + L".sha-1"), "<none>");  // cancelled: nothing written
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

namespace sumwise::test {
namespace {

// The system's save dialog itself, with a proposal longer than it takes:
// it starts in the proposal's folder with the bare name; a cancel gives no path.
TEST(SaveFileDialog, ShowsALongProposalAndCancels) {
    TempDir dir;
    const auto folder = dir.path() / std::wstring(150, L'f');
    std::filesystem::create_directories(folder);
    const std::wstring file = std::wstring(100, L'n') + L".iso.sha-1-ime";
    ASSERT_GT((folder / file).wstring().size(), 259u);
    std::atomic<DWORD> thread{0};
    std::optional<std::wstring> answer = L"<running>";
    std::thread runner([&] {
        thread = GetCurrentThreadId();
        SaveFileRequest request;
        request.filter = L"SHA-1-IME hash file (*.sha-1-ime)\0*.sha-1-ime\0"s;
        request.proposedName = (folder / file).wstring();
        request.defaultExtension = L"sha-1-ime";
        answer = showSaveFileDialog(request);
    });
    waitFor([&] { return thread != 0; });
    const HWND dialog = waitForDialog(thread);
    std::wstring shown;
    if (dialog != nullptr) {
        for (const std::wstring& text : childTexts(dialog, L"Edit")) {
            if (!text.empty()) shown = text;
        }
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    runner.join();
    EXPECT_EQ(shown, file);
    EXPECT_FALSE(answer.has_value());
}

}  // namespace
}  // namespace sumwise::test
