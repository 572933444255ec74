// Work done on several threads at once whose results are taken in the order
// it was given: sumwise-cli hashes many inputs at once and still prints them
// in the order of its arguments and of the folder walk.
//
// The pool's threads live as long as the pool (one run). At most `window`
// pieces of work are given and not yet delivered; giving one more first
// delivers what is done, then waits for the oldest. So the memory held is
// bounded by the window's results plus what each thread uses while working.
//
// Work is handed to the threads in batches of a few pieces, so that tiny
// inputs do not cost a wake-up each; any free thread takes the next piece
// of a batch, so one long piece holds up no other.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
    struct Batch {
        std::vector<Work> work;
        std::vector<Deliver> deliver;
        std::size_t taken = 0;     // pieces a thread has started
        std::size_t finished = 0;  // pieces done
        bool done() const { return finished == work.size(); }
    };
    void handOver();
    bool deliverHead(bool wait);
    void run();

    std::size_t window_;
    std::size_t batchSize_;
    std::size_t given_ = 0;           // pieces given, not yet delivered
    std::shared_ptr<Batch> forming_;  // given, not yet handed to the threads
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable batchDone_;
    std::deque<std::shared_ptr<Batch>> order_;  // handed over, not yet delivered
    std::deque<Batch*> pending_;                // handed over, with pieces not yet started
    bool closing_ = false;
    bool failed_ = false;
    std::vector<std::thread> threads_;
};

// Runs `deliver` in its turn after the work given to `pool` before it, or at
// once without a pool: a message told in its place among the results.
bool deliverInTurn(std::optional<OrderedPool>& pool, OrderedPool::Deliver deliver);

}  // namespace sumwise
