#include "jobs/job_driver.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "jobs/hash_source.h"

namespace sumwise {

// What the job reads: taken when the job starts, so that the window may
// change its fields while a short job runs.
struct JobDriver::Snapshot {
    AlgorithmMask mask = 0;
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

// A typed text as an input: its bytes before the first NUL.
class TextSource final : public InputSource {
public:
    explicit TextSource(std::string_view text) : text_(text.substr(0, std::min(text.find('\0'), text.size()))) {}
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        const std::size_t take = std::min(capacity, text_.size() - offset_);
        std::memcpy(buffer, text_.data() + offset_, take);
        offset_ += take;
        return take;
    }
    bool failed() const override { return false; }
    std::optional<std::uint64_t> size() const override { return text_.size(); }

private:
    std::string_view text_;
    std::size_t offset_ = 0;
};

}  // namespace

std::uint64_t progressSteps(std::uint64_t inputSize, int algorithmCount) {
    if (inputSize == 0 || algorithmCount <= 0) return 0;
    return static_cast<std::uint64_t>(algorithmCount) * (inputSize / kBlockSize + 1);
}

bool usesBusyLayout(std::uint64_t progressTotal, bool diskMode) {
    return progressTotal > kBusyLayoutThreshold || (diskMode && progressTotal != 0);
}

JobDriver::JobDriver(HashJob& job, JobView& view, ResultLog& log, InputOpener opener)
    : job_(job), view_(view), log_(log), opener_(std::move(opener)) {
    if (!opener_) {
        opener_ = [](const std::filesystem::path& path, std::error_code* error) { return openInput(path, error); };
    }
}

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
            signals_.stop();  // also releases paused threads
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
    JobEnd end;
    try {
        view_.refreshCompare();
        std::unique_ptr<InputSource> source;
        std::uint64_t size = 0;
        if (snapshot.diskMode) {
            if (const auto volume = view_.chosenVolume()) {
                snapshot.path = volume->path;
                size = volume->size;
                snapshot.logInput.driveLetter = volume->letter;
                snapshot.logInput.volumeLabel = volume->label;
            } else {
                end.failure = InputFailure{InputFailure::Kind::NoDrive, {}, 0};
            }
        }
        if (end.failure) {
            // Nothing to open.
        } else if (snapshot.fileMode) {
            // The one open of the input: its size comes from the same handle.
            std::error_code error;
            source = opener_(snapshot.path, &error);
            if (!source) {
                end.failure = InputFailure{InputFailure::Kind::CannotOpen, error, 0};
            } else if (!snapshot.diskMode) {
                size = source->size().value_or(0);
            }
        } else {
            source = std::make_unique<TextSource>(snapshot.text);
        }
        if (snapshot.fileMode) {
            snapshot.progressTotal = source ? progressSteps(size, algorithmCount(snapshot.mask)) : 0;
            job_.progressTotal = snapshot.progressTotal;
        }
        end.wasBusy = source && snapshot.fileMode && usesBusyLayout(snapshot.progressTotal, snapshot.diskMode);
        end.fileJob = snapshot.fileMode && !snapshot.diskMode;
        if (end.wasBusy) view_.enterBusyLayout(snapshot.progressTotal);

        const Clock::time_point startedAt = Clock::now();
        if (source) {
            if (auto failure = hashInput(*source, snapshot)) end.failure = failure;
        }
        end.stopped = signals_.stopRequested();
        end.elapsedMilliseconds = millisecondsSince(startedAt);
    } catch (...) {
        end.elapsedMilliseconds = 0;
    }
    {
        std::lock_guard lock(endMutex_);
        end_ = std::move(end);
    }
    view_.jobEnded();
}

std::optional<InputFailure> JobDriver::hashInput(InputSource& source, const Snapshot& snapshot) {
    std::vector<const AlgorithmEntry*> chosen;
    for (const AlgorithmEntry& algorithm : algorithms()) {
        if ((snapshot.mask & algorithm.flag()) != 0) chosen.push_back(&algorithm);
    }
    const Clock::time_point startedAt = Clock::now();
    SourceControl control;
    control.signals = &signals_;
    // A text gives no progress.
    control.blocksTaken = snapshot.fileMode ? &completedSteps_ : nullptr;
    control.finished = [&](std::size_t index, const Digest& digest) {
        postResult(*chosen[index], digest, snapshot, startedAt);
    };
    // A read error part-way gives no algorithm a value; a stop posts nothing.
    const SourceHashed hashed = hashSource(source, chosen, snapshot.params, control);
    if (hashed.outcome.status == StreamStatus::ReadError) {
        return InputFailure{InputFailure::Kind::ReadError, source.error(), hashed.outcome.bytesRead};
    }
    return std::nullopt;
}

void JobDriver::postResult(const AlgorithmEntry& algorithm, const Digest& digest, const Snapshot& snapshot,
                           Clock::time_point startedAt) {
    try {
        if (signals_.stopRequested()) return;  // a stopped job posts nothing
        const std::uint32_t elapsed = millisecondsSince(startedAt);
        {
            std::lock_guard lock(job_.resultMutex);
            const std::wstring text =
                digestWideText(digest, job_.upperCase.load() ? LetterCase::Upper : LetterCase::Lower);
            // An algorithm whose parameters give no digest leaves no entry: an empty line would read as a value.
            if (snapshot.logging && !text.empty()) {
                const LocalTime now = log_.now();
                log_.append(now, logEntryLines(now, snapshot.logInput, algorithm.wideName(), text, elapsed));
            }
            view_.showResult(algorithm.index(), text);
        }
        view_.refreshCompare();
    } catch (...) {
        // Out of memory or the like: this algorithm gets no value.
    }
}

void JobDriver::finish() {
    if (job_.logMode.load() == LogMode::ThisJob) job_.logMode = LogMode::Off;
    JobEnd end;
    {
        std::lock_guard lock(endMutex_);
        end = end_;
    }
    view_.jobFinished(end);
    signals_.reset();
    state_ = JobState::Idle;
}

void JobDriver::waitUntilIdle() {
    while (state_.load() != JobState::Idle) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace sumwise
