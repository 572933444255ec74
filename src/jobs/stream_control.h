// How a running computation is paused, stopped and asked for progress.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace sumwise {

// Pause and stop signals shared by all workers of one job. Any thread may
// signal; the streaming loop checks between blocks, so a worker never stops
// in the middle of a block and never holds a lock while it waits.
class JobSignals {
public:
    void pause();
    void resume();
    void stop();   // also releases a paused worker
    void reset();  // back to running, for the next job

    bool stopRequested() const;
    bool paused() const;
    // Blocks while paused. Returns false when a stop has been requested.
    bool waitWhilePaused() const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool paused_ = false;
    bool stopped_ = false;
};

// Told about every block the loop reads.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // `totalBytes` is the number of bytes read so far, this block included.
    virtual void blockRead(std::uint64_t totalBytes) = 0;
};

// The per-call control of the streaming loop. Either member may be absent:
// a caller that wants no progress, or cannot be paused, leaves it null.
struct StreamControl {
    const JobSignals* signals = nullptr;
    ProgressSink* progress = nullptr;
};

}  // namespace sumwise
