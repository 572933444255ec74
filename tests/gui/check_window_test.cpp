// The check window on real sums files: statuses and summary, encodings,
// paths beside the sums file, the report beside sumwise-cli's output,
// /CHECK: from the command line, Stop, Check again and a long list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/application.h"
#include "app/check_dialog.h"
#include "app_harness.h"
#include "fake_inputs.h"
#include "cli_support.h"
#include "resources/resource_ids.h"
#include "results/results_menu.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

constexpr const char* kMd5OfAbc = "900150983cd24fb0d6963f7d28e17f72";
constexpr const char* kSha256OfAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

struct CheckRowText {
    std::wstring file;
    std::wstring algorithm;
    std::wstring status;
};

std::wstring itemText(HWND list, int row, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(list, row, column, text, 512);
    return text;
}

std::vector<CheckRowText> checkRows(const RunningApp& app) {
    const HWND list = app.control(IDC_CHECK_LIST);
    std::vector<CheckRowText> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        rows.push_back({itemText(list, row, 0), itemText(list, row, 1), itemText(list, row, 2)});
    }
    return rows;
}

bool checkFinished(const RunningApp& app) { return !app.enabled(IDC_CHECK_STOP) && app.enabled(IDC_CHECK_AGAIN); }

void waitForCheck(const RunningApp& app) {
    ASSERT_TRUE(waitFor([&] { return app.ended() || checkFinished(app); })) << "the check never ended";
}

std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

std::string utf16le(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}

// A folder with good.txt ("abc"), changed.txt (not "abc"), sub/inner.txt ("abc") and a folder "folder".
void fillFolder(const TempDir& dir) {
    dir.write("good.txt", "abc");
    dir.write("changed.txt", "abd");
    std::filesystem::create_directories(dir.path() / "sub");
    dir.write("sub/inner.txt", "abc");
    std::filesystem::create_directories(dir.path() / "folder");
}

std::string sha256Line(const char* name) { return std::string(kSha256OfAbc) + "  " + name + "\n"; }

TEST(CheckWindow, ShowsEachLineWithItsStatusAndTheSummary) {
    struct Case {
        const char* sumsName;
        std::string sums;
        std::vector<std::vector<std::wstring>> rows;  // file, algorithm, status (a prefix for UNREADABLE)
        const wchar_t* summary;
    };
    const Case cases[] = {
        {"SHA256SUMS",
         sha256Line("good.txt") + sha256Line("changed.txt") + sha256Line("missing.txt") + "\n# comment\n" +
             sha256Line("folder") + "not a sums line\n",
         {{L"good.txt", L"SHA-256", L"OK"},
          {L"changed.txt", L"SHA-256", L"FAILED"},
          {L"missing.txt", L"SHA-256", L"MISSING"},
          {L"folder", L"SHA-256", L"UNREADABLE: "},
          {L"", L"", L"BAD LINE"}},
         L"1 OK, 1 failed, 1 missing, 1 unreadable, 1 bad line"},
        // UTF-16 with its mark.
        {"SHA256SUMS", utf16le(sha256Line("good.txt") + sha256Line("changed.txt")),
         {{L"good.txt", L"SHA-256", L"OK"}, {L"changed.txt", L"SHA-256", L"FAILED"}},
         L"1 OK, 1 failed"},
        // Tags: one file, two algorithms; names relative to the sums file's folder.
        {"tagged.txt",
         std::string("MD5 (good.txt) = ") + kMd5OfAbc + "\nSHA256 (good.txt) = " + kSha256OfAbc +
             "\nMD5 (sub/inner.txt) = " + kMd5OfAbc + "\nnot\nnot either\n",
         {{L"good.txt", L"MD5", L"OK"},
          {L"good.txt", L"SHA-256", L"OK"},
          {L"sub/inner.txt", L"MD5", L"OK"},
          {L"", L"", L"BAD LINE"},
          {L"", L"", L"BAD LINE"}},
         L"3 OK, 2 bad lines"},
        // SFV: "NAME CRC32" lines and ';' comments.
        {"files.sfv", "; made by hand\ngood.txt 352441C2\nchanged.txt 352441c2\n",
         {{L"good.txt", L"CRC32", L"OK"}, {L"changed.txt", L"CRC32", L"FAILED"}},
         L"1 OK, 1 failed"},
        // Tags carrying HAVAL's and MD6's parameters are checked with them.
        {"params.txt",
         "HAVAL-128/3 (good.txt) = 9e40ed883fb63e985d299b40cda2b8f2\n"
         "MD6-160 (good.txt) = b5c2d6a7ce6be0c18c9a38b17a0db705c81ab6b5\n",
         {{L"good.txt", L"Haval", L"OK"}, {L"good.txt", L"MD6", L"OK"}},
         L"2 OK"},
        // The algorithm from the sums file's name.
        {"list.md5", std::string(kMd5OfAbc) + " *changed.txt\n" + kMd5OfAbc + " *good.txt\n",
         {{L"changed.txt", L"MD5", L"FAILED"}, {L"good.txt", L"MD5", L"OK"}},
         L"1 OK, 1 failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sums);
        TempDir dir;
        fillFolder(dir);
        const auto sums = dir.write(c.sumsName, c.sums);
        RunningApp app(L"/CHECK:" + quoted(sums));
        ASSERT_FALSE(app.ended());
        EXPECT_EQ(app.title(), L"Check - " + widen(c.sumsName));
        waitForCheck(app);
        const auto rows = checkRows(app);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].file, c.rows[i][0]) << i;
            EXPECT_EQ(rows[i].algorithm, c.rows[i][1]) << i;
            if (c.rows[i][2].back() == L' ') {
                EXPECT_EQ(rows[i].status.rfind(c.rows[i][2], 0), 0u) << i;
                EXPECT_GT(rows[i].status.size(), c.rows[i][2].size()) << "the reason is given";
            } else {
                EXPECT_EQ(rows[i].status, c.rows[i][2]) << i;
            }
        }
        EXPECT_EQ(app.text(IDC_CHECK_SUMMARY), c.summary);
        EXPECT_TRUE(app.close());
    }
}

