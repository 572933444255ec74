#include "jobs/stream_control.h"

#include <algorithm>

namespace sumwise {

void JobSignals::changed() {
    {
        // Waiters test the flags under this lock: taking it orders the change before their wait.
        std::lock_guard lock(mutex_);
    }
    changed_.notify_all();
    std::lock_guard lock(watchersMutex_);
    for (SignalWatcher* watcher : watchers_) watcher->signalsChanged();
}

void JobSignals::pause() {
    paused_ = true;
    changed();
}

void JobSignals::resume() {
    paused_ = false;
    changed();
}

void JobSignals::stop() {
    stopped_ = true;
    changed();
}

void JobSignals::reset() {
    paused_ = false;
    stopped_ = false;
    changed();
}

bool JobSignals::waitWhilePaused() const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !paused_.load() || stopped_.load(); });
    return !stopped_.load();
}

void JobSignals::watch(SignalWatcher* watcher) const {
    std::lock_guard lock(watchersMutex_);
    watchers_.push_back(watcher);
}

void JobSignals::unwatch(SignalWatcher* watcher) const {
    std::lock_guard lock(watchersMutex_);
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

}  // namespace sumwise
