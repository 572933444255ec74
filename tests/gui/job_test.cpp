// Jobs in the real dialog: the busy layout, suspend, resume and stop,
// Ctrl and Shift with Hash, and inputs that go away.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app_harness.h"
#include "jobs/registry.h"
#include "jobs/streaming.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

// A file of `size` bytes that takes no room on disk: it reads as zeros.
std::filesystem::path sparseFile(const TempDir& dir, const wchar_t* name, std::uint64_t size) {
    const auto path = dir.path() / name;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    return path;
}

bool openExclusively(const std::filesystem::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

int progressPosition(const RunningApp& app) {
    return static_cast<int>(SendMessageW(app.control(IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

TEST(Jobs, BusyLayoutThresholdIsFiftySteps) {
    TempDir dir;
    const auto small = dir.write("small.bin", std::vector<std::uint8_t>(24u << 20, 7));      // 49 steps
    const auto large = dir.write("large.bin", std::vector<std::uint8_t>((25u << 20) + 1, 7));  // 51 steps
    {
        RunningApp app(L"/H:CRC32 " + quoted(small));
        app.announceTaskbarButton();
        app.hashAndWait();
        std::lock_guard lock(RecordingTaskbar::mutex);
        EXPECT_EQ(std::count(app.taskbar.states.begin(), app.taskbar.states.end(), TaskbarButton::Progress::Normal), 0);
    }
    {
        RunningApp app(L"/H:CRC32 " + quoted(large));
        app.announceTaskbarButton();
        app.hashAndWait();
        std::lock_guard lock(RecordingTaskbar::mutex);
        ASSERT_FALSE(app.taskbar.states.empty());
        EXPECT_EQ(app.taskbar.states.front(), TaskbarButton::Progress::Normal);
        EXPECT_EQ(app.taskbar.states.back(), TaskbarButton::Progress::None);
        ASSERT_FALSE(app.taskbar.values.empty());
        EXPECT_EQ(app.taskbar.values.front(), std::make_pair(std::uint64_t{0}, std::uint64_t{51}));
        EXPECT_EQ(app.taskbar.values.back().first, 51u);
        EXPECT_EQ(progressPosition(app), 51);
        // Back to the idle layout.
        EXPECT_FALSE(app.visible(IDC_PROGRESS));
        EXPECT_TRUE(app.visible(IDC_SHOW_ALL));
        EXPECT_TRUE(app.enabled(IDC_RESULTS));
        EXPECT_TRUE(app.enabled(IDC_BROWSE));
        EXPECT_EQ(app.text(IDC_HASH), L"Hash");
    }
}

TEST(Jobs, SuspendResumeAndStopALongJob) {
    TempDir dir;
    const auto big = sparseFile(dir, L"big.bin", 6ull << 30);
    RunningApp app(L"/H:CRC64,Adler32 " + quoted(big));
    app.click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS) && progressPosition(app) > 0; }));
    EXPECT_EQ(app.text(IDC_FUNCTIONS_GROUP), L"Computing hash code...");
    EXPECT_EQ(app.text(IDC_HASH), L"Suspend");
    EXPECT_EQ(app.text(IDOK), L"Stop");
    EXPECT_FALSE(app.visible(IDC_SHOW_ALL));
    EXPECT_FALSE(app.enabled(IDC_TEXT_MODE));
    EXPECT_FALSE(app.enabled(IDC_RESULTS));

    app.click(IDC_HASH);  // suspend
    EXPECT_EQ(app.text(IDC_HASH), L"Resume");
    EXPECT_EQ(app.text(IDC_FUNCTIONS_GROUP), L"Computing hash code has been suspended");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let a block in progress end
    const int held = progressPosition(app);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(progressPosition(app), held);  // nothing moves while suspended

    app.click(IDC_HASH);  // resume
    EXPECT_EQ(app.text(IDC_HASH), L"Suspend");
    ASSERT_TRUE(waitFor([&] { return progressPosition(app) > held; }));

    app.click(IDOK);  // stop
    ASSERT_TRUE(waitFor([&] { return app.jobFinished(); }));
    SendMessageW(app.dialog(), WM_NULL, 0, 0);
    EXPECT_EQ(app.value(L"CRC64"), L"");  // stopped workers post nothing
    EXPECT_EQ(app.value(L"Adler32"), L"");
    EXPECT_EQ(app.text(IDOK), L"OK");
    EXPECT_EQ(app.text(IDC_HASH), L"Hash");
    EXPECT_TRUE(app.visible(IDC_SHOW_ALL));
    EXPECT_TRUE(openExclusively(big));  // every input handle was closed
}

TEST(Jobs, StopWhileSuspendedAndCloseTwice) {
    TempDir dir;
    const auto big = sparseFile(dir, L"big.bin", 6ull << 30);
    RunningApp app(L"/H:CRC64 " + quoted(big));
    app.click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return progressPosition(app) > 0; }));
    app.click(IDC_HASH);
    // Closing the window while a job is active only stops the job.
    SendMessageW(app.dialog(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(waitFor([&] { return app.jobFinished(); }));
    EXPECT_TRUE(IsWindow(app.dialog()));
    EXPECT_EQ(app.value(L"CRC64"), L"");
    EXPECT_TRUE(app.close());
}

TEST(Jobs, HashComputesOnlyRowsWithoutValueAndShiftRecomputesAll) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:CRC32,Adler32 " + quoted(file));
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC32"), L"352441C2");
    const std::wstring titleAfterJob = app.title();

    // Everything has its value: Hash does nothing.
    app.click(IDC_HASH);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(app.title(), titleAfterJob);

    // The file changes; Shift+Hash computes every ticked row again.
    dir.write("abc.txt", "123456789");
    app.shift = true;
    app.hashAndWait();
    app.shift = false;
    EXPECT_EQ(app.value(L"CRC32"), L"CBF43926");
    EXPECT_EQ(app.value(L"Adler32"), L"091E01DE");
}

