// Starts, suspends, resumes and stops hash jobs. A job runs every chosen
// algorithm on a worker thread of its own over the same input; a driver
// thread sizes the progress, starts the workers, waits for them and ends the
// job. Pausing and stopping are cooperative: the workers' streaming loop
// waits on the pause signal and tests the stop flag between blocks, so no
// thread is ever ended from outside and every input is closed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "algorithms/params.h"
#include "jobs/hash_job.h"
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

class JobDriver {
public:
    JobDriver(HashJob& job, JobView& view, ResultLog& log);
    ~JobDriver();
    JobDriver(const JobDriver&) = delete;
    JobDriver& operator=(const JobDriver&) = delete;

    // The Hash button, after the caller has set `jobMask` (and `logMode`):
    // starts a job when idle, suspends a running one, resumes a suspended one.
    void hashPressed();
    // OK, Cancel or closing the window: stops an active job and returns true;
    // returns false when no job is active (the window may close).
    bool stopPressed();

    // Ends the job on the window's thread once its threads are done (see JobView::jobEnded).
    void finish();

    JobState state() const { return state_.load(); }
    // Blocks until no job is active (for tests and for leaving).
    void waitUntilIdle();

private:
    struct Snapshot;
    void start();
    void runJob(const Snapshot& snapshot);
    void runWorker(const AlgorithmEntry& algorithm, const Snapshot& snapshot);

    HashJob& job_;
    JobView& view_;
    ResultLog& log_;
    std::atomic<JobState> state_{JobState::Idle};
    JobSignals signals_;
    std::atomic<std::uint64_t> completedSteps_{0};
    // Set by the driver thread before it hands the end over to finish().
    std::atomic<std::uint32_t> elapsedMilliseconds_{0};
    std::atomic<bool> wasBusy_{false};
    std::atomic<bool> fileJob_{true};
    std::thread driver_;
};

}  // namespace sumwise
