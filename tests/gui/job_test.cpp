// Jobs in the real dialog: the busy layout, suspend, resume and stop,
// Ctrl and Shift with Hash, and inputs that go away.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <regex>

#include "algorithms/algorithm_table.h"
#include "app_harness.h"
#include "jobs/streaming.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

bool openExclusively(const std::filesystem::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

std::wstring hexOfWide(std::string_view name, const std::vector<std::uint8_t>& bytes) {
    const std::string text = hexOf(name, bytes);
    return std::wstring(text.begin(), text.end());
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
        EXPECT_EQ(app.text(IDC_HASH), L"&Hash");
    }
}

TEST(Jobs, SuspendResumeAndStopALongJob) {
    TempDir dir;
    const auto big = sparseFile(dir, L"big.bin", 6ull << 30);
    RunningApp app(L"/H:CRC64,Adler32 " + quoted(big));
    const std::wstring idleGroup = app.text(IDC_INPUT_GROUP);
    app.click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS) && progressPosition(app) > 0; }));
    EXPECT_EQ(app.text(IDC_FUNCTIONS_GROUP), L"Computing hash code...");
    EXPECT_EQ(app.text(IDC_HASH), L"S&uspend");
    EXPECT_EQ(app.text(IDOK), L"Sto&p");
    // The title tells the time so far, the share done, the speed and the time left; the input group is as idle.
    const std::wregex progressTitle(
        L"Sumwise \\(Time: \\d\\d:\\d\\d:\\d{3}\\) \\d{1,3} %, [0-9.,]+ (B|KB|MB|GB)/s, (\\d+:)?\\d\\d:\\d\\d left");
    ASSERT_TRUE(waitFor([&] { return std::regex_match(app.title(), progressTitle); }))
        << std::string(app.title().begin(), app.title().end());
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), idleGroup);
    EXPECT_FALSE(app.jobFinished());
    EXPECT_FALSE(app.visible(IDC_SHOW_ALL));
    EXPECT_FALSE(app.enabled(IDC_TEXT_MODE));
    EXPECT_FALSE(app.enabled(IDC_RESULTS));

    app.click(IDC_HASH);  // suspend
    EXPECT_EQ(app.text(IDC_HASH), L"Resu&me");
    EXPECT_EQ(app.text(IDC_FUNCTIONS_GROUP), L"Computing hash code has been suspended");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let a block in progress end
    const int held = progressPosition(app);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(progressPosition(app), held);  // nothing moves while suspended

    app.click(IDC_HASH);  // resume
    EXPECT_EQ(app.text(IDC_HASH), L"S&uspend");
    ASSERT_TRUE(waitFor([&] { return progressPosition(app) > held; }));

    app.click(IDOK);  // stop
    ASSERT_TRUE(waitFor([&] { return app.jobFinished(); }));
    SendMessageW(app.dialog(), WM_NULL, 0, 0);
    EXPECT_EQ(app.title(), L"Sumwise (stopped)");  // no time that would pass for a whole job's
    EXPECT_EQ(app.value(L"CRC64"), L"");  // stopped workers post nothing
    EXPECT_EQ(app.value(L"Adler32"), L"");
    EXPECT_EQ(app.text(IDOK), L"&OK");
    EXPECT_EQ(app.text(IDC_HASH), L"&Hash");
    EXPECT_TRUE(app.visible(IDC_SHOW_ALL));
    EXPECT_TRUE(openExclusively(big));  // every input handle was closed
}

