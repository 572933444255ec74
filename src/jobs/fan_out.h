// Feeds one input to several algorithms at once: the input is read once and
// every block goes to every algorithm.
//
// Each algorithm runs on a thread of its own and takes the blocks in order
// from a small ring; the reader waits while the ring is full, so a slow
// algorithm holds the fast ones back by at most the ring. Only as many
// algorithms compute at one moment as there are cores, and those furthest
// behind go first: the slowest algorithm keeps a core to itself while the
// others share the rest, so a job takes about as long as its slowest
// algorithm alone would (or its total work spread over the cores, when that
// is longer).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "algorithms/hasher.h"
#include "jobs/stream_control.h"
#include "jobs/streaming.h"

namespace sumwise {

struct FanOutOptions {
    // Algorithms computing at the same moment; 0: one per processor.
    unsigned cores = 0;
    // Pause and stop, looked at between pieces of at most kFanOutPiece bytes.
    const JobSignals* signals = nullptr;
    // Advanced by one for every block an algorithm has taken whole.
    std::atomic<std::uint64_t>* blocksTaken = nullptr;
    // Told, on the algorithm's own thread, the digest of an algorithm that
    // has taken the whole of a complete input (`index` as in the hashers given).
    std::function<void(std::size_t index, const Digest& digest)> finished;
};

// The largest piece an algorithm computes between two looks at the signals.
inline constexpr std::size_t kFanOutPiece = 65536;

class FanOut final : private SignalWatcher {
public:
    // Blocks of the input held at most: the ring's memory bound is this many
    // times the block size, besides the reader's own block.
    static constexpr std::size_t kSlots = 8;

    FanOut(std::vector<std::unique_ptr<Hasher>> hashers, FanOutOptions options = {});
    FanOut(std::vector<std::unique_ptr<Hasher>> hashers, unsigned cores);
    ~FanOut();
    FanOut(const FanOut&) = delete;
    FanOut& operator=(const FanOut&) = delete;

    // Hands the next block of the input (at most one block) to every
    // algorithm. Returns once the block is in the ring, or false when a stop
    // was requested.
    bool feed(const std::uint8_t* data, std::size_t size);
    // The input has ended. When it is `complete`, every algorithm finishes
    // and the digests come back in the order the hashers were given;
    // otherwise (a read error, a stop) no algorithm finishes and none comes
    // back. Returns when every algorithm's thread has ended.
    std::vector<Digest> end(bool complete);
    std::vector<Digest> finish() { return end(true); }

private:
    struct Lane {
        std::unique_ptr<Hasher> hasher;
        std::uint64_t position = 0;  // blocks taken whole
        std::size_t offset = 0;      // bytes of the next block taken (a pause came mid-block)
        bool granted = false;        // may compute: holds one of the cores
        bool done = false;
        Digest digest;
        std::condition_variable wake;
        std::thread thread;
    };
    struct Slot {
        std::unique_ptr<BlockBuffer> data;  // from the run's pool
        std::size_t size = 0;
    };

    void signalsChanged() override;
    void run(Lane& lane, std::size_t index);
    // Takes as much of the block as pause and stop allow; true when it was taken whole.
    bool takeBlock(Hasher& hasher, const std::uint8_t* data, std::size_t size, std::size_t& offset) const;
    void feedInline(const std::uint8_t* data, std::size_t size);
    bool paused() const { return signals_ != nullptr && signals_->paused(); }
    bool stopRequested() const { return signals_ != nullptr && signals_->stopRequested(); }
    bool hasBlock(const Lane& lane) const { return lane.position < published_; }
    bool mayCompute(const Lane& lane) const { return lane.granted && hasBlock(lane) && !paused(); }
    std::uint64_t slowestPosition() const;
    // Hands free cores to the waiting algorithms furthest behind.
    void grantCores();
    void release(Lane& lane);
    void stopLanes();

    FanOutOptions options_;
    const JobSignals* signals_;
    std::vector<Lane> lanes_;
    std::vector<Slot> slots_;
    unsigned cores_ = 1;
    unsigned coresInUse_ = 0;
    std::uint64_t published_ = 0;
    bool ended_ = false;
    bool complete_ = false;
    bool stopping_ = false;
    bool readerWaiting_ = false;
    bool inline_ = true;  // no threads: the feeding thread computes every algorithm

    std::mutex mutex_;
    std::condition_variable space_;
};

}  // namespace sumwise
