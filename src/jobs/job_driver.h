// Starts, suspends, resumes and stops hash jobs. A job reads its input once:
// the driver thread opens it, reads it block by block and hands every block
// to all chosen algorithms (hashSource), each computing on a thread of its
// own and posting its value as soon as it has the whole input (see FanOut);
// an input shorter than one block is computed on the driver thread. Pausing
// and stopping are cooperative: the reader and every algorithm look at the
// signals between pieces, so no thread is ever ended from outside and the
// input is always closed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "algorithms/params.h"
#include "jobs/hash_job.h"
#include "jobs/input_source.h"
#include "jobs/job_view.h"
#include "jobs/result_log.h"
#include "jobs/stream_control.h"

namespace sumwise {

enum class JobState : int { Idle = 0, Running = 1, Suspended = 2, Stopping = -1 };

// Progress above this many steps (one per block per algorithm) shows the busy layout.
inline constexpr std::uint64_t kBusyLayoutThreshold = 50;

// Steps of a job: one per 512 KiB block (and one for the last part block)
// per algorithm; 0 when the size is unknown or 0.
std::uint64_t progressSteps(std::uint64_t inputSize, int algorithmCount);
bool usesBusyLayout(std::uint64_t progressTotal, bool diskMode);

// How a job opens its input (tests count what is read).
using InputOpener = std::function<std::unique_ptr<InputSource>(const std::filesystem::path&, std::error_code*)>;

class JobDriver {
public:
    JobDriver(HashJob& job, JobView& view, ResultLog& log, InputOpener opener = {});
    ~JobDriver();
    JobDriver(const JobDriver&) = delete;
    JobDriver& operator=(const JobDriver&) = delete;

    // The Hash button, after the caller has set `jobMask` and `params` (and `logMode`):
    // starts a job when idle, suspends a running one, resumes a suspended one.
    void hashPressed();
    // OK, Cancel or closing the window: stops an active job and returns true;
    // returns false when no job is active (the window may close).
    bool stopPressed();

    // Ends the job on the window's thread once its threads are done (see JobView::jobEnded).
    void finish();

    JobState state() const { return state_.load(); }
    // Progress steps done in the current (or last) job: one per block per algorithm.
    std::uint64_t completedSteps() const { return completedSteps_.load(); }
    // Blocks until no job is active (for tests and for leaving).
    void waitUntilIdle();

private:
    struct Snapshot;
    void start();
    void runJob(const Snapshot& snapshot);
    // Reads the input once into every algorithm; the failure, if any.
    std::optional<InputFailure> hashInput(InputSource& source, const Snapshot& snapshot);
    void postResult(const AlgorithmEntry& algorithm, const Digest& digest, const Snapshot& snapshot,
                    std::chrono::steady_clock::time_point startedAt);

    HashJob& job_;
    JobView& view_;
    ResultLog& log_;
    InputOpener opener_;
    std::atomic<JobState> state_{JobState::Idle};
    JobSignals signals_;
    std::atomic<std::uint64_t> completedSteps_{0};
    // Set by the driver thread before it hands the end over to finish().
    std::mutex endMutex_;
    JobEnd end_;
    std::thread driver_;
};

}  // namespace sumwise
