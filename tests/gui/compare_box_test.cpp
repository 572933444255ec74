// Comparing with an expected hash in the real dialog: typed and pasted values,
// hash files lying beside the input, values of a job whose input changed,
// Enter, typed texts outside the code page, and redrawing after resizing.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app_harness.h"
#include "compare_helpers.h"
#include "modal_dialog_host.h"
#include "resources/resource_ids.h"
#include "results/browse.h"
#include "results/results_list.h"
#include "test_support.h"
#include "toolkit/look.h"

namespace sumwise::test {
namespace {

HICON lastOverlay(const RunningApp& app) {
    std::lock_guard lock(RecordingTaskbar::mutex);
    return app.taskbar.overlays.empty() ? nullptr : app.taskbar.overlays.back();
}

std::string utf16le(std::string_view ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

TEST(CompareBox, ShowsTheFirstMatchingAlgorithmOrNegative) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* shows;
    };
    const Case cases[] = {
        {L"900150983cd24fb0d6963f7d28e17f72", L"MD5"},
        {L"900150983CD24FB0D6963F7D28E17F72", L"MD5"},
        {L"352441c2", L"CRC32"},
        {L"900150983CD24FB0D6963F7D28E17F72 ", L"NEGATIVE"},  // no trimming
        {L" 352441C2", L"NEGATIVE"},
        {L"352441C", L"NEGATIVE"},
        {L"deadbeef", L"NEGATIVE"},
        // Lines pasted from a sums file or a download page.
        {L"900150983cd24fb0d6963f7d28e17f72  abc.txt", L"MD5"},
        {L"900150983cd24fb0d6963f7d28e17f72 *abc.txt", L"MD5"},
        {L"MD5 (abc.txt) = 900150983cd24fb0d6963f7d28e17f72", L"MD5"},
        {L"CRC32 (abc.txt) = 352441c2 ", L"NEGATIVE"},
        {L"900150983cd24fb0d6963f7d28e17f72  ABC.TXT", L"MD5"},
        {L"900150983cd24fb0d6963f7d28e17f72 *./downloads/abc.txt", L"MD5"},  // the folder is no other name
        // A line of another file still compares, and says whose it is.
        {L"900150983cd24fb0d6963f7d28e17f72  other.iso", L"MD5 (the line names other.iso)"},
        {L"MD5 (abc.txt.bak) = 900150983cd24fb0d6963f7d28e17f72", L"MD5 (the line names abc.txt.bak)"},
        {L"deadbeef *other.iso", L"NEGATIVE (the line names other.iso)"},
        {L"", L""},
        // The newer algorithms, as values and as their tools' lines.
        {L"e642824c3f8cf24ad09234ee7d3c766fc9a3a5168d0c94ad73b46fdf", L"SHA3-224"},
        {L"SHA3-256 (abc.txt) = 3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532", L"SHA3-256"},
        {L"ec01498288516fc926459f58e2c6ad8df9b473cb0fc08c2596da7cf0e49be4b298d88cea927ac7f539f1edf228376d25",
         L"SHA3-384"},
        {L"b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e"
         L"10e116e9192af3c91a7ec57647e3934057340b4cf408d5a56592f8274eec53f0",
         L"SHA3-512"},
        {L"ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d1"
         L"7d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923",
         L"BLAKE2b"},
        {L"BLAKE2s (abc.txt) = 508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982", L"BLAKE2s"},
        {L"6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85  abc.txt", L"BLAKE3"},
        {L"44bc2cf5ad770999", L"XXH64"},
        {L"XXH3 (abc.txt) = 78af5f94892f3950", L"XXH3"},
        {L"06b05ab6733a618578af5f94892f3950  other.bin", L"XXH128 (the line names other.bin)"},
        {L"364B3FB7", L"CRC32C"},
    };
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    // Values shown in upper and in lower case.
    const std::wstring newer = L",SHA3-224,SHA3-256,SHA3-384,SHA3-512,BLAKE2b,BLAKE2s,BLAKE3,XXH64,XXH3,XXH128,CRC32C ";
    for (const std::wstring& options : {L"/H:CRC32,MD5" + newer, L"/S /H:CRC32,MD5" + newer}) {
        RunningApp app(options + test::quoted(file));
        app.announceTaskbarButton();
        app.hashAndWait();
        HICON matchIcon = nullptr;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "options " << std::string(options.begin(), options.end()) << "typed \""
                                            << std::string(c.typed, c.typed + wcslen(c.typed)) << "\"");
            app.setText(IDC_COMPARE, c.typed);
            const std::wstring shows = compareShows(app);
            EXPECT_EQ(shows, c.shows);
            const HICON overlay = lastOverlay(app);
            if (shows.empty()) {
                EXPECT_EQ(overlay, nullptr);
            } else if (shows.starts_with(L"NEGATIVE")) {
                EXPECT_NE(overlay, nullptr);
                EXPECT_NE(overlay, matchIcon);
            } else {
                EXPECT_NE(overlay, nullptr);
                if (matchIcon == nullptr) matchIcon = overlay;
                EXPECT_EQ(overlay, matchIcon);
            }
        }
        // Equal values: the algorithm earlier in the table wins, whatever the list holds.
        app.setValue(L"MD5", L"00AA");
        app.setValue(L"CRC32", L"00aa");
        app.setText(IDC_COMPARE, L"00Aa");
        EXPECT_EQ(compareShows(app), L"CRC32");
    }
    // A typed text has no file name for a line to differ from.
    RunningApp app(L"/T /H:MD5");
    app.setText(IDC_INPUT, L"abc");
    app.hashAndWait();
    app.setText(IDC_COMPARE, L"900150983cd24fb0d6963f7d28e17f72  other.iso");
    EXPECT_EQ(compareShows(app), L"MD5");
}