TEST(Jobs, EnterStartedLongJobKeepsTheKeyboard) {
    // Enter pressed in a control the busy layout disables: the focus goes to
    // Suspend, and back when the job ends, so keys keep working throughout.
    TempDir dir;
    const auto big = sparseFile(dir, L"big.bin", 6ull << 30);
    for (int control : {IDC_RESULTS, IDC_SHOW_ALL, IDC_SMALL_CAPS}) {
        SCOPED_TRACE(testing::Message() << "control " << control);
        RunningApp app(L"/H:CRC32 " + quoted(big));
        SendMessageW(app.dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(app.control(control)), TRUE);
        ASSERT_EQ(app.focusedControl(), control);
        app.pressKey(control, VK_RETURN);
        ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS); }));
        app.settle();
        EXPECT_FALSE(app.enabled(IDC_RESULTS));
        EXPECT_EQ(app.focusedControl(), IDC_HASH);
        // Esc reaches the dialog during the job: it stops the job.
        app.pressKey(IDC_HASH, VK_ESCAPE);
        ASSERT_TRUE(waitFor([&] { return app.text(IDOK) == L"&OK"; }));
        app.settle();
        EXPECT_FALSE(app.ended());
        EXPECT_EQ(app.focusedControl(), control);
        // And after it: Tab moves on to the next control.
        app.pressKey(control, VK_TAB);
        const int next = app.focusedControl();
        EXPECT_NE(next, control);
        EXPECT_NE(next, 0);
    }
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
    EXPECT_EQ(app.title(), L"Sumwise (stopped)");
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

// Waits until the dialog is idle again after a job that showed no time.
void waitUntilIdle(RunningApp& app) {
    ASSERT_TRUE(waitFor([&] { return app.text(IDC_HASH) == L"&Hash" && app.text(IDOK) == L"&OK"; }));
    SendMessageW(app.dialog(), WM_NULL, 0, 0);
}

TEST(Jobs, InputsThatCannotBeHashedSaySoInTheWindow) {
    TempDir dir;
    const auto eight = dir.write("locked.bin", std::vector<std::uint8_t>(8u << 20, 1));
    const auto vanishing = dir.write("vanishing.bin", "abc");
    const std::wstring cannotOpen = L"Cannot open the input: ";
    {
        // Held by another program: its size still shows, the job says why it got nothing.
        RunningApp app(L"/H:CRC32,MD5 " + quoted(eight));
        EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 8.00 MB");
        const HANDLE holder = CreateFileW(eight.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        app.click(IDC_HASH);
        ASSERT_TRUE(waitFor([&] { return app.text(IDC_INPUT_GROUP).rfind(cannotOpen, 0) == 0; }));
        waitUntilIdle(app);
        const std::wstring reason = app.text(IDC_INPUT_GROUP).substr(cannotOpen.size());
        EXPECT_FALSE(reason.empty());
        EXPECT_NE(reason.rfind(L"Error ", 0), 0u) << "the system's own words";
        EXPECT_EQ(app.title(), L"Sumwise");  // no time: nothing was computed
        EXPECT_EQ(app.value(L"CRC32"), L"");
        EXPECT_EQ(app.value(L"MD5"), L"");
        // Let go, it hashes and the size is back.
        CloseHandle(holder);
        app.hashAndWait();
        EXPECT_EQ(app.value(L"CRC32"), hexOfWide("CRC32", std::vector<std::uint8_t>(8u << 20, 1)));
        EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 8.00 MB");
    }
    {
        // Gone between choosing it and pressing Hash.
        RunningApp app(L"/H:CRC32 " + quoted(vanishing));
        std::filesystem::remove(vanishing);
        app.click(IDC_HASH);
        ASSERT_TRUE(waitFor([&] { return app.text(IDC_INPUT_GROUP).rfind(cannotOpen, 0) == 0; }));
        waitUntilIdle(app);
        EXPECT_GT(app.text(IDC_INPUT_GROUP).size(), cannotOpen.size());
        EXPECT_EQ(app.title(), L"Sumwise");
        EXPECT_EQ(app.value(L"CRC32"), L"");
    }
    // What a path names when it is no file: said instead of a size of 0 B.
    struct Case {
        std::wstring path;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {(dir.path() / "nothing-here.bin").wstring(), L"File not found"},
        {(dir.path() / "no-folder" / "x.bin").wstring(), L"File not found"},
        {dir.path().wstring(), L"This is a folder, not a file"},
    };
    for (const Case& c : cases) {
        RunningApp app(L"/H:CRC32 " + quoted(std::filesystem::path(c.path)));
        EXPECT_EQ(app.text(IDC_INPUT_GROUP), c.caption);
        EXPECT_FALSE(app.enabled(IDC_HASH));
    }
}

TEST(Jobs, APathBeyondTheClassicLimitIsUsedWhole) {
    TempDir dir;
    std::filesystem::path deep = dir.path();
    while (deep.wstring().size() < 330) deep /= std::wstring(60, L'd');
    std::filesystem::create_directories(L"\\\\?\\" + deep.wstring());
    const std::filesystem::path file = deep / L"abc.txt";
    {
        std::ofstream stream(std::filesystem::path(L"\\\\?\\" + file.wstring()), std::ios::binary);
        stream << "abc";
    }
    ASSERT_GT(file.wstring().size(), 340u);
    RunningApp app(L"/H:CRC32 " + quoted(file));
    EXPECT_EQ(app.text(IDC_INPUT), file.wstring());
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 3 B");
    ASSERT_TRUE(app.enabled(IDC_HASH));
    app.hashAndWait();
    EXPECT_EQ(app.value(L"CRC32"), L"352441C2");
}

// The Linux process this program runs as under Wine, asked of the kernel
// itself (a file opened through Wine is opened by the Wine server, so
// "/proc/self" would name the server); none elsewhere.
std::optional<long> linuxProcessId() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return std::nullopt;
    long id = 39;  // getpid
    asm volatile("syscall" : "+a"(id) : : "rcx", "r11", "memory");
    return id;
}

