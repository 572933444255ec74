#include "jobs/stream_control.h"

namespace sumwise {

void JobSignals::pause() {
    std::lock_guard lock(mutex_);
    paused_ = true;
}

void JobSignals::resume() {
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    changed_.notify_all();
}

void JobSignals::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

void JobSignals::reset() {
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
        stopped_ = false;
    }
    changed_.notify_all();
}

bool JobSignals::stopRequested() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

bool JobSignals::paused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

bool JobSignals::waitWhilePaused() const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !paused_ || stopped_; });
    return !stopped_;
}

}  // namespace sumwise
