// Choosing inputs and hash files with Browse, other tools' sums files, paths
// beyond the classic limit, and the system's open dialog itself.
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

TEST(Browse, ChoosesInputsAndHashFiles) {
    TempDir dir;
    const auto image = dir.write("image.iso", "abc");
    const auto sha256 = dir.write("image.iso.sha-256",
                                  "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  image.iso\n");
    dir.write("image.iso.crc32", "352441C2\r\n");
    const auto second = dir.write("second.bin", "abc");
    dir.write("second.bin.md5", std::string(kMd5OfAbcLower) + "\r\n");
    RunningApp app(L"");  // CRC32, MD5 and SHA-1 ticked

    app.browse(std::nullopt);  // cancelled
    EXPECT_EQ(app.text(IDC_INPUT), L"");
    EXPECT_EQ(app.text(IDC_COMPARE), L"");

    // A hash file fills the compare box and leaves the input alone.
    app.browse(sha256.wstring());
    EXPECT_EQ(app.text(IDC_COMPARE), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(app.text(IDC_INPUT), L"");

    // An input: its size, and the compare box keeps what it holds.
    app.browse(image.wstring());
    EXPECT_EQ(app.text(IDC_INPUT), image.wstring());
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 3 B");
    EXPECT_EQ(app.text(IDC_COMPARE), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    app.hashAndWait();
    EXPECT_EQ(compareShows(app), L"NEGATIVE");  // SHA-256 is not ticked

    // The same input again, in other letters: nothing changes, the values stay.
    std::wstring upper = image.wstring();
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    app.browse(upper);
    EXPECT_EQ(app.text(IDC_INPUT), image.wstring());
    EXPECT_EQ(app.value(L"CRC32"), kCrc32OfAbc);

    // A hash file that cannot be read: still a hash file, so the input stays; the box too.
    app.browse((dir.path() / L"missing.md5").wstring());
    EXPECT_EQ(app.text(IDC_INPUT), image.wstring());
    EXPECT_EQ(app.text(IDC_COMPARE), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    // Ctrl+Browse: the hash file beside the input replaces the box, and no dialog is shown.
    app.ctrl = true;
    app.browse(second.wstring());
    app.ctrl = false;
    EXPECT_EQ(app.text(IDC_COMPARE), kCrc32OfAbc);
    EXPECT_EQ(app.text(IDC_INPUT), image.wstring());
    EXPECT_EQ(compareShows(app), L"CRC32");

    // Another input with an empty compare box: its hash file is loaded.
    app.setText(IDC_COMPARE, L"");
    app.browse(second.wstring());
    EXPECT_EQ(app.text(IDC_INPUT), second.wstring());
    EXPECT_EQ(app.value(L"CRC32"), L"");  // the values were the other file's
    EXPECT_EQ(app.text(IDC_COMPARE), widen(kMd5OfAbcLower));
}

TEST(Browse, TakesOtherToolsSumsFilesForHashFiles) {
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring box;  // empty: the file became the input
    };
    const std::string sha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const Case cases[] = {
        {"image.iso.sha256", "1111  other.iso\n" + sha256 + "  image.iso\n", widen(sha256)},
        {"SHA256SUMS", "2222  other.iso\n" + sha256 + " *image.iso\n", widen(sha256)},
        {"sha1sums.txt", "3333  other.iso\n4444  third.iso\n", L"3333"},  // the input not named: the first line
        {"release.md5", "5555  a.iso\r\n6666  b.iso\r\n", L"5555"},
        {"checksums.sha512", "SHA512 (a.iso) = 7777\nSHA512 (image.iso) = 8888\n", L"8888"},
        {"image.iso.sha1", "a9993e364706816aba3e25717850c26c9cd0d89d\r\n",
         L"a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"image.iso.sha384", "# made by hand\n\n9999  image.iso\n", L"9999"},
        {"B2SUMS", "1111  other.iso\n2222  image.iso\n", L"2222"},
        {"B3SUMS", "3333 *image.iso\n", L"3333"},
        {"release.b3", "4444  a.iso\n5555  image.iso\n", L"5555"},
        {"release.xxh3", "XXH3 (image.iso) = 6666\n", L"6666"},
        {"image.iso.xxh64", "7777  image.iso\n", L"7777"},
        {"release.CRC32C", "CRC32C (image.iso) = 8888\n", L"8888"},
        // Named like one, but not one: an input like any other.
        {"image.iso.sha224", "these are notes\n", L""},
        {"notes.sha256", "1111 other.iso\n", L""},
        {"sums.txt", "1111  image.iso\n", L""},
    };
    TempDir dir;
    const auto image = dir.write("image.iso", "abc");
    RunningApp app(L"/H:SHA-256");
    app.browse(image.wstring());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto chosen = dir.write(c.name, c.bytes);
        app.setText(IDC_COMPARE, L"");
        app.browse(chosen.wstring());
        if (c.box.empty()) {
            EXPECT_EQ(app.text(IDC_INPUT), chosen.wstring());
            EXPECT_EQ(app.text(IDC_COMPARE), L"");
            app.browse(image.wstring());
        } else {
            EXPECT_EQ(app.text(IDC_COMPARE), c.box);
            EXPECT_EQ(app.text(IDC_INPUT), image.wstring());
        }
    }
    // The input's own line, compared.
    app.browse((dir.path() / L"SHA256SUMS").wstring());
    app.hashAndWait();
    EXPECT_EQ(compareShows(app), L"SHA-256");
}

// Files and folders beyond the classic path limit, made and removed at their full names.
class LongPaths {
public:
    explicit LongPaths(const std::filesystem::path& base) : base_(base.wstring()) {}
    ~LongPaths() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            if (!DeleteFileW(extended(*it).c_str())) RemoveDirectoryW(extended(*it).c_str());
        }
    }
    LongPaths(const LongPaths&) = delete;
    LongPaths& operator=(const LongPaths&) = delete;

    // A folder inside the base whose own path is `length` characters long.
    std::wstring folder(std::size_t length) {
        std::wstring path = base_;
        while (path.size() + 1 < length) {
            // Never leave a single character over: a folder name needs a separator and one more.
            const std::size_t left = length - path.size();
            const std::size_t part = left <= 101 ? left - 1 : left - 101 >= 2 ? 100 : 97;
            path += L"\\" + std::wstring(part, L'd');
            if (CreateDirectoryW(extended(path).c_str(), nullptr)) made_.push_back(path);
        }
        return path;
    }
    void write(const std::wstring& path, std::string_view bytes) {
        const HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path.size();
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        made_.push_back(path);
    }

private:
    static std::wstring extended(const std::wstring& path) { return L"\\\\?\\" + path; }
    std::wstring base_;
    std::vector<std::wstring> made_;
};