// Bytes this process has read from files so far, as Linux counts them.
std::optional<std::uint64_t> bytesReadSoFar() {
    const auto process = linuxProcessId();
    if (!process) return std::nullopt;
    std::ifstream io("Z:\\proc\\" + std::to_string(*process) + "\\io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return std::nullopt;
}

std::wstring everyAlgorithmName() {
    std::wstring names;
    for (const AlgorithmEntry& entry : algorithms()) names += (names.empty() ? L"" : L",") + std::wstring(entry.wideName());
    return names;
}

TEST(Jobs, EveryAlgorithmReadsTheInputOnce) {
    TempDir dir;
    const std::size_t size = 8u << 20;
    const auto bytes = randomBytes(size, 16);
    const auto file = dir.write("input.bin", bytes);
    RunningApp app(L"/H:" + everyAlgorithmName() + L" " + quoted(file));
    app.announceTaskbarButton();
    const auto before = bytesReadSoFar();
    if (!before) GTEST_SKIP() << "no read counter on this system";
    app.hashAndWait();
    const std::uint64_t read = *bytesReadSoFar() - *before;
    std::printf("read %llu bytes for an input of %llu\n", static_cast<unsigned long long>(read),
                static_cast<unsigned long long>(size));
    EXPECT_GE(read, size);
    EXPECT_LT(read, size + size / 8) << "read " << read << " bytes for an input of " << size;
    EXPECT_EQ(app.value(L"SHA-256"), hexOfWide("SHA-256", bytes));
    // Every step of every algorithm is counted and shown.
    const std::uint64_t steps = kAlgorithmCount * (size / kBlockSize);
    EXPECT_EQ(static_cast<std::uint64_t>(progressPosition(app)), steps);
    std::lock_guard lock(RecordingTaskbar::mutex);
    ASSERT_FALSE(app.taskbar.values.empty());
    EXPECT_EQ(app.taskbar.values.back(), std::make_pair(steps, kAlgorithmCount * (size / kBlockSize + 1)));
}

// How long an action posted to the dialog's queue takes to show its effect.
std::chrono::milliseconds timeToEffect(const std::function<void()>& act, const std::function<bool()>& effect) {
    const auto start = std::chrono::steady_clock::now();
    act();
    if (!waitFor(effect, std::chrono::seconds(60))) return std::chrono::hours(1);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST(Jobs, ClicksTakeEffectAtOnceWhateverIsTicked) {
    TempDir dir;
    const auto big = sparseFile(dir, L"big.bin", 1ull << 30);
    using std::chrono::milliseconds;
    struct Action {
        const char* what;
        milliseconds best{std::chrono::hours(1)};
    };
    Action suspend{"Suspend"}, resume{"Resume"}, stop{"Stop"}, close{"Close"};
    // Taken as the best of a few tries: the bound is about the program, not a busy machine.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RunningApp app(L"/H:" + everyAlgorithmName() + L" " + quoted(big));
        app.postClick(IDC_HASH);
        ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS) && progressPosition(app) > 0; }));
        suspend.best = std::min(suspend.best, timeToEffect([&] { app.postClick(IDC_HASH); },
                                                           [&] { return app.text(IDC_HASH) == L"Resu&me"; }));
        std::this_thread::sleep_for(milliseconds(150));
        const int held = progressPosition(app);
        std::this_thread::sleep_for(milliseconds(200));
        EXPECT_EQ(progressPosition(app), held) << "nothing moves while suspended";
        resume.best = std::min(resume.best, timeToEffect([&] { app.postClick(IDC_HASH); },
                                                         [&] { return app.text(IDC_HASH) == L"S&uspend"; }));
        ASSERT_TRUE(waitFor([&] { return progressPosition(app) > held; }));
        stop.best = std::min(stop.best, timeToEffect([&] { app.postClick(IDOK); }, [&] { return app.jobFinished(); }));
        EXPECT_EQ(app.value(L"CRC32"), L"");
        EXPECT_TRUE(openExclusively(big)) << "the input was closed";

        // Closing the window while a job runs stops the job; the window stays.
        app.setText(IDC_INPUT, L"");  // a fresh title
        app.setText(IDC_INPUT, big.wstring());
        SendMessageW(app.control(IDC_PROGRESS), PBM_SETPOS, 0, 0);  // what the last job showed
        app.postClick(IDC_HASH);
        ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS) && progressPosition(app) > 0; }));
        close.best = std::min(close.best, timeToEffect([&] { PostMessageW(app.dialog(), WM_CLOSE, 0, 0); },
                                                       [&] { return app.jobFinished(); }));
        EXPECT_TRUE(IsWindow(app.dialog()));
        if (std::max({suspend.best, resume.best, stop.best, close.best}) <= milliseconds(200)) break;
    }
    for (const Action* action : {&suspend, &resume, &stop, &close}) {
        EXPECT_LE(action->best.count(), 200) << action->what;
        std::printf("%s took effect after %lld ms\n", action->what, static_cast<long long>(action->best.count()));
    }
}

