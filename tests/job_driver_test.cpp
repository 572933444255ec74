// The job driver with a recording window: job sizes and the busy layout,
// suspend, resume, stop, logging, and inputs that cannot be read.
#include <gtest/gtest.h>

#include <bit>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

#include "jobs/job_driver.h"
#include "jobs/streaming.h"
#include "test_support.h"

namespace sumwise {
namespace {

class RecordingView final : public JobView {
public:
    JobDriver* driver = nullptr;

    void refreshCompare() override {
        std::unique_lock lock(mutex_);
        ++compareRefreshes;
        // A test may hold the job at its start.
        released_.wait(lock, [this] { return !holdAtStart_; });
    }
    std::optional<VolumeChoice> chosenVolume() override { return volume; }
    void enterBusyLayout(std::uint64_t total) override {
        std::lock_guard lock(mutex_);
        busyTotal = total;
    }
    void progressStep(std::uint64_t completed, std::uint64_t total) override {
        std::lock_guard lock(mutex_);
        ++steps;
        lastStep = completed;
        stepTotal = total;
    }
    void showSuspended(bool suspended) override {
        std::lock_guard lock(mutex_);
        suspendedLabels.push_back(suspended);
    }
    void showResult(std::uint32_t flag, const std::wstring& text) override {
        std::lock_guard lock(mutex_);
        results[flag] = text;
    }
    void jobEnded() override { driver->finish(); }
    void jobFinished(std::uint32_t elapsed, bool wasBusy, bool fileJob) override {
        std::lock_guard lock(mutex_);
        finishedCalls++;
        lastElapsed = elapsed;
        lastWasBusy = wasBusy;
        lastFileJob = fileJob;
    }

    void holdAtStart() {
        std::lock_guard lock(mutex_);
        holdAtStart_ = true;
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            holdAtStart_ = false;
        }
        released_.notify_all();
    }
    std::map<std::uint32_t, std::wstring> resultsNow() {
        std::lock_guard lock(mutex_);
        return results;
    }

    std::optional<VolumeChoice> volume;
    int compareRefreshes = 0;
    std::optional<std::uint64_t> busyTotal;
    int steps = 0;
    std::uint64_t lastStep = 0;
    std::uint64_t stepTotal = 0;
    std::vector<bool> suspendedLabels;
    std::map<std::uint32_t, std::wstring> results;
    int finishedCalls = 0;
    std::uint32_t lastElapsed = 0;
    bool lastWasBusy = false;
    bool lastFileJob = false;

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool holdAtStart_ = false;
};

class MemoryLog final : public ResultLog {
public:
    bool append(const LocalTime&, const std::vector<std::wstring>& lines) override {
        std::lock_guard lock(mutex_);
        entries.push_back(lines);
        return true;
    }
    LocalTime now() const override { return LocalTime{2026, 12, 7, 10, 11, 12, 13}; }
    std::vector<std::vector<std::wstring>> entries;

private:
    std::mutex mutex_;
};

std::uint32_t flag(const char* name) { return *flagForName(std::string_view(name)); }

class JobDriverTest : public ::testing::Test {
protected:
    JobDriverTest() { view.driver = &driver; }

    void runToEnd() {
        driver.hashPressed();
        driver.waitUntilIdle();
    }