TEST(CheckWindow, CopyReportIsWhatTheCliPrintsThenTheSummary) {
    const std::string cases[] = {
        sha256Line("good.txt") + sha256Line("changed.txt") + sha256Line("missing.txt") + sha256Line("folder") +
            "bad\n",
        std::string("MD5 (good.txt) = ") + kMd5OfAbc + "\nSHA256 (changed.txt) = " + kSha256OfAbc + "\n",
        utf16le(sha256Line("sub/inner.txt")),
    };
    for (const std::string& sums : cases) {
        SCOPED_TRACE(sums);
        TempDir dir;
        fillFolder(dir);
        const auto path = dir.write("SHA256SUMS", sums);
        RunningApp app(L"/CHECK:" + quoted(path));
        waitForCheck(app);
        setClipboardText(L"");
        app.click(IDC_CHECK_COPY);
        std::string cliOut;
        {
            cli::test::WorkingFolder working(dir.path());
            cliOut = cli::test::runCli({"-c", "SHA256SUMS"}).out;
        }
        std::wstring expected;
        for (const char c : cliOut) {
            if (c == '\n') expected += L'\r';
            expected += static_cast<wchar_t>(c);
        }
        expected += app.text(IDC_CHECK_SUMMARY) + L"\r\n";
        EXPECT_EQ(clipboardText(), expected);
    }
}