TEST(Jobs, EveryAlgorithmAtOnceMatchesTheDriversOnItsOwn) {
    TempDir dir;
    const auto bytes = randomBytes(3 * kBlockSize + 123, 42);
    const auto file = dir.write("input.bin", bytes);
    std::wstring names;
    for (const AlgorithmEntry& entry : algorithms()) names += (names.empty() ? L"" : L",") + std::wstring(entry.wideName());
    RunningApp app(L"/H:" + names + L" " + quoted(file));
    ASSERT_EQ(app.rows().size(), kAlgorithmCount);
    app.hashAndWait();
    for (const AlgorithmEntry& entry : algorithms()) {
        const HashResult alone = hashFile(entry, file, {});
        ASSERT_TRUE(alone.complete());
        EXPECT_EQ(app.value(std::wstring(entry.wideName())), digestWideText(alone.digest, LetterCase::Upper))
            << entry.name;
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
        // Out of range: held to the dialog's ranges (d 1..512, L 0..255, r 1..255), so MD6 has a value.
        const struct {
            const wchar_t* options;
            std::uint32_t d, L, r;
        } rows[] = {{L"/D:0", 1, 64, 104}, {L"/D:-5 /L:999", 1, 255, 104}, {L"/D:9999 /R:0", 512, 64, 1},
                    {L"/R:300 /L:-1", 256, 0, 255}};
        for (const auto& row : rows) {
            RunningApp app(L"/H:MD6,MD5 " + std::wstring(row.options) + L" " + quoted(file));
            app.hashAndWait();
            AlgorithmParams held;
            held.md6.d = row.d;
            held.md6.L = row.L;
            held.md6.r = row.r;
            EXPECT_EQ(app.value(L"MD6"), digestWideText(hashText(algorithm("MD6"), "abc", held), LetterCase::Upper))
                << row.d << " " << row.L << " " << row.r;
            EXPECT_EQ(app.value(L"MD5"), L"900150983CD24FB0D6963F7D28E17F72");
        }
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