TEST(CompareBox, NegativeTurnsIntoTheNameWhenTheMatchingAlgorithmFinishesLater) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/A /H:CRC32 " + test::quoted(file));
    app.announceTaskbarButton();
    EXPECT_EQ(compareShows(app), L"");  // blank from the start
    app.setText(IDC_COMPARE, kMd5OfAbc);
    EXPECT_EQ(compareShows(app), L"");  // and while there is no result
    app.hashAndWait();
    EXPECT_EQ(compareShows(app), L"NEGATIVE");
    const HICON mismatch = lastOverlay(app);
    app.tick(L"MD5", true);
    app.hashAndWait();  // computes MD5 only: CRC32 has its value
    EXPECT_EQ(app.value(L"CRC32"), kCrc32OfAbc);
    EXPECT_EQ(compareShows(app), L"MD5");
    EXPECT_NE(lastOverlay(app), mismatch);
    EXPECT_NE(lastOverlay(app), nullptr);
    // A new input clears the values: the result goes blank, the overlay too.
    app.setText(IDC_INPUT, L"");
    EXPECT_EQ(compareShows(app), L"");
    EXPECT_EQ(lastOverlay(app), nullptr);
}

TEST(CompanionHashFile, FillsTheCompareBoxAtStartUp) {
    struct File {
        std::string name;
        std::string bytes;
    };
    struct Case {
        const char* what;
        const wchar_t* options;
        std::vector<File> files;
        std::wstring box;
    };
    const std::string md5 = kMd5OfAbcLower;
    const Case cases[] = {
        {"our own hash file", L"/H:CRC32,MD5", {{"disk.iso.md5", md5 + "\r\n"}}, widen(md5)},
        {"the first ticked row in list order wins", L"/H:CRC32,MD5",
         {{"disk.iso.md5", md5 + "\r\n"}, {"disk.iso.crc32", "352441C2\r\n"}}, L"352441C2"},
        {"the name is found in any case", L"/H:MD5", {{"DISK.ISO.MD5", md5}}, widen(md5)},
        {"unticked rows are not looked for", L"/A /H:CRC32", {{"disk.iso.md5", md5}}, L""},
        {"no hash file", L"/H:CRC32,MD5", {{"disk.iso.sha-1", md5}}, L""},
        {"a UTF-8 mark is skipped", L"/H:MD5", {{"disk.iso.md5", "\xEF\xBB\xBF" + md5 + "\r\n"}}, widen(md5)},
        {"UTF-16 little-endian", L"/H:MD5", {{"disk.iso.md5", utf16le(md5 + "\r\n", false)}}, widen(md5)},
        {"UTF-16 big-endian", L"/H:MD5", {{"disk.iso.md5", utf16le(md5 + " *disk.iso\n", true)}}, widen(md5)},
        {"a sums file: the line of the input", L"/H:MD5",
         {{"disk.iso.md5", "11111111111111111111111111111111  other.iso\n" + md5 + "  disk.iso\n"}}, widen(md5)},
        {"a sums file in the tagged layout", L"/H:MD5",
         {{"disk.iso.md5", "MD5 (other.iso) = 1111\r\nMD5 (DISK.ISO) = " + md5 + "\r\n"}}, widen(md5)},
        {"a sums file without the input: its first token", L"/H:MD5",
         {{"disk.iso.md5", "2222  other.iso\n3333  third.iso\n"}}, L"2222"},
        {"at most 129 characters", L"/H:MD5", {{"disk.iso.md5", std::string(300, 'a')}}, std::wstring(129, L'a')},
        {"a typed text has no hash file", L"/T /H:MD5", {{"disk.iso.md5", md5}}, L""},
        {"a sums file: the line of the input in a folder", L"/H:MD5",
         {{"disk.iso.md5", "1111  isos/other.iso\n" + md5 + "  isos/disk.iso\n"}}, widen(md5)},
        // Other tools' sums files, named as they name them.
        {"theirs: the line of the input", L"/H:SHA-256", {{"disk.iso.sha256", "5555  disk.iso\n"}}, L"5555"},
        {"theirs: a digest alone", L"/H:SHA-1", {{"disk.iso.sha1", "6666\r\n"}}, L"6666"},
        {"theirs: the line of the input among others", L"/H:SHA-512",
         {{"disk.iso.sha512", "1111  other.iso\n7777 *disk.iso\n"}}, L"7777"},
        {"theirs: tagged lines without the input give the first", L"/H:SHA-384",
         {{"disk.iso.sha384", "SHA384 (a.iso) = 3333\nSHA384 (b.iso) = 4444\n"}}, L"3333"},
        {"theirs: no sums lines, no hash file", L"/H:SHA-224", {{"disk.iso.sha224", "not a digest\n"}}, L""},
        {"theirs of an unticked algorithm are not looked for", L"/H:MD5,SHA-1",
         {{"disk.iso.sha256", "5555  disk.iso\n"}}, L""},
        {"ours before theirs", L"/H:SHA-256", {{"disk.iso.sha256", "5555  disk.iso\n"}, {"disk.iso.sha-256", "8888\r\n"}},
         L"8888"},
        {"ours of a later row before theirs of an earlier one", L"/H:SHA-1,SHA-256",
         {{"disk.iso.sha1", "6666  disk.iso\n"}, {"disk.iso.sha-256", "8888\r\n"}}, L"8888"},
        {"ours of a newer algorithm", L"/H:BLAKE2b", {{"disk.iso.blake2b", "abab\r\n"}}, L"abab"},
        {"theirs: xxhsum's tagged line", L"/H:XXH128", {{"disk.iso.xxh128", "XXH128 (disk.iso) = 5555\n"}}, L"5555"},
        {"theirs: b3sum's line", L"/H:MD5,BLAKE3", {{"disk.iso.blake3", "1111  other.iso\n7777  disk.iso\n"}},
         L"7777"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto input = dir.write("disk.iso", "abc");
        for (const File& file : c.files) dir.write(file.name, file.bytes);
        RunningApp app(std::wstring(c.options) + L" " + test::quoted(input));
        EXPECT_EQ(app.text(IDC_COMPARE), c.box);
        EXPECT_EQ(compareShows(app), L"");  // nothing computed yet
    }
}

std::string readFolder(const std::filesystem::path& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream stream(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << stream.rdbuf();
        all += text.str();
    }
    return all;
}

TEST(StaleResults, AJobsValuesAreDroppedWhenItsInputChangedMeanwhile) {
    struct Case {
        const char* what;
        bool textMode;
        std::function<void(RunningApp&, const std::filesystem::path& next)> change;
        std::string nextBytes;  // what the next job hashes
    };
    const Case cases[] = {
        {"another file chosen with Browse", false,
         [](RunningApp& app, const std::filesystem::path& next) { app.browse(next.wstring()); }, "second file"},
        {"the text edited", true, [](RunningApp& app, const std::filesystem::path&) { app.setText(IDC_INPUT, L"edited"); },
         "edited"},
        {"the mode switched", false, [](RunningApp& app, const std::filesystem::path&) { app.click(IDC_TEXT_MODE); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto first = dir.write("first.bin", "first file");
        const auto next = dir.write("next.bin", "second file");
        TempDir logs;
        RunningApp app(c.textMode ? L"/LOG /T /H:MD5,CRC32" : L"/LOG /H:MD5,CRC32 " + test::quoted(first),
                       logs.path().wstring());
        if (c.textMode) app.setText(IDC_INPUT, L"first file");
        app.beforeNextResult([&app, &c, &next] { c.change(app, next); });
        app.hashAndWait();
        EXPECT_EQ(app.value(L"MD5"), L"");
        EXPECT_EQ(app.value(L"CRC32"), L"");
        // Both still logged, under the input they were computed from.
        const std::string log = readFolder(logs.path());
        EXPECT_NE(log.find(hexOf("MD5", "first file")), std::string::npos);
        EXPECT_NE(log.find(hexOf("CRC32", "first file")), std::string::npos);
        EXPECT_NE(log.find(c.textMode ? "\"first file\"" : "first.bin\""), std::string::npos);
        // Hash computes the new input: nothing counts as done already.
        ASSERT_TRUE(app.enabled(IDC_HASH));
        app.hashAndWait();
        EXPECT_EQ(app.value(L"MD5"), widen(hexOf("MD5", c.nextBytes)));
        EXPECT_EQ(app.value(L"CRC32"), widen(hexOf("CRC32", c.nextBytes)));
    }
}

TEST(EnterKey, StartsHashWhenItMayAndNeverEndsTheProgram) {
    struct Case {
        int control;
        bool withInput;
    };
    const Case cases[] = {{IDC_INPUT, true}, {IDC_COMPARE, true}, {IDC_RESULTS, true},
                          {IDC_INPUT, false}, {IDC_COMPARE, false}, {IDC_RESULTS, false}};
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "control " << c.control << (c.withInput ? " with input" : " without input"));
        RunningApp app(c.withInput ? L"/H:CRC32 " + test::quoted(file) : L"/H:CRC32");
        SendMessageW(app.dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(app.control(c.control)), TRUE);
        app.pressKey(c.control, VK_RETURN);
        if (c.withInput) {
            EXPECT_TRUE(waitFor([&] { return app.jobFinished(); }));
        }
        app.settle();
        EXPECT_FALSE(app.ended());
        EXPECT_EQ(app.value(L"CRC32"), c.withInput ? kCrc32OfAbc : L"");
    }
    // Esc still closes the window.
    RunningApp app(L"/H:CRC32 " + test::quoted(file));
    app.pressKey(IDC_INPUT, VK_ESCAPE);
    EXPECT_TRUE(waitFor([&] { return app.ended(); }, std::chrono::seconds(5)));
}

TEST(TypedText, OutsideTheCodePageIsHashedAsUtf8) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the cases are written for code page 1252, not " << GetACP();
    }
    struct Case {
        const wchar_t* typed;
        std::string bytes;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {L"abc", "abc", L"Text length: 3"},
        {L"caf\u00E9", "caf\xE9", L"Text length: 4"},  // held by the code page: its bytes as ever
        {L"???", "???", L"Text length: 3"},
        {L"\u65E5\u672C\u8A9E", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", L"Text length: 9 (hashed as UTF-8)"},
        {L"za\u017C\u00F3\u0142\u0107", "za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", L"Text length: 10 (hashed as UTF-8)"},
        {L"", "", L"Text length: 0"},
    };
    RunningApp app(L"/T /H:CRC32");
    for (const Case& c : cases) {
        SCOPED_TRACE(hexOf("CRC32", c.bytes));
        app.setText(IDC_INPUT, c.typed);
        EXPECT_EQ(app.text(IDC_INPUT_GROUP), c.caption);
        app.hashAndWait();
        EXPECT_EQ(app.value(L"CRC32"), widen(hexOf("CRC32", c.bytes)));
    }
}