    test::TempDir dir;
    HashJob job;
    RecordingView view;
    MemoryLog log;
    JobDriver driver{job, view, log};
};

TEST(JobSizes, StepsPerBlockPerAlgorithmAndTheBusyThreshold) {
    EXPECT_EQ(progressSteps(0, 3), 0u);
    EXPECT_EQ(progressSteps(1, 1), 1u);
    EXPECT_EQ(progressSteps(kBlockSize, 1), 2u);
    EXPECT_EQ(progressSteps(24u << 20, 1), 49u);       // 48 blocks
    EXPECT_EQ(progressSteps(25u << 20, 1), 51u);       // 50 blocks plus one
    EXPECT_EQ(progressSteps(10u << 20, 3), 63u);       // 3 x 21
    EXPECT_EQ(progressSteps(8ull << 30, 22), 22u * 16385u);
    EXPECT_FALSE(usesBusyLayout(49, false));
    EXPECT_FALSE(usesBusyLayout(50, false));
    EXPECT_TRUE(usesBusyLayout(51, false));
    EXPECT_TRUE(usesBusyLayout(1, true));
    EXPECT_FALSE(usesBusyLayout(0, true));
}

TEST_F(JobDriverTest, TextJobPostsEveryAlgorithmWithoutBusyLayout) {
    job.fileMode = false;
    job.path = L"abc";
    job.text = "abc";
    job.jobMask = flag("CRC32") | flag("Adler32") | flag("CRC64");
    runToEnd();
    const auto results = view.resultsNow();
    EXPECT_EQ(results.at(flag("CRC32")), L"352441C2");
    EXPECT_EQ(results.at(flag("Adler32")), L"024D0127");
    EXPECT_EQ(results.at(flag("CRC64")), L"048B813AF9F49702");
    EXPECT_EQ(job.results[1], L"352441C2");
    EXPECT_FALSE(view.busyTotal.has_value());
    EXPECT_EQ(view.finishedCalls, 1);
    EXPECT_FALSE(view.lastFileJob);
    EXPECT_EQ(view.steps, 0);
    // Once at the start, once per posted value.
    EXPECT_EQ(view.compareRefreshes, 4);
    EXPECT_EQ(driver.state(), JobState::Idle);
}

TEST_F(JobDriverTest, LowerCaseIsReadWhenTheValueIsPosted) {
    job.fileMode = false;
    job.text = "abc";
    job.jobMask = flag("CRC32");
    job.upperCase = false;
    runToEnd();
    EXPECT_EQ(view.resultsNow().at(flag("CRC32")), L"352441c2");
}

TEST_F(JobDriverTest, BusyLayoutOnlyAboveFiftySteps) {
    job.jobMask = flag("CRC32");
    job.path = dir.write("small.bin", std::vector<std::uint8_t>(24u << 20, 1)).wstring();
    runToEnd();
    EXPECT_FALSE(view.busyTotal.has_value());
    EXPECT_EQ(job.progressTotal.load(), 49u);
    EXPECT_EQ(view.steps, 48);  // one per block read, none for the empty read at the end
    EXPECT_FALSE(view.lastWasBusy);

    job.path = dir.write("large.bin", std::vector<std::uint8_t>((25u << 20) + 1, 1)).wstring();
    view.results.clear();
    runToEnd();
    EXPECT_EQ(view.busyTotal, 51u);
    EXPECT_TRUE(view.lastWasBusy);
    EXPECT_TRUE(view.lastFileJob);
    EXPECT_EQ(view.resultsNow().count(flag("CRC32")), 1u);
}

TEST_F(JobDriverTest, SuspendHoldsTheWorkersUntilResumed) {
    job.fileMode = false;
    job.text = "abc";
    job.jobMask = flag("CRC32") | flag("Adler32");
    view.holdAtStart();
    driver.hashPressed();
    driver.hashPressed();  // a second press suspends: never a second job
    EXPECT_EQ(driver.state(), JobState::Suspended);
    view.release();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(view.resultsNow().empty());
    driver.hashPressed();  // resume
    driver.waitUntilIdle();
    EXPECT_EQ(view.resultsNow().size(), 2u);
    EXPECT_EQ(view.suspendedLabels, (std::vector<bool>{true, false}));
}

TEST_F(JobDriverTest, StopWhileSuspendedPostsNothingAndEndsTheJob) {
    job.jobMask = flag("CRC32") | flag("CRC64");
    job.path = dir.write("x.bin", test::randomBytes(3 * kBlockSize, 3)).wstring();
    job.logMode = LogMode::EveryJob;
    view.holdAtStart();
    driver.hashPressed();
    driver.hashPressed();
    view.release();
    EXPECT_TRUE(driver.stopPressed());
    driver.waitUntilIdle();
    EXPECT_TRUE(view.resultsNow().empty());
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(view.finishedCalls, 1);
    EXPECT_FALSE(driver.stopPressed());  // idle now: the window may close
}

TEST_F(JobDriverTest, EveryJobAndThisJobLogging) {
    job.fileMode = false;
    job.path = L"abc";
    job.text = "abc";
    job.jobMask = flag("CRC32") | flag("Adler32") | flag("CRC64");
    job.logMode = LogMode::ThisJob;
    runToEnd();
    ASSERT_EQ(log.entries.size(), 3u);
    for (const auto& entry : log.entries) {
        ASSERT_EQ(entry.size(), 6u);
        EXPECT_EQ(entry[1], L"       Text: \"abc\"");
    }
    EXPECT_EQ(job.logMode.load(), LogMode::Off);  // for this job only
    runToEnd();
    EXPECT_EQ(log.entries.size(), 3u);

    job.logMode = LogMode::EveryJob;
    runToEnd();
    runToEnd();
    EXPECT_EQ(log.entries.size(), 9u);
    EXPECT_EQ(job.logMode.load(), LogMode::EveryJob);
}

// Every worker posts at once; the log gets each entry whole, one at a time,
// and every algorithm exactly once.
TEST_F(JobDriverTest, WorkersLogOneWholeEntryEachAndNeverAtOnce) {
    class OneAtATimeLog final : public ResultLog {
    public:
        bool append(const LocalTime&, const std::vector<std::wstring>& lines) override {
            if (inside_.fetch_add(1) != 0) overlapped = true;
            std::this_thread::sleep_for(std::chrono::microseconds(200));  // widen the window
            entries.push_back(lines);  // unguarded: the driver must serialise the calls
            inside_.fetch_sub(1);
            return true;
        }
        LocalTime now() const override { return {}; }
        std::vector<std::vector<std::wstring>> entries;
        std::atomic<bool> overlapped{false};

    private:
        std::atomic<int> inside_{0};
    } oneAtATime;
    JobDriver logged(job, view, oneAtATime);
    view.driver = &logged;
    job.fileMode = false;
    job.text = "abc";
    job.jobMask = availableAlgorithms();
    job.logMode = LogMode::EveryJob;
    for (int round = 0; round < 3; ++round) {
        oneAtATime.entries.clear();
        logged.hashPressed();
        logged.waitUntilIdle();
        EXPECT_FALSE(oneAtATime.overlapped.load());
        std::set<std::wstring> names;
        for (const auto& entry : oneAtATime.entries) {
            ASSERT_EQ(entry.size(), 6u);
            names.insert(entry[2].substr(0, entry[2].find(L':')));
        }
        EXPECT_EQ(oneAtATime.entries.size(), static_cast<std::size_t>(std::popcount(job.jobMask)));
        EXPECT_EQ(names.size(), oneAtATime.entries.size());
    }
    view.driver = &driver;
}

TEST_F(JobDriverTest, UnreadableInputShowsNoValueAndTheJobStillEnds) {
    job.jobMask = flag("CRC32");
    job.path = (dir.path() / "missing.bin").wstring();
    runToEnd();
    EXPECT_TRUE(view.resultsNow().empty());
    EXPECT_EQ(view.finishedCalls, 1);
    EXPECT_EQ(job.progressTotal.load(), 0u);

    job.path = dir.path().wstring();  // a folder
    runToEnd();
    EXPECT_TRUE(view.resultsNow().empty());
}

TEST_F(JobDriverTest, DiskJobReadsTheChosenVolume) {
    const auto bytes = test::randomBytes(kBlockSize + 100, 5);
    VolumeChoice volume;
    volume.letter = L'E';
    volume.path = dir.write("volume.img", bytes);
    volume.size = bytes.size();
    volume.label = L"DISC";
    view.volume = volume;
    job.diskMode = true;
    job.fileMode = true;
    job.jobMask = flag("CRC32");
    job.logMode = LogMode::EveryJob;
    runToEnd();
    EXPECT_EQ(view.busyTotal, 2u);  // disk jobs show progress whenever the size is known
    const std::string expected = test::hexOf("CRC32", bytes);
    EXPECT_EQ(view.resultsNow().at(flag("CRC32")), std::wstring(expected.begin(), expected.end()));
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0][1], L"       Disk: (E:) DISC");
    EXPECT_FALSE(view.lastFileJob);
}

TEST_F(JobDriverTest, ZeroMaskDoesNothing) {
    job.jobMask = 0;
    driver.hashPressed();
    EXPECT_EQ(driver.state(), JobState::Idle);
    EXPECT_EQ(view.finishedCalls, 0);
}

}  // namespace
}  // namespace sumwise
