#include "jobs/ordered_pool.h"

#include <algorithm>

namespace sumwise {

OrderedPool::OrderedPool(unsigned threads, std::size_t window) : window_(std::max<std::size_t>(window, 1)) {
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
        std::shared_ptr<Task> task = std::move(pending_.front());
        pending_.pop_front();
        lock.unlock();
        try {
            task->work();
        } catch (...) {
            // The work records its own failure; the order goes on.
        }
        lock.lock();
        task->done = true;
        taskDone_.notify_all();
    }
}

bool OrderedPool::give(Work work, Deliver deliver) {
    auto task = std::make_shared<Task>();
    task->work = std::move(work);
    task->deliver = std::move(deliver);
    if (threads_.empty()) {
        // No thread could be started: one at a time, here.
        if (failed_) return false;
        task->work();
        failed_ = !task->deliver();
        return !failed_;
    }
    if (!deliverReady()) return false;
    while (order_.size() >= window_) {
        if (!deliverHead(true)) return false;
    }
    {
        std::lock_guard lock(mutex_);
        order_.push_back(task);
        pending_.push_back(std::move(task));
    }
    workReady_.notify_one();
    return true;
}

// Delivers the oldest task when it is done (or, with `wait`, once it is).
// False when there was nothing to deliver without waiting, or the delivery failed.
bool OrderedPool::deliverHead(bool wait) {
    std::shared_ptr<Task> head;
    {
        std::unique_lock lock(mutex_);
        if (order_.empty()) return false;
        if (wait) taskDone_.wait(lock, [&] { return order_.front()->done; });
        if (!order_.front()->done) return false;
        head = std::move(order_.front());
        order_.pop_front();
    }
    if (!failed_ && !head->deliver()) failed_ = true;
    return !failed_;
}

bool OrderedPool::deliverReady() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (order_.empty() || !order_.front()->done) return !failed_;
        }
        if (!deliverHead(false)) return !failed_;
    }
}

bool OrderedPool::deliverAll() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (order_.empty()) return !failed_;
        }
        if (!deliverHead(true)) return false;
    }
}

}  // namespace sumwise
