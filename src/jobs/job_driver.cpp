#include "jobs/job_driver.h"

#include <vector>

#include "jobs/streaming.h"

namespace sumwise {

// What the workers of one job read: taken when the job starts, so that the
// window may change its fields while a short job runs.
struct JobDriver::Snapshot {
    std::uint32_t mask = 0;
    bool fileMode = true;
    bool diskMode = false;
    std::filesystem::path path;
    std::string text;
    AlgorithmParams params;
    bool logging = false;
    LogInput logInput;
    std::uint64_t progressTotal = 0;
};

namespace {

using Clock = std::chrono::steady_clock;

std::uint32_t millisecondsSince(Clock::time_point start) {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class WorkerProgress final : public ProgressSink {
public:
    WorkerProgress(JobView& view, std::atomic<std::uint64_t>& completed, std::uint64_t total)
        : view_(view), completed_(completed), total_(total) {}
    void blockRead(std::uint64_t) override { view_.progressStep(completed_.fetch_add(1) + 1, total_); }

private:
    JobView& view_;
    std::atomic<std::uint64_t>& completed_;
    std::uint64_t total_;
};

}  // namespace

std::uint64_t progressSteps(std::uint64_t inputSize, int algorithmCount) {
    if (inputSize == 0 || algorithmCount <= 0) return 0;
    return static_cast<std::uint64_t>(algorithmCount) * (inputSize / kBlockSize + 1);
}

bool usesBusyLayout(std::uint64_t progressTotal, bool diskMode) {
    return progressTotal > kBusyLayoutThreshold || (diskMode && progressTotal != 0);
}

JobDriver::JobDriver(HashJob& job, JobView& view, ResultLog& log) : job_(job), view_(view), log_(log) {}

JobDriver::~JobDriver() {
    signals_.stop();
    if (driver_.joinable()) driver_.join();
}

void JobDriver::hashPressed() {
    if (job_.jobMask == 0) return;
    JobState expected = JobState::Idle;
    if (state_.compare_exchange_strong(expected, JobState::Running)) {
        start();
    } else if (expected == JobState::Running) {
        if (state_.compare_exchange_strong(expected, JobState::Suspended)) {
            signals_.pause();
            view_.showSuspended(true);
        }
    } else if (expected == JobState::Suspended) {
        if (state_.compare_exchange_strong(expected, JobState::Running)) {
            signals_.resume();
            view_.showSuspended(false);
        }
    }
}

bool JobDriver::stopPressed() {
    JobState current = state_.load();
    while (current == JobState::Running || current == JobState::Suspended) {
        if (state_.compare_exchange_weak(current, JobState::Stopping)) {
            signals_.stop();  // also releases paused workers
            return true;
        }
    }
    return current == JobState::Stopping;
}

void JobDriver::start() {
    // The previous driver thread has handed its end over already; it is gone or leaving.
    if (driver_.joinable()) driver_.join();
    signals_.reset();
    completedSteps_ = 0;

    Snapshot snapshot;
    snapshot.mask = job_.jobMask;
    snapshot.fileMode = job_.fileMode || job_.diskMode;
    snapshot.diskMode = job_.diskMode;
    snapshot.path = std::filesystem::path(job_.path);
    snapshot.text = job_.text;
    snapshot.params = job_.params;
    snapshot.logging = job_.logMode.load() != LogMode::Off;
    snapshot.logInput.kind = snapshot.diskMode ? LogInput::Kind::Disk
                             : snapshot.fileMode ? LogInput::Kind::File
                                                 : LogInput::Kind::Text;
    snapshot.logInput.path = job_.path;
    try {
        driver_ = std::thread([this, snapshot = std::move(snapshot)]() mutable { runJob(snapshot); });
    } catch (...) {
        state_ = JobState::Idle;  // no thread: nothing started
    }
}

void JobDriver::runJob(const Snapshot& start) {
    Snapshot snapshot = start;
    try {
        view_.refreshCompare();
        std::uint64_t size = 0;
        if (snapshot.diskMode) {
            if (const auto volume = view_.chosenVolume()) {
                snapshot.path = volume->path;
                size = volume->size;
                snapshot.logInput.driveLetter = volume->letter;
                snapshot.logInput.volumeLabel = volume->label;
            } else {
                snapshot.path.clear();
            }
        } else if (snapshot.fileMode) {
            size = measureInput(snapshot.path).value_or(0);
        }
        if (snapshot.fileMode) {
            snapshot.progressTotal = progressSteps(size, algorithmCount(snapshot.mask));
            job_.progressTotal = snapshot.progressTotal;
        }
        wasBusy_ = snapshot.fileMode && usesBusyLayout(snapshot.progressTotal, snapshot.diskMode);
        fileJob_ = snapshot.fileMode && !snapshot.diskMode;
        if (wasBusy_) view_.enterBusyLayout(snapshot.progressTotal);

        const Clock::time_point startedAt = Clock::now();
        std::vector<std::thread> workers;
        workers.reserve(kAlgorithmCount);
        for (const AlgorithmEntry& algorithm : algorithms()) {
            if ((snapshot.mask & algorithm.flag) == 0) continue;
            try {
                workers.emplace_back([this, &algorithm, &snapshot] { runWorker(algorithm, snapshot); });
            } catch (...) {
                // No thread for this algorithm: it gets no value; the others go on.
            }
        }
        for (std::thread& worker : workers) worker.join();
        elapsedMilliseconds_ = millisecondsSince(startedAt);
    } catch (...) {
        elapsedMilliseconds_ = 0;
    }
    view_.jobEnded();
}

void JobDriver::runWorker(const AlgorithmEntry& algorithm, const Snapshot& snapshot) {
    try {
        const Clock::time_point startedAt = Clock::now();
        Digest digest;
        if (snapshot.fileMode) {
            WorkerProgress progress(view_, completedSteps_, snapshot.progressTotal);
            const StreamControl control{&signals_, &progress};
            const HashResult result = hashFile(algorithm, snapshot.path, snapshot.params, &control);
            // A stopped job, an input that cannot be opened or that fails part-way shows no value.
            if (!result.complete()) return;
            digest = result.digest;
        } else {
            if (!signals_.waitWhilePaused()) return;
            digest = hashText(algorithm, snapshot.text, snapshot.params);
        }
        if (signals_.stopRequested()) return;  // a stopped job posts nothing
        const std::uint32_t elapsed = millisecondsSince(startedAt);

        {
            std::lock_guard lock(job_.resultMutex);
            const std::wstring text =
                digestWideText(digest, job_.upperCase.load() ? LetterCase::Upper : LetterCase::Lower);
            storeResult(job_, algorithm, text);
            if (snapshot.logging) {
                const LocalTime now = log_.now();
                log_.append(now, logEntryLines(now, snapshot.logInput, algorithm.name, text, elapsed));
            }
            view_.showResult(algorithm.flag, text);
        }
        view_.refreshCompare();
    } catch (...) {
        // Out of memory or the like: this algorithm gets no value.
    }
}

void JobDriver::finish() {
    if (job_.logMode.load() == LogMode::ThisJob) job_.logMode = LogMode::Off;
    view_.jobFinished(elapsedMilliseconds_, wasBusy_, fileJob_);
    signals_.reset();
    state_ = JobState::Idle;
}

void JobDriver::waitUntilIdle() {
    while (state_.load() != JobState::Idle) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace sumwise
