#include "jobs/ordered_pool.h"

#include <algorithm>

namespace sumwise {

namespace {

// A batch this long costs one hand-over for many tiny inputs, and keeps
// half the window working while the other half waits to be delivered.
constexpr std::size_t kLongestBatch = 16;

}  // namespace

OrderedPool::OrderedPool(unsigned threads, std::size_t window)
    : window_(std::max<std::size_t>(window, 1)),
      batchSize_(std::clamp<std::size_t>(window_ / (2 * std::max(threads, 1u)), 1, kLongestBatch)) {
    try {
        for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
    } catch (...) {
        // Fewer threads, or none: give() then does the work itself.
    }
}

OrderedPool::~OrderedPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        pending_.clear();
    }
    workReady_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void OrderedPool::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workReady_.wait(lock, [&] { return closing_ || !pending_.empty(); });
        if (closing_) return;
        Batch* batch = pending_.front();
        const std::size_t piece = batch->taken++;
        if (batch->taken == batch->work.size()) pending_.pop_front();
        lock.unlock();
        try {
            batch->work[piece]();
        } catch (...) {
            // The work records its own failure; the order goes on.
        }
        lock.lock();
        // The batch stays in order_, alive, until it is done and delivered.
        if (++batch->finished == batch->work.size()) batchDone_.notify_one();
    }
}

// Hands the batch being formed to the threads.
void OrderedPool::handOver() {
    if (!forming_) return;
    const bool several = forming_->work.size() > 1;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(forming_.get());
        order_.push_back(std::move(forming_));
    }
    forming_.reset();
    if (several) {
        workReady_.notify_all();
    } else {
        workReady_.notify_one();
    }
}

bool OrderedPool::give(Work work, Deliver deliver) {
    if (threads_.empty()) {
        // No thread could be started: one at a time, here.
        if (failed_) return false;
        work();
        failed_ = !deliver();
        return !failed_;
    }
    if (!deliverReady()) return false;
    while (given_ >= window_) {
        if (!deliverHead(true)) return false;
    }
    if (!forming_) forming_ = std::make_shared<Batch>();
    forming_->work.push_back(std::move(work));
    forming_->deliver.push_back(std::move(deliver));
    ++given_;
    if (forming_->work.size() >= batchSize_) handOver();
    return true;
}

// Delivers the oldest batch when it is done (or, with `wait`, once it is).
// False when there was nothing to deliver without waiting, or the delivery failed.
bool OrderedPool::deliverHead(bool wait) {
    // Nothing waited for may still be with the giver.
    if (wait) handOver();
    std::shared_ptr<Batch> head;
    {
        std::unique_lock lock(mutex_);
        if (order_.empty()) return false;
        if (wait) batchDone_.wait(lock, [&] { return order_.front()->done(); });
        if (!order_.front()->done()) return false;
        head = std::move(order_.front());
        order_.pop_front();
    }
    given_ -= head->work.size();
    for (Deliver& deliver : head->deliver) {
        if (failed_) break;
        if (!deliver()) failed_ = true;
    }
    return !failed_;
}

bool OrderedPool::deliverReady() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (order_.empty() || !order_.front()->done()) return !failed_;
        }
        if (!deliverHead(false)) return !failed_;
    }
}

bool OrderedPool::deliverAll() {
    handOver();
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (order_.empty()) return !failed_;
        }
        if (!deliverHead(true)) return false;
    }
}

bool deliverInTurn(std::optional<OrderedPool>& pool, OrderedPool::Deliver deliver) {
    if (pool) return pool->give([] {}, std::move(deliver));
    return deliver();
}

}  // namespace sumwise