// Whether a control shows anything: an undrawn one is a single colour.
bool drawn(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const HDC dc = GetDC(dialog);
    const COLORREF first = GetPixel(dc, rect.left, rect.top);
    bool more = false;
    for (int y = rect.top; y < rect.bottom && !more; ++y) {
        for (int x = rect.left; x < rect.right && !more; ++x) more = GetPixel(dc, x, y) != first;
    }
    ReleaseDC(dialog, dc);
    return more;
}

// What is really on the screen: only with a graphics driver that draws (the
// test run on a virtual X screen sets the variable).
TEST(Drawing, EveryControlIsDrawnAfterEnlargingOrMaximising) {
    if (GetEnvironmentVariableW(L"SUMWISE_X11_DRAWING", nullptr, 0) == 0) {
        GTEST_SKIP() << "needs a graphics driver that draws";
    }
    const int controls[] = {IDC_RESULTS, IDC_SHOW_ALL, IDC_SMALL_CAPS, IDC_HASH, IDC_INPUT, IDC_TEXT_MODE,
                            IDC_DISK_MODE, IDC_BROWSE, IDC_COMPARE, IDC_ABOUT, IDOK};
    RunningApp app(L"");
    const auto settled = [&app] {
        // Painting comes after every posted message; give the window system its turn too.
        app.settle();
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        app.settle();
    };
    settled();
    for (int id : controls) ASSERT_TRUE(drawn(app.dialog(), id)) << "before, control " << id;
    RECT start{};
    GetWindowRect(app.dialog(), &start);
    SetWindowPos(app.dialog(), nullptr, 0, 0, start.right - start.left + 90, start.bottom - start.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER);
    settled();
    for (int id : controls) EXPECT_TRUE(drawn(app.dialog(), id)) << "enlarged, control " << id;
    ShowWindow(app.dialog(), SW_MAXIMIZE);
    settled();
    for (int id : controls) EXPECT_TRUE(drawn(app.dialog(), id)) << "maximised, control " << id;
}

}  // namespace
}  // namespace sumwise::test
