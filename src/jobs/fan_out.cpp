#include "jobs/fan_out.h"

#include <algorithm>
#include <cstring>

#include "jobs/streaming.h"

namespace sumwise {

FanOut::FanOut(std::vector<std::unique_ptr<Hasher>> hashers, unsigned cores)
    : FanOut(std::move(hashers), FanOutOptions{cores, nullptr, nullptr, {}}) {}

FanOut::FanOut(std::vector<std::unique_ptr<Hasher>> hashers, FanOutOptions options)
    : options_(std::move(options)), signals_(options_.signals), lanes_(hashers.size()) {
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        lanes_[i].hasher = std::move(hashers[i]);
        lanes_[i].hasher->init();
    }
    const unsigned processors = processorCount();
    cores_ = static_cast<unsigned>(std::min<std::size_t>(options_.cores != 0 ? options_.cores : processors, lanes_.size()));
    // One algorithm, or one core, gains nothing from the hand-over.
    if (lanes_.size() <= 1 || cores_ <= 1) return;

    slots_.resize(kSlots);
    inline_ = false;
    if (signals_ != nullptr) signals_->watch(this);
    std::size_t started = 0;
    try {
        for (; started < lanes_.size(); ++started) {
            Lane& lane = lanes_[started];
            lane.thread = std::thread([this, &lane, started] { run(lane, started); });
        }
    } catch (...) {
        // Without a thread for every algorithm the feeding thread computes them all.
        stopLanes();
        for (std::size_t i = 0; i < started; ++i) lanes_[i].thread.join();
        std::lock_guard lock(mutex_);
        stopping_ = false;
        inline_ = true;
    }
}

FanOut::~FanOut() {
    if (signals_ != nullptr) signals_->unwatch(this);
    stopLanes();
    for (Lane& lane : lanes_) {
        if (lane.thread.joinable()) lane.thread.join();
    }
}

void FanOut::stopLanes() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (Lane& lane : lanes_) lane.wake.notify_one();
    space_.notify_all();
}

void FanOut::signalsChanged() {
    std::lock_guard lock(mutex_);
    if (stopRequested()) {
        stopping_ = true;
        for (Lane& lane : lanes_) lane.wake.notify_one();
        space_.notify_all();
        return;
    }
    // A resume. A lane granted a core just before the pause may have woken,
    // seen the pause and gone back to sleep still holding its core: wake it.
    for (Lane& lane : lanes_) {
        if (lane.granted) lane.wake.notify_one();
    }
    grantCores();  // and the cores given back on pausing are handed out again
}

std::uint64_t FanOut::slowestPosition() const {
    std::uint64_t slowest = published_;
    for (const Lane& lane : lanes_) slowest = std::min(slowest, lane.position);
    return slowest;
}

void FanOut::grantCores() {
    if (paused() || stopping_) return;
    while (coresInUse_ < cores_) {
        Lane* behind = nullptr;
        for (Lane& lane : lanes_) {
            if (lane.granted || lane.done || !hasBlock(lane)) continue;
            if (behind == nullptr || lane.position < behind->position) behind = &lane;
        }
        if (behind == nullptr) return;
        behind->granted = true;
        ++coresInUse_;
        behind->wake.notify_one();
    }
}

void FanOut::release(Lane& lane) {
    lane.granted = false;
    --coresInUse_;
    grantCores();
}

bool FanOut::takeBlock(Hasher& hasher, const std::uint8_t* data, std::size_t size, std::size_t& offset) const {
    while (offset < size) {
        if (stopRequested() || paused()) return false;
        const std::size_t piece = std::min(kFanOutPiece, size - offset);
        hasher.update(data + offset, piece);
        offset += piece;
    }
    return true;
}

