#include "jobs/fan_out.h"

#include <algorithm>
#include <cstring>

#include "jobs/streaming.h"

namespace sumwise {

FanOut::FanOut(std::vector<std::unique_ptr<Hasher>> hashers, unsigned threads)
    : hashers_(std::move(hashers)), position_(hashers_.size(), 0), busy_(hashers_.size(), false) {
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, hashers_.size()));
    for (auto& hasher : hashers_) hasher->init();
    // One algorithm, or one thread, gains nothing from the hand-over.
    if (threads <= 1 || hashers_.size() <= 1) return;
    slots_.resize(kSlots);
    for (Slot& slot : slots_) slot.data = std::make_unique<std::uint8_t[]>(kBlockSize);
    threads_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

FanOut::~FanOut() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

std::uint64_t FanOut::slowestPosition() const {
    return position_.empty() ? published_ : *std::min_element(position_.begin(), position_.end());
}

std::ptrdiff_t FanOut::readyHasher() const {
    std::ptrdiff_t best = -1;
    for (std::size_t i = 0; i < hashers_.size(); ++i) {
        if (busy_[i] || position_[i] >= published_) continue;
        // The one furthest behind first: it holds the oldest slot.
        if (best < 0 || position_[i] < position_[static_cast<std::size_t>(best)]) best = static_cast<std::ptrdiff_t>(i);
    }
    return best;
}

void FanOut::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        std::ptrdiff_t index = -1;
        workAvailable_.wait(lock, [&] {
            index = readyHasher();
            return index >= 0 || closing_;
        });
        if (index < 0) return;
        const auto i = static_cast<std::size_t>(index);
        busy_[i] = true;
        const Slot& slot = slots_[position_[i] % kSlots];
        lock.unlock();
        hashers_[i]->update(slot.data.get(), slot.size);
        lock.lock();
        busy_[i] = false;
        ++position_[i];
        progressMade_.notify_all();
        workAvailable_.notify_all();
    }
}

void FanOut::feed(const std::uint8_t* data, std::size_t size) {
    if (threads_.empty()) {
        for (auto& hasher : hashers_) hasher->update(data, size);
        return;
    }
    size = std::min(size, kBlockSize);
    std::unique_lock lock(mutex_);
    progressMade_.wait(lock, [&] { return published_ - slowestPosition() < kSlots; });
    // The slot is free: every hasher has moved past it, and only this thread publishes.
    Slot& slot = slots_[published_ % kSlots];
    lock.unlock();
    std::memcpy(slot.data.get(), data, size);
    slot.size = size;
    lock.lock();
    ++published_;
    lock.unlock();
    workAvailable_.notify_all();
}

std::vector<Digest> FanOut::finish() {
    {
        std::unique_lock lock(mutex_);
        progressMade_.wait(lock, [&] {
            return std::all_of(position_.begin(), position_.end(), [&](std::uint64_t p) { return p == published_; });
        });
    }
    std::vector<Digest> digests;
    digests.reserve(hashers_.size());
    for (auto& hasher : hashers_) digests.push_back(hasher->finish());
    return digests;
}

}  // namespace sumwise