TEST(LongPaths, InputsAndHashFilesAreReachedAtTheirFullNames) {
    TempDir dir;
    LongPaths paths(dir.path());
    {
        // A 255-character input on the command line: its hash file's name is longer than 259.
        const std::wstring folder = paths.folder(246);
        const std::wstring input = folder + L"\\disk.iso";
        ASSERT_EQ(input.size(), 255u);
        paths.write(input, "abc");
        paths.write(input + L".ripemd-160", "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc\r\n");
        paths.write((input + L".RIPEMD-160").substr(0, 259), "cut\r\n");  // where a shortened name points
        RunningApp app(L"/H:RIPEMD-160 " + test::quoted(input));
        EXPECT_EQ(app.text(IDC_COMPARE), L"8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
        app.hashAndWait();
        EXPECT_EQ(compareShows(app), L"RIPEMD-160");
    }
    {
        // A browsed input of 300 characters is kept whole, hashed, and its hash file found.
        const std::wstring folder = paths.folder(290);
        const std::wstring input = folder + L"\\image.bin";
        ASSERT_GT(input.size(), 299u);
        paths.write(input, "abc");
        paths.write(input + L".md5", std::string(kMd5OfAbcLower) + "\r\n");
        RunningApp app(L"/H:MD5");
        app.browse(input);
        EXPECT_EQ(app.text(IDC_INPUT), input);
        EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 3 B");
        EXPECT_EQ(app.text(IDC_COMPARE), widen(kMd5OfAbcLower));
        ASSERT_TRUE(app.enabled(IDC_HASH));
        app.hashAndWait();
        EXPECT_EQ(app.value(L"MD5"), kMd5OfAbc);
        EXPECT_EQ(compareShows(app), L"MD5");
    }
}

// The system's open dialog itself (Wine's cannot take a path beyond the
// classic limit, so only the rest is tried here).
TEST(OpenDialog, AsksForAnExistingFileAndGivesItsPath) {
    TempDir dir;
    const std::wstring file = dir.write("chosen.bin", "abc").wstring();
    std::optional<std::wstring> chosen;
    {
        ModalDialogHost host({}, [&chosen](HWND owner, HWND) { chosen = results::chooseFileToOpen(owner); });
        ASSERT_NE(host.dialog(), nullptr);
        EXPECT_EQ(look::windowText(host.dialog()), L"Choose file for hash computing");
        wchar_t type[64] = {};
        SendMessageW(GetDlgItem(host.dialog(), cmb1), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
        EXPECT_STREQ(type, L"All files (*.*)");
        SetDlgItemTextW(host.dialog(), cmb13, file.c_str());
        ASSERT_TRUE(host.endWith(WM_COMMAND, IDOK, 0));
        EXPECT_EQ(chosen, file);
    }
    ModalDialogHost host({}, [&chosen](HWND owner, HWND) { chosen = results::chooseFileToOpen(owner); });
    ASSERT_TRUE(host.endWith(WM_COMMAND, IDCANCEL, 0));
    EXPECT_EQ(chosen, std::nullopt);
}

}  // namespace
}  // namespace sumwise::test
