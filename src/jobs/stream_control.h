// How a running computation is paused, stopped and asked for progress.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace sumwise {

// Told whenever a job's signals change, so that threads waiting on locks of
// their own (the fan-out's) can look at the signals again.
class SignalWatcher {
public:
    virtual void signalsChanged() = 0;

protected:
    ~SignalWatcher() = default;
};

// Pause and stop signals shared by all threads of one job. Any thread may
// signal; the streaming loop and the fan-out check between pieces, so no
// thread stops in the middle of an update or waits while it holds a lock.
class JobSignals {
public:
    void pause();
    void resume();
    void stop();   // also releases paused threads
    void reset();  // back to running, for the next job

    bool stopRequested() const { return stopped_.load(); }
    bool paused() const { return paused_.load(); }
    // Blocks while paused. Returns false when a stop has been requested.
    bool waitWhilePaused() const;

    // A watcher stays registered until it is removed; removal waits for a
    // notification in progress.
    void watch(SignalWatcher* watcher) const;
    void unwatch(SignalWatcher* watcher) const;

private:
    void changed();

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::atomic<bool> paused_{false};
    std::atomic<bool> stopped_{false};
    mutable std::mutex watchersMutex_;
    mutable std::vector<SignalWatcher*> watchers_;
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