TEST(CheckWindow, OpensFromTheCommandLineOrTellsWhyNot) {
    struct Case {
        const wchar_t* form;  // %s: the path
        bool relative;
        const char* sums;
        std::size_t rows;           // 0: the sums file cannot be checked
        const wchar_t* boxContains;  // the message box's reason
    };
    const Case cases[] = {
        {L"/CHECK:%s", true, "x", 1, nullptr},
        {L"\"/CHECK:%s\"", true, "x", 1, nullptr},
        {L"/CHECK:\"%s\"", false, "x", 1, nullptr},
        {L"/CHECK:%s", false, "# only a comment\nnonsense\n", 0, L"holds no line"},
        {L"/CHECK:%s", false, nullptr, 0, L"cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.form << " " << c.relative);
        TempDir dir;
        fillFolder(dir);
        std::filesystem::create_directories(dir.path() / "my sums");
        const std::string content = c.sums == nullptr ? "" : std::string(c.sums) == "x" ? sha256Line("../good.txt") : c.sums;
        const auto path = c.sums == nullptr ? dir.path() / "my sums" / "absent.sha256" : dir.write("my sums/SUMS.sha256", content);
        cli::test::WorkingFolder working(dir.path());
        std::wstring shown = c.relative ? L"my sums\\" + path.filename().wstring() : path.wstring();
        std::wstring line = c.form;
        line.replace(line.find(L"%s"), 2, shown);
        if (c.rows > 0) {
            RunningApp app(line);
            ASSERT_FALSE(app.ended());
            waitForCheck(app);
            const auto rows = checkRows(app);
            ASSERT_EQ(rows.size(), c.rows);
            EXPECT_EQ(rows[0].status, L"OK");
            // Closing the check window ends the program.
            app.postClick(IDCANCEL);
            EXPECT_TRUE(waitFor([&] { return app.ended(); }));
            EXPECT_EQ(app.exitStatus(), 0);
            continue;
        }
        std::atomic<int> status{-1};
        std::atomic<DWORD> thread{0};
        std::thread program([&] {
            thread = GetCurrentThreadId();
            status = runApplication(GetModuleHandleW(nullptr), line, {});
        });
        ASSERT_TRUE(waitFor([&] { return thread.load() != 0; }));
        const HWND box = waitForDialog(thread.load());
        ASSERT_NE(box, nullptr);
        EXPECT_NE(messageBoxText(box).find(c.boxContains), std::wstring::npos) << messageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        program.join();
        EXPECT_EQ(status.load(), kCheckUnreadableExit);
    }
}

TEST(CheckWindow, StopsWithinAFifthOfASecondAndChecksAgain) {
    TempDir dir;
    fillFolder(dir);
    sparseFile(dir, L"big.bin", 64ull << 30);
    const auto sums = dir.write("SHA256SUMS", sha256Line("changed.txt") + sha256Line("big.bin") + sha256Line("good.txt"));
    RunningApp app(L"/CHECK:" + quoted(sums));
    // Stopped three times mid-read (checked again between): on a machine
    // shared with other work the fastest must take under 0.2 s, none a second.
    auto fastest = std::chrono::steady_clock::duration::max();
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            {
                std::lock_guard lock(RecordingTaskbar::mutex);
                app.dialogs.menuChoice = 1;
            }
            app.click(IDC_CHECK_AGAIN);
        }
        ASSERT_TRUE(waitFor([&] {
            const auto rows = checkRows(app);
            return rows.size() == 3 && rows[1].status == L"Checking";
        }));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto pressed = std::chrono::steady_clock::now();
        app.postClick(IDC_CHECK_STOP);
        ASSERT_TRUE(waitFor([&] { return checkFinished(app); }, std::chrono::seconds(5)));
        const auto took = std::chrono::steady_clock::now() - pressed;
        EXPECT_LT(took, std::chrono::seconds(1));
        fastest = std::min(fastest, took);
    }
    EXPECT_LT(fastest, std::chrono::milliseconds(200));
    auto rows = checkRows(app);
    EXPECT_EQ(rows[0].status, L"FAILED");
    EXPECT_EQ(rows[1].status, L"Waiting");
    EXPECT_EQ(rows[2].status, L"Waiting");

    // The changed file is put right; only the failed ones are checked again.
    dir.write("changed.txt", "abc");
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        app.dialogs.menuChoice = 2;
    }
    app.click(IDC_CHECK_AGAIN);
    waitForCheck(app);
    rows = checkRows(app);
    EXPECT_EQ(rows[0].status, L"OK");
    EXPECT_EQ(rows[1].status, L"Waiting");
    EXPECT_EQ(app.text(IDC_CHECK_SUMMARY), L"1 OK");
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        ASSERT_FALSE(app.dialogs.menus.empty());
        EXPECT_EQ(app.dialogs.menus.back().size(), 2u);
    }
}