void FanOut::run(Lane& lane, std::size_t index) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stopping_ || stopRequested()) return;
        if (ended_ && lane.position == published_) {
            // The whole input is taken.
            if (lane.granted) release(lane);
            if (!complete_) return;
            lane.done = true;
            lock.unlock();
            Digest digest = lane.hasher->finish();
            try {
                if (options_.finished) options_.finished(index, digest);
            } catch (...) {
                // The digest still comes back from end().
            }
            lock.lock();
            lane.digest = std::move(digest);
            return;
        }
        if (!mayCompute(lane)) {
            // Out of blocks or paused: the core goes to someone who can use it.
            if (lane.granted) release(lane);
            lane.wake.wait(lock, [&] {
                return stopping_ || stopRequested() || (ended_ && lane.position == published_) || mayCompute(lane);
            });
            continue;
        }
        const Slot& slot = slots_[lane.position % kSlots];
        const std::uint8_t* data = slot.data->data();
        const std::size_t size = slot.size;
        std::size_t offset = lane.offset;
        lock.unlock();
        const bool whole = takeBlock(*lane.hasher, data, size, offset);
        lock.lock();
        lane.offset = offset;
        if (!whole) continue;

        const bool wasSlowest = lane.position == slowestPosition();
        ++lane.position;
        lane.offset = 0;
        if (options_.blocksTaken != nullptr) options_.blocksTaken->fetch_add(1);
        if (wasSlowest && readerWaiting_) space_.notify_one();
        // An algorithm further behind that waits for a core gets this one.
        const bool someoneBehind = std::any_of(lanes_.begin(), lanes_.end(), [&](const Lane& other) {
            return !other.granted && !other.done && other.position < lane.position && hasBlock(other);
        });
        if (someoneBehind) release(lane);
    }
}

void FanOut::feedInline(const std::uint8_t* data, std::size_t size) {
    for (std::size_t offset = 0; offset < size;) {
        if (signals_ != nullptr && !signals_->waitWhilePaused()) return;
        const std::size_t piece = std::min(kFanOutPiece, size - offset);
        for (Lane& lane : lanes_) lane.hasher->update(data + offset, piece);
        offset += piece;
    }
    if (options_.blocksTaken != nullptr) options_.blocksTaken->fetch_add(lanes_.size());
}

bool FanOut::feed(const std::uint8_t* data, std::size_t size) {
    size = std::min(size, kBlockSize);
    if (inline_) {
        feedInline(data, size);
        return !stopRequested();
    }
    std::unique_lock lock(mutex_);
    readerWaiting_ = true;
    space_.wait(lock, [&] { return stopping_ || stopRequested() || published_ - slowestPosition() < kSlots; });
    readerWaiting_ = false;
    if (stopping_ || stopRequested()) return false;
    // The slot is free: every algorithm has moved past it, and only this thread publishes.
    Slot& slot = slots_[published_ % kSlots];
    if (!slot.data) slot.data = std::make_unique<BlockBuffer>();
    lock.unlock();
    std::memcpy(slot.data->data(), data, size);
    slot.size = size;
    lock.lock();
    ++published_;
    grantCores();
    return true;
}

std::vector<Digest> FanOut::end(bool complete) {
    std::vector<Digest> digests;
    if (inline_) {
        if (!complete || stopRequested()) return digests;
        for (std::size_t i = 0; i < lanes_.size(); ++i) {
            digests.push_back(lanes_[i].hasher->finish());
            try {
                if (options_.finished) options_.finished(i, digests.back());
            } catch (...) {
            }
        }
        return digests;
    }
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
        complete_ = complete;
        // An input that failed or was stopped leaves nothing to finish.
        if (!complete) stopping_ = true;
        for (Lane& lane : lanes_) lane.wake.notify_one();
    }
    for (Lane& lane : lanes_) {
        if (lane.thread.joinable()) lane.thread.join();
    }
    if (!std::all_of(lanes_.begin(), lanes_.end(), [](const Lane& lane) { return lane.done; })) return digests;
    for (Lane& lane : lanes_) digests.push_back(std::move(lane.digest));
    return digests;
}

}  // namespace sumwise