TEST(Jobs, InputThatCannotBeOpenedLeavesNoStaleValue) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    RunningApp app(L"/H:CRC32 " + quoted(file));
    app.hashAndWait();
    ASSERT_EQ(app.value(L"CRC32"), L"352441C2");
    std::filesystem::remove(file);
    app.shift = true;
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC32"), L"");
}

TEST(Jobs, EveryAlgorithmAtOnceMatchesTheDriversOnItsOwn) {
    TempDir dir;
    const auto bytes = randomBytes(3 * kBlockSize + 123, 42);
    const auto file = dir.write("input.bin", bytes);
    std::wstring names;
    for (const AlgorithmEntry& entry : algorithms()) names += (names.empty() ? L"" : L",") + std::wstring(entry.name);
    RunningApp app(L"/H:" + names + L" " + quoted(file));
    ASSERT_EQ(app.rows().size(), kAlgorithmCount);
    app.hashAndWait();
    for (const AlgorithmEntry& entry : algorithms()) {
        const HashResult alone = hashFile(entry, file, {});
        ASSERT_TRUE(alone.complete());
        EXPECT_EQ(app.value(std::wstring(entry.name)), digestWideText(alone.digest, LetterCase::Upper))
            << entry.asciiName();
    }
}

TEST(Jobs, Md6ParametersFromTheCommandLine) {
    TempDir dir;
    const auto file = dir.write("abc.txt", "abc");
    {
        RunningApp app(L"/H:MD6 /D:12 /R:43 " + quoted(file));
        app.hashAndWait();
        EXPECT_EQ(app.value(L"MD6"), L"5D7");
    }
    {
        // Out of range: the digest is empty, not stale and not a crash.
        RunningApp app(L"/H:MD6,MD5 /D:0 " + quoted(file));
        app.hashAndWait();
        EXPECT_EQ(app.value(L"MD6"), L"");
        EXPECT_EQ(app.value(L"MD5"), L"900150983CD24FB0D6963F7D28E17F72");
    }
    {
        RunningApp app(L"/H:MD6 /L 0 " + quoted(file));
        app.hashAndWait();
        EXPECT_EQ(app.value(L"MD6"), L"93C70C8D38E1D0B583024A3F17C95FE23B3A19BFAD96D567F1E522B89EC7B365");
    }
    {
        // A key given on the command line keeps the rounds it was given (104).
        RunningApp app(L"/H:MD6 /K:secret " + quoted(file));
        app.hashAndWait();
        AlgorithmParams keyed;
        std::copy_n("secret", 6, keyed.md6.key.begin());
        EXPECT_EQ(app.value(L"MD6"), digestWideText(hashText(algorithm("MD6"), "abc", keyed), LetterCase::Upper));
        EXPECT_NE(app.value(L"MD6"), L"230637D4E6845CF0D092B558E87625F03881DD53A7439DA34CF3B94ED0D8B2C5");
    }
}

}  // namespace
}  // namespace sumwise::test