TEST(CheckWindow, TenThousandLinesFillWhileTheWindowAnswers) {
    TempDir dir;
    fillFolder(dir);
    std::string sums;
    for (int i = 0; i < 10000; ++i) sums += sha256Line(i % 2 == 0 ? "good.txt" : ("absent" + std::to_string(i)).c_str());
    const auto path = dir.write("SHA256SUMS", sums);
    RunningApp app(L"/CHECK:" + quoted(path));
    std::vector<std::chrono::steady_clock::duration> answers;
    while (!checkFinished(app) && !app.ended()) {
        const auto posted = std::chrono::steady_clock::now();
        app.settle();
        answers.push_back(std::chrono::steady_clock::now() - posted);
    }
    // On a machine shared with other work a single answer may wait for the
    // scheduler; nine in ten must come within 0.2 s and none take a second.
    ASSERT_FALSE(answers.empty());
    std::sort(answers.begin(), answers.end());
    EXPECT_LT(answers[answers.size() * 9 / 10], std::chrono::milliseconds(200)) << answers.size() << " answers";
    EXPECT_LT(answers.back(), std::chrono::seconds(1));
    EXPECT_EQ(ListView_GetItemCount(app.control(IDC_CHECK_LIST)), 10000);
    EXPECT_EQ(app.text(IDC_CHECK_SUMMARY), L"5000 OK, 5000 missing");
}

TEST(CheckWindow, OpensForADroppedSumsFileNamingSeveralFiles) {
    struct Case {
        const char* sums;
        bool opens;                // the check window, over the main one
        const wchar_t* compare;    // the compare box afterwards
    };
    const Case cases[] = {
        {"SEVERAL", true, L""},
        // Lines naming only the current input fill the compare box, as before.
        {"ONE", false, L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sums);
        TempDir dir;
        fillFolder(dir);
        const std::string content = std::string(c.sums) == "SEVERAL"
                                        ? sha256Line("good.txt") + sha256Line("changed.txt")
                                        : sha256Line("good.txt") + sha256Line("good.txt");
        const auto sums = dir.write("expected.sha-256", content);
        RunningApp app(L"/H:SHA-256 " + quoted(dir.path() / "good.txt"));
        FakeDataObject data(std::vector<std::wstring>{sums.wstring()});
        app.onDialogThread([&] {
            IDropTarget* target = app.dropTarget();
            ASSERT_NE(target, nullptr);
            DWORD effect = DROPEFFECT_COPY;
            target->DragEnter(&data, MK_LBUTTON, POINTL{10, 10}, &effect);
            effect = DROPEFFECT_COPY;
            EXPECT_EQ(target->Drop(&data, 0, POINTL{12, 12}, &effect), S_OK);
        });
        if (c.opens) {
            const HWND check = app.waitForOwnedDialog();
            ASSERT_NE(check, nullptr);
            wchar_t title[128] = {};
            GetWindowTextW(check, title, 128);
            EXPECT_STREQ(title, L"Check - expected.sha-256");
            const HWND list = GetDlgItem(check, IDC_CHECK_LIST);
            ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(GetDlgItem(check, IDC_CHECK_AGAIN)) != FALSE; }));
            ASSERT_EQ(ListView_GetItemCount(list), 2);
            EXPECT_EQ(itemText(list, 0, 2), L"OK");
            EXPECT_EQ(itemText(list, 1, 2), L"FAILED");
            postClick(check, IDCANCEL);
            ASSERT_TRUE(waitFor([&] { return IsWindow(check) == FALSE; }));
        } else {
            app.settle();
        }
        EXPECT_EQ(app.text(IDC_INPUT), (dir.path() / "good.txt").wstring());
        EXPECT_EQ(app.text(IDC_COMPARE), c.compare);
    }
}

