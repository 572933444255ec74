// Feeds one input to several algorithms at once, spread over several threads.
// Each block is read once and copied into a small ring; every algorithm takes
// the blocks in order, and whichever thread is free takes whichever algorithm
// is ready, so slow and fast algorithms balance by themselves.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "algorithms/hasher.h"

namespace sumwise {

class FanOut {
public:
    // `threads` 0 means one per processor; never more than the algorithms.
    FanOut(std::vector<std::unique_ptr<Hasher>> hashers, unsigned threads = 0);
    ~FanOut();
    FanOut(const FanOut&) = delete;
    FanOut& operator=(const FanOut&) = delete;

    // Hands the next piece of the input to every algorithm (`size` at most
    // one block). Returns once the piece is queued, or has been hashed when
    // there are no threads.
    void feed(const std::uint8_t* data, std::size_t size);
    // Waits for every algorithm to take all pieces, then finishes each one,
    // in the order they were given.
    std::vector<Digest> finish();

private:
    static constexpr std::size_t kSlots = 4;

    struct Slot {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t size = 0;
    };

    void work();
    // Index of a hasher with a block waiting and nobody working on it.
    std::ptrdiff_t readyHasher() const;
    std::uint64_t slowestPosition() const;

    std::vector<std::unique_ptr<Hasher>> hashers_;
    std::vector<std::uint64_t> position_;  // blocks each hasher has taken
    std::vector<bool> busy_;
    std::vector<Slot> slots_;
    std::uint64_t published_ = 0;
    bool closing_ = false;

    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable progressMade_;
    std::vector<std::thread> threads_;
};

}  // namespace sumwise
