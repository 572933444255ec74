// Many jobs on the real dialog, started, suspended, resumed and stopped at
// random moments, and jobs whose input is gone or held by another program:
// afterwards the process holds no more handles or threads than before, and
// no stopped or failed job ever put a value into the list.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "app_harness.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

struct Counts {
    DWORD handles = 0;
    int threads = 0;
};

// Wine answers GetProcessHandleCount with 0: there the open handles are
// found by asking about each handle value in turn.
DWORD handleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < (1u << 16); value += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

Counts countsNow() {
    Counts counts;
    counts.handles = handleCount();
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++counts.threads;
    }
    CloseHandle(snapshot);
    return counts;
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool idle(const RunningApp& app) { return app.text(IDC_HASH) == L"&Hash" && app.text(IDOK) == L"&OK"; }

// Jobs the dialog has finished: each ends by taking the progress off the taskbar button.
std::ptrdiff_t jobsFinished(const RunningApp& app) {
    std::lock_guard lock(RecordingTaskbar::mutex);
    return std::count(app.taskbar.states.begin(), app.taskbar.states.end(), TaskbarButton::Progress::None);
}

enum class Stress {
    Interrupted,  // start, then suspend and resume at random, then stop
    Vanished,     // the input is deleted or renamed before Hash
    Held,         // another program holds the input open for itself
};

struct StressCase {
    const char* what;
    Stress kind;
    int iterations;
};

void PrintTo(const StressCase& c, std::ostream* os) { *os << c.what; }

class StressTest : public testing::TestWithParam<StressCase> {};

TEST_P(StressTest, LeavesNoHandleOrThreadAndNoValueBehind) {
    const StressCase& c = GetParam();
    // SUMWISE_STRESS_SEED repeats a run.
    char given[16] = {};
    const unsigned seed = GetEnvironmentVariableA("SUMWISE_STRESS_SEED", given, sizeof given) != 0
                              ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                              : std::random_device{}();
    std::printf("[ stress   ] %s: %d iterations, seed %u\n", c.what, c.iterations, seed);
    std::mt19937 random(seed);
    auto pause = [&](int most) { std::this_thread::sleep_for(std::chrono::milliseconds(random() % (most + 1))); };

    TempDir dir;
    // Far more than a job gets through in the moments it runs.
    const auto big = sparseFile(dir, L"big.bin", 64ull << 30);
    RunningApp app(L"/H:CRC32,MD5 " + quoted(big));
    app.announceTaskbarButton();
    app.settle();
    // The first jobs make what the system and the thread library keep for
    // later (under Wine three handles, made within the first 25 interrupted
    // jobs and never more after them); the counts are taken after them.
    constexpr int kWarmUp = 30;
    Counts before;
    for (int i = -kWarmUp; i < c.iterations; ++i) {
        if (i == 0) before = countsNow();
        SCOPED_TRACE("iteration " + std::to_string(i) + ", seed " + std::to_string(seed));
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.kind == Stress::Vanished) {
            const auto path = dir.write("gone" + std::to_string(i + kWarmUp) + ".bin", "abc");
            app.setText(IDC_INPUT, path.wstring());
            if (i % 2 == 0) {
                std::filesystem::remove(path);
            } else {
                std::filesystem::rename(path, dir.path() / ("moved" + std::to_string(i + kWarmUp) + ".bin"));
            }
        } else if (c.kind == Stress::Held) {
            const auto path =
                dir.write("held" + std::to_string(i + kWarmUp) + ".bin", std::vector<std::uint8_t>(1u << 16, 7));
            app.setText(IDC_INPUT, path.wstring());
            holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        }

        ASSERT_TRUE(app.enabled(IDC_HASH));
        const std::ptrdiff_t finished = jobsFinished(app);
        app.postClick(IDC_HASH);
        if (c.kind == Stress::Interrupted) {
            for (int toggles = i < 0 ? 1 + i % 2 : static_cast<int>(random() % 5); toggles > 0; --toggles) {
                pause(8);
                app.postClick(IDC_HASH);  // suspend or resume
            }
            pause(8);
            app.postClick(IDOK);  // stop
        }
        ASSERT_TRUE(waitFor([&] { return jobsFinished(app) > finished && idle(app); }, std::chrono::seconds(10)))
            << "ended: " << app.ended() << ", Hash: " << narrow(app.text(IDC_HASH)) << ", OK: " << narrow(app.text(IDOK))
            << ", group: " << narrow(app.text(IDC_FUNCTIONS_GROUP)) << ", title: " << narrow(app.title());
        app.settle();
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        // A stopped job, or one whose input failed, shows nothing.
        ASSERT_EQ(app.value(L"CRC32"), L"");
        ASSERT_EQ(app.value(L"MD5"), L"");
    }

    // A handle lost per job would show hundreds; the slack is for what the
    // system makes late, at a rare moment the warm-up did not meet (up to 3
    // measured in the whole suite, 0 when the suite runs alone).
    constexpr DWORD kLateHandles = 4;
    // Worker threads end and their handles close a moment after the dialog is idle.
    Counts after = countsNow();
    waitFor(
        [&] {
            after = countsNow();
            return after.handles <= before.handles + kLateHandles && after.threads <= before.threads;
        },
        std::chrono::seconds(5));
    std::printf("[ stress   ] handles %lu -> %lu, threads %d -> %d\n", before.handles, after.handles, before.threads,
                after.threads);
    EXPECT_LE(after.handles, before.handles + kLateHandles);
    EXPECT_LE(after.threads, before.threads);
}

INSTANTIATE_TEST_SUITE_P(Jobs, StressTest,
                         testing::Values(StressCase{"interrupted at random", Stress::Interrupted, 300},
                                         StressCase{"input gone before Hash", Stress::Vanished, 60},
                                         StressCase{"input held by another program", Stress::Held, 40}),
                         [](const testing::TestParamInfo<StressCase>& row) {
                             return std::string(row.param.kind == Stress::Interrupted ? "Interrupted"
                                                : row.param.kind == Stress::Vanished  ? "Vanished"
                                                                                      : "Held");
                         });

}  // namespace
}  // namespace sumwise::test