TEST(CheckWindow, SumsFilesSavedFromTheMainWindowCheckHereAndInTheCli) {
    struct Case {
        const wchar_t* ticked;
        const char* saveAs;  // the name chosen in the save dialog, beside the input or in "other"
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {L"MD5,SHA-256", "abc.txt.md5", {"abc.txt.md5", "abc.txt.sha256"}},
        {L"CRC32,RIPEMD-160,SHA-1", "abc.txt.crc32", {"abc.txt.crc32", "abc.txt.ripemd160", "abc.txt.sha1"}},
        // Elsewhere the line names the input by its whole path.
        {L"SHA-512", "other/mine.sha512", {"other/mine.sha512"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.saveAs);
        TempDir dir;
        const auto input = dir.write("abc.txt", "abc");
        std::filesystem::create_directories(dir.path() / "other");
        {
            RunningApp app(L"/H:" + std::wstring(c.ticked) + L" " + quoted(input));
            app.hashAndWait();
            {
                std::lock_guard lock(RecordingTaskbar::mutex);
                app.dialogs.saveAnswers.push_back((dir.path() / c.saveAs).wstring());
            }
            app.rightClick(results::kSaveSumsCommand);
            std::lock_guard lock(RecordingTaskbar::mutex);
            ASSERT_EQ(app.dialogs.saveRequests.size(), 1u);
            EXPECT_EQ(app.dialogs.saveRequests[0].proposedName.rfind(input.wstring() + L".", 0), 0u);
        }
        for (const std::string& file : c.files) {
            SCOPED_TRACE(file);
            const auto path = dir.path() / file;
            ASSERT_TRUE(std::filesystem::exists(path));
            RunningApp check(L"/CHECK:" + quoted(path));
            waitForCheck(check);
            const auto rows = checkRows(check);
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0].status, L"OK");
            cli::test::WorkingFolder working(path.parent_path());
            const auto cli = cli::test::runCli({"-c", path.filename().string()});
            EXPECT_EQ(cli.status, 0) << cli.err;
            EXPECT_NE(cli.out.find(": OK\n"), std::string::npos) << cli.out;
        }
    }
}

TEST(CheckWindow, RowMenuAndSavedReport) {
    TempDir dir;
    fillFolder(dir);
    const auto sums = dir.write("SHA256SUMS", sha256Line("sub/inner.txt") + "bad line\n");
    std::vector<std::wstring> shown;
    RunningApp app(L"/CHECK:" + quoted(sums), [&shown](AppServices& services) {
        services.showInFolder = [&shown](const std::wstring& path) { shown.push_back(path); };
    });
    waitForCheck(app);
    struct Case {
        int row;
        UINT choice;  // 3: copy the expected digest; 4: show the file in its folder
        std::vector<bool> enabled;
        std::wstring clipboard;
        std::size_t shownCount;
    };
    const std::wstring digest = widen(kSha256OfAbc);
    const Case cases[] = {
        {0, 3, {true, true}, digest, 0},
        {0, 4, {true, true}, L"-", 1},
        {1, 3, {false, false}, L"-", 1},  // a bad line has neither
        {1, 4, {false, false}, L"-", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << " " << c.choice);
        setClipboardText(L"-");
        {
            std::lock_guard lock(RecordingTaskbar::mutex);
            app.dialogs.menuChoice = c.choice;
        }
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = app.control(IDC_CHECK_LIST);
        click.hdr.idFrom = IDC_CHECK_LIST;
        click.hdr.code = NM_RCLICK;
        click.iItem = c.row;
        SendMessageW(app.dialog(), WM_NOTIFY, IDC_CHECK_LIST, reinterpret_cast<LPARAM>(&click));
        {
            std::lock_guard lock(RecordingTaskbar::mutex);
            const auto& menu = app.dialogs.menus.back();
            ASSERT_EQ(menu.size(), c.enabled.size());
            for (std::size_t i = 0; i < menu.size(); ++i) EXPECT_EQ(menu[i].enabled, c.enabled[i]) << i;
        }
        EXPECT_EQ(clipboardText(), c.clipboard);
        ASSERT_EQ(shown.size(), c.shownCount);
    }
    EXPECT_EQ(shown[0], (dir.path() / "sub" / "inner.txt").wstring());

    // The saved report is the copied one, in UTF-8.
    const auto target = dir.path() / "report.txt";
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        app.dialogs.saveAnswers.push_back(target.wstring());
    }
    app.click(IDC_CHECK_SAVE);
    app.click(IDC_CHECK_COPY);
    std::ifstream saved(target, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(widen(bytes), clipboardText());
    EXPECT_EQ(bytes, "sub/inner.txt: OK\r\n1 OK, 1 bad line\r\n");
}

}  // namespace
}  // namespace sumwise::test
