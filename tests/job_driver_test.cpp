// The job driver with a recording window: job sizes and the busy layout,
// suspend, resume, stop, logging, and inputs that cannot be read.
#include <gtest/gtest.h>

#include <atomic>
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
    void showSuspended(bool suspended) override {
        std::lock_guard lock(mutex_);
        suspendedLabels.push_back(suspended);
    }
    void showResult(std::size_t algorithm, const std::wstring& text) override {
        std::lock_guard lock(mutex_);
        results[algorithms()[algorithm].flag()] = text;
    }
    void jobEnded() override { driver->finish(); }
    void jobFinished(const JobEnd& end) override {
        std::lock_guard lock(mutex_);
        finishedCalls++;
        lastElapsed = end.elapsedMilliseconds;
        lastWasBusy = end.wasBusy;
        lastFileJob = end.fileJob;
        lastFailure = end.failure;
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
    std::map<AlgorithmMask, std::wstring> resultsNow() {
        std::lock_guard lock(mutex_);
        return results;
    }

    std::optional<VolumeChoice> volume;
    int compareRefreshes = 0;
    std::optional<std::uint64_t> busyTotal;
    std::vector<bool> suspendedLabels;
    std::map<AlgorithmMask, std::wstring> results;
    int finishedCalls = 0;
    std::uint32_t lastElapsed = 0;
    bool lastWasBusy = false;
    bool lastFileJob = false;
    std::optional<InputFailure> lastFailure;

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

AlgorithmMask flag(const char* name) { return algorithmNamed(std::string_view(name))->flag(); }

AlgorithmMask everyAlgorithm() {
    AlgorithmMask mask = 0;
    for (const AlgorithmEntry& entry : algorithms()) mask |= entry.flag();
    return mask;
}

// What the job's reader took from its input, counted by the source itself.
struct ReadCount {
    std::atomic<int> opens{0};
    std::atomic<int> closes{0};
    std::atomic<std::uint64_t> bytes{0};
};

class CountingSource final : public InputSource {
public:
    CountingSource(std::unique_ptr<InputSource> inner, ReadCount& count) : inner_(std::move(inner)), count_(count) {
        count_.opens.fetch_add(1);
    }
    ~CountingSource() override { count_.closes.fetch_add(1); }
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        const std::size_t got = inner_->read(buffer, capacity);
        count_.bytes.fetch_add(got);
        return got;
    }
    bool failed() const override { return inner_->failed(); }
    std::error_code error() const override { return std::make_error_code(std::errc::io_error); }
    std::optional<std::uint64_t> size() const override { return inner_->size(); }

private:
    std::unique_ptr<InputSource> inner_;
    ReadCount& count_;
};

// An input that never ends (a disc read at the speed of memory).
class EndlessSource final : public InputSource {
public:
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        std::fill_n(buffer, capacity, std::uint8_t{0x5A});
        return capacity;
    }
    bool failed() const override { return false; }
    std::optional<std::uint64_t> size() const override { return std::uint64_t{1} << 40; }
};

class JobDriverTest : public ::testing::Test {
protected:
    JobDriverTest() { view.driver = &driver; }

    // Inputs go through the counter; `replacement`, when set, stands for every path.
    std::unique_ptr<InputSource> open(const std::filesystem::path& path, std::error_code* error) {
        std::unique_ptr<InputSource> inner = replacement ? replacement() : openInput(path, error);
        if (!inner) return nullptr;
        return std::make_unique<CountingSource>(std::move(inner), count);
    }

    void runToEnd() {
        driver.hashPressed();
        driver.waitUntilIdle();
    }

