// Work done on several threads at once whose results are taken in the order
// it was given: sumwise-cli hashes many inputs at once and still prints them
// in the order of its arguments and of the folder walk.
//
// The pool's threads live as long as the pool (one run). At most `window`
// pieces of work are given and not yet delivered; giving one more first
// delivers what is done, then waits for the oldest. So the memory held is
// bounded by the window's results plus what each thread uses while working.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace sumwise {

class OrderedPool {
public:
    // `work` runs on one of the pool's threads; `deliver` runs later on the
    // thread that gave the work, in the order given. A `deliver` that returns
    // false ends the delivery: nothing after it is delivered.
    using Work = std::function<void()>;
    using Deliver = std::function<bool()>;

    OrderedPool(unsigned threads, std::size_t window);
    // Undelivered work is abandoned: what has not started never runs.
    ~OrderedPool();
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    // False when a delivery has failed (then nothing more is taken).
    bool give(Work work, Deliver deliver);
    // Delivers whatever is done at the head of the order, without waiting.
    bool deliverReady();
    // Waits for all work given and delivers it.
    bool deliverAll();

private:
    struct Task {
        Work work;
        Deliver deliver;
        bool done = false;
    };
    bool deliverHead(bool wait);
    void run();

    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable taskDone_;
    std::deque<std::shared_ptr<Task>> order_;    // given, not yet delivered
    std::deque<std::shared_ptr<Task>> pending_;  // given, not yet started
    bool closing_ = false;
    bool failed_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace sumwise
