// Saving results: hash files beside the input and elsewhere, the Save As
// proposals and the system's save dialog itself.
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

std::wstring documentsFolder() {
    PWSTR folder = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder))) result = folder;
    CoTaskMemFree(folder);
    return result;
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