    test::TempDir dir;
    HashJob job;
    RecordingView view;
    MemoryLog log;
    ReadCount count;
    std::function<std::unique_ptr<InputSource>()> replacement;
    JobDriver driver{job, view, log, [this](const std::filesystem::path& path, std::error_code* error) {
                         return open(path, error);
                     }};
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
    EXPECT_FALSE(view.busyTotal.has_value());
    EXPECT_EQ(view.finishedCalls, 1);
    EXPECT_FALSE(view.lastFileJob);
    EXPECT_EQ(driver.completedSteps(), 0u);
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
    EXPECT_EQ(driver.completedSteps(), 48u);  // one per block read, none for the empty read at the end
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
    job.jobMask = kAllAlgorithms;
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

TEST_F(JobDriverTest, UnreadableInputShowsNoValueAndSaysWhy) {
    struct Case {
        const char* what;
        std::filesystem::path path;
        std::error_code reason;
    };
#ifdef _WIN32
    const Case cases[] = {
        {"vanished", dir.path() / "missing.bin", std::error_code(2, std::system_category())},  // not found
        {"folder", dir.path(), std::error_code(336, std::system_category())},  // not supported on a folder
    };
#else
    const Case cases[] = {
        {"vanished", dir.path() / "missing.bin", std::make_error_code(std::errc::no_such_file_or_directory)},
        {"folder", dir.path(), std::make_error_code(std::errc::is_a_directory)},
    };
#endif
    for (const Case& c : cases) {
        for (const AlgorithmMask mask : {flag("CRC32"), flag("CRC32") | flag("MD5") | flag("SHA-1")}) {
            job.jobMask = mask;
            job.path = c.path.wstring();
            runToEnd();
            EXPECT_TRUE(view.resultsNow().empty()) << c.what;
            EXPECT_EQ(job.progressTotal.load(), 0u);
            ASSERT_TRUE(view.lastFailure.has_value()) << c.what;
            EXPECT_EQ(view.lastFailure->kind, InputFailure::Kind::CannotOpen);
            EXPECT_EQ(view.lastFailure->error, c.reason) << c.what << ": " << view.lastFailure->error.message();
        }
    }
    // The next job that reads its input is no failure.
    job.path = dir.write("fine.bin", "abc").wstring();
    runToEnd();
    EXPECT_FALSE(view.lastFailure.has_value());
    EXPECT_EQ(view.finishedCalls, 5);
}

TEST_F(JobDriverTest, DiskJobReadsTheChosenVolume) {
    const auto bytes = test::randomBytes(kBlockSize + 100, 5);
    view.volume.reset();
    job.diskMode = true;
    job.jobMask = flag("CRC32");
    runToEnd();  // no drive chosen
    ASSERT_TRUE(view.lastFailure.has_value());
    EXPECT_EQ(view.lastFailure->kind, InputFailure::Kind::NoDrive);
    EXPECT_TRUE(view.resultsNow().empty());

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

TEST_F(JobDriverTest, ReadsTheInputOnceWhateverTheAlgorithms) {
    struct Case {
        AlgorithmMask mask;
        std::size_t size;
    };
    const Case cases[] = {
        {flag("CRC32"), 3 * kBlockSize + 17},
        {flag("CRC32") | flag("MD5") | flag("SHA-1"), 3 * kBlockSize + 17},
        {everyAlgorithm(), 3 * kBlockSize + 17},
        {everyAlgorithm(), kBlockSize},
        {everyAlgorithm(), 0},
    };
    for (const Case& c : cases) {
        count.opens = 0;
        count.closes = 0;
        count.bytes = 0;
        const auto bytes = test::randomBytes(c.size, static_cast<std::uint32_t>(c.size));
        job.path = dir.write("input.bin", bytes).wstring();
        job.jobMask = c.mask;
        runToEnd();
        const int algorithmsInJob = algorithmCount(c.mask);
        EXPECT_EQ(count.opens.load(), 1) << algorithmsInJob << " algorithms";
        EXPECT_EQ(count.closes.load(), 1);
        EXPECT_EQ(count.bytes.load(), c.size) << algorithmsInJob << " algorithms";
        EXPECT_EQ(driver.completedSteps(), algorithmsInJob * ((c.size + kBlockSize - 1) / kBlockSize));
        const auto results = view.resultsNow();
        for (const AlgorithmEntry& entry : algorithms()) {
            if ((c.mask & entry.flag()) == 0) continue;
            const std::string expected = test::hexOf(entry.name, bytes);
            ASSERT_EQ(results.count(entry.flag()), 1u) << entry.name;
            EXPECT_EQ(results.at(entry.flag()), std::wstring(expected.begin(), expected.end())) << entry.name;
        }
        view.results.clear();
    }
}

TEST_F(JobDriverTest, ReadErrorPartWayGivesNoAlgorithmAValue) {
    for (const AlgorithmMask mask : {flag("CRC32"), everyAlgorithm()}) {
        replacement = [] { return std::make_unique<test::MemorySource>(test::randomBytes(3 * kBlockSize, 12), kBlockSize + 5); };
        job.path = L"input.bin";
        job.jobMask = mask;
        job.logMode = LogMode::EveryJob;
        runToEnd();
        EXPECT_TRUE(view.resultsNow().empty());
        EXPECT_TRUE(log.entries.empty());
        ASSERT_TRUE(view.lastFailure.has_value());
        EXPECT_EQ(view.lastFailure->kind, InputFailure::Kind::ReadError);
        EXPECT_EQ(view.lastFailure->bytesRead, kBlockSize + 5);
        EXPECT_EQ(view.lastFailure->error, std::make_error_code(std::errc::io_error));
        EXPECT_EQ(count.closes.load(), count.opens.load());
    }
}

TEST_F(JobDriverTest, SuspendAndStopReachTheReaderAndEveryAlgorithm) {
    using namespace std::chrono_literals;
    for (const AlgorithmMask mask : {flag("MD2"), everyAlgorithm()}) {
        count.opens = 0;
        count.closes = 0;
        replacement = [] { return std::make_unique<EndlessSource>(); };
        job.path = L"endless.bin";
        job.jobMask = mask;
        job.logMode = LogMode::EveryJob;
        driver.hashPressed();
        ASSERT_TRUE(test::waitUntil([&] { return driver.completedSteps() >= 2; }));
        driver.hashPressed();  // suspend
        std::this_thread::sleep_for(100ms);  // a piece under way ends
        const std::uint64_t stepsHeld = driver.completedSteps();
        const std::uint64_t bytesHeld = count.bytes.load();
        std::this_thread::sleep_for(150ms);
        EXPECT_EQ(driver.completedSteps(), stepsHeld);
        EXPECT_EQ(count.bytes.load(), bytesHeld) << "the reader is held too";
        driver.hashPressed();  // resume
        ASSERT_TRUE(test::waitUntil([&] { return driver.completedSteps() > stepsHeld; }));
        EXPECT_TRUE(driver.stopPressed());
        driver.waitUntilIdle();
        EXPECT_EQ(count.opens.load(), 1);
        EXPECT_EQ(count.closes.load(), 1);
        EXPECT_TRUE(view.resultsNow().empty());
        EXPECT_TRUE(log.entries.empty());
        EXPECT_FALSE(view.lastFailure.has_value()) << "a stop is no failure";
    }
}

TEST_F(JobDriverTest, ZeroMaskDoesNothing) {
    job.jobMask = 0;
    driver.hashPressed();
    EXPECT_EQ(driver.state(), JobState::Idle);
    EXPECT_EQ(view.finishedCalls, 0);
}

}  // namespace
}  // namespace sumwise
