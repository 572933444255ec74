// The fan-out: every algorithm sees every block once and in order, the ring
// bounds how far the reader runs ahead of the slowest algorithm, and pause,
// stop and an input that ends badly reach every algorithm.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "jobs/fan_out.h"
#include "jobs/ordered_pool.h"
#include "jobs/streaming.h"
#include "test_support.h"

namespace sumwise {
namespace {

using namespace std::chrono_literals;

std::vector<std::unique_ptr<Hasher>> hashersFor(const std::vector<std::string>& names) {
    std::vector<std::unique_ptr<Hasher>> hashers;
    for (const std::string& name : names) hashers.push_back(test::algorithm(name).newHasher({}));
    return hashers;
}

// Holds every update of the hasher it wraps until the gate opens.
class Gate {
public:
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    void pass() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

class GatedHasher final : public Hasher {
public:
    GatedHasher(Gate& gate, std::unique_ptr<Hasher> inner) : gate_(gate), inner_(std::move(inner)) {}
    void init() override { inner_->init(); }
    void update(const std::uint8_t* data, std::size_t size) override {
        gate_.pass();
        inner_->update(data, size);
    }
    Digest finish() override { return inner_->finish(); }

private:
    Gate& gate_;
    std::unique_ptr<Hasher> inner_;
};

TEST(FanOut, EveryAlgorithmSeesEveryPieceInOrder) {
    const std::vector<std::string> names = {"Adler32", "CRC32", "CRC64", "CRC32", "Adler32"};
    for (unsigned cores : {1u, 2u, 3u, 8u}) {
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, kBlockSize, 5 * kBlockSize + 321}) {
            const auto bytes = test::randomBytes(size, static_cast<std::uint32_t>(size + cores));
            std::atomic<std::uint64_t> blocks{0};
            std::mutex reportedMutex;
            std::vector<std::pair<std::size_t, std::string>> reported;
            FanOutOptions options;
            options.cores = cores;
            options.blocksTaken = &blocks;
            options.finished = [&](std::size_t index, const Digest& digest) {
                std::lock_guard lock(reportedMutex);
                reported.emplace_back(index, digestText(digest, LetterCase::Upper));
            };
            FanOut fanOut(hashersFor(names), options);
            // Uneven pieces, up to one block each.
            std::uint64_t pieces = 0;
            std::size_t offset = 0;
            for (std::size_t piece = 1; offset < size; piece = piece * 3 % kBlockSize + 1, ++pieces) {
                const std::size_t take = std::min(piece, size - offset);
                ASSERT_TRUE(fanOut.feed(bytes.data() + offset, take));
                offset += take;
            }
            const std::vector<Digest> digests = fanOut.finish();
            ASSERT_EQ(digests.size(), names.size());
            for (std::size_t i = 0; i < names.size(); ++i) {
                EXPECT_EQ(digestText(digests[i], LetterCase::Upper), test::hexOf(names[i], bytes))
                    << names[i] << " cores " << cores << " size " << size;
            }
            EXPECT_EQ(blocks.load(), pieces * names.size());
            std::sort(reported.begin(), reported.end());
            ASSERT_EQ(reported.size(), names.size()) << "each algorithm is told once";
            for (std::size_t i = 0; i < names.size(); ++i) {
                EXPECT_EQ(reported[i], std::make_pair(i, test::hexOf(names[i], bytes)));
            }
        }
    }
}

TEST(FanOut, InputThatEndsBadlyFinishesNoAlgorithm) {
    for (unsigned cores : {1u, 2u}) {
        for (const bool destroyOnly : {false, true}) {
            std::atomic<int> told{0};
            FanOutOptions options;
            options.cores = cores;
            options.finished = [&](std::size_t, const Digest&) { told.fetch_add(1); };
            {
                FanOut fanOut(hashersFor({"CRC32", "CRC64", "Adler32"}), options);
                const auto bytes = test::randomBytes(2 * kBlockSize, 9);
                fanOut.feed(bytes.data(), kBlockSize);
                fanOut.feed(bytes.data() + kBlockSize, kBlockSize);
                // A read error, or a fan-out abandoned part-way: its threads must still end.
                if (!destroyOnly) {
                    EXPECT_TRUE(fanOut.end(false).empty());
                }
            }
            EXPECT_EQ(told.load(), 0) << "cores " << cores;
        }
    }
}

TEST(FanOut, TheRingBoundsHowFarTheReaderRunsAhead) {
    Gate gate;
    std::vector<std::unique_ptr<Hasher>> hashers;
    hashers.push_back(std::make_unique<GatedHasher>(gate, test::algorithm("CRC32").newHasher({})));
    hashers.push_back(test::algorithm("CRC64").newHasher({}));
    FanOut fanOut(std::move(hashers), 2);
    const std::size_t blocks = FanOut::kSlots + 3;
    const auto bytes = test::randomBytes(blocks * kBlockSize, 10);
    std::atomic<std::size_t> fed{0};
    std::thread reader([&] {
        for (std::size_t i = 0; i < blocks; ++i) {
            fanOut.feed(bytes.data() + i * kBlockSize, kBlockSize);
            fed.fetch_add(1);
        }
    });
    // The held algorithm has taken nothing: the reader stops when the ring is
    // full (however slowly it gets there under a sanitizer), and stays stopped.
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (fed.load() < FanOut::kSlots && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(fed.load(), FanOut::kSlots);
    gate.open();
    reader.join();
    const std::vector<Digest> digests = fanOut.finish();
    ASSERT_EQ(digests.size(), 2u);
    EXPECT_EQ(digestText(digests[0], LetterCase::Upper), test::hexOf("CRC32", bytes));
    EXPECT_EQ(digestText(digests[1], LetterCase::Upper), test::hexOf("CRC64", bytes));
}

TEST(FanOut, PauseHoldsEveryAlgorithmAndStopReleasesThem) {
    // One core computes on the reader's thread; more use a thread per algorithm.
    for (unsigned cores : {1u, 2u}) {
        JobSignals signals;
        std::atomic<std::uint64_t> taken{0};
        std::atomic<int> told{0};
        FanOutOptions options;
        options.cores = cores;
        options.signals = &signals;
        options.blocksTaken = &taken;
        options.finished = [&](std::size_t, const Digest&) { told.fetch_add(1); };
        FanOut fanOut(hashersFor({"MD2", "CRC32", "Adler32"}), options);
        const auto block = test::randomBytes(kBlockSize, 11);
        std::atomic<bool> feeding{true};
        std::thread reader([&] {
            while (fanOut.feed(block.data(), block.size())) {
            }
            feeding = false;
        });
        ASSERT_TRUE(test::waitUntil([&] { return taken.load() >= 6; }));
        signals.pause();
        std::this_thread::sleep_for(100ms);  // a piece under way ends
        const std::uint64_t held = taken.load();
        std::this_thread::sleep_for(150ms);
        EXPECT_EQ(taken.load(), held) << "cores " << cores;
        signals.resume();
        ASSERT_TRUE(test::waitUntil([&] { return taken.load() > held; }));
        signals.stop();
        reader.join();
        EXPECT_FALSE(feeding.load());
        EXPECT_TRUE(fanOut.end(true).empty());
        EXPECT_EQ(told.load(), 0);
    }
}

// Many inputs at once: whatever order the threads finish in, the results
// are taken in the order given, at most a window of them waits, and a
// failed delivery stops the rest. A wide window hands work over in batches,
// whose pieces any free thread takes.
TEST(OrderedPool, DeliversInTheOrderGivenWithinTheWindow) {
    struct Shape {
        unsigned threads;
        std::size_t window;
    };
    for (const Shape shape : {Shape{1, 4}, Shape{3, 4}, Shape{2, 64}, Shape{3, 200}}) {
        const int window = static_cast<int>(shape.window);
        std::vector<int> delivered;
        std::atomic<int> working{0};
        std::atomic<int> mostWorking{0};
        {
            OrderedPool pool(shape.threads, shape.window);
            for (int i = 0; i < 200; ++i) {
                auto result = std::make_shared<int>(-1);
                ASSERT_TRUE(pool.give(
                    [&, result, i] {
                        const int now = working.fetch_add(1) + 1;
                        int seen = mostWorking.load();
                        while (now > seen && !mostWorking.compare_exchange_weak(seen, now)) {
                        }
                        std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 300));
                        *result = i;
                        working.fetch_sub(1);
                    },
                    [&, result] {
                        delivered.push_back(*result);
                        return true;
                    }));
                EXPECT_LE(static_cast<int>(i + 1 - delivered.size()), window);
            }
            EXPECT_TRUE(pool.deliverAll());
        }
        ASSERT_EQ(delivered.size(), 200u) << shape.threads;
        for (int i = 0; i < 200; ++i) ASSERT_EQ(delivered[i], i) << shape.threads;
        EXPECT_LE(mostWorking.load(), static_cast<int>(shape.threads));

        OrderedPool failing(shape.threads, shape.window);
        int told = 0;
        bool going = true;
        for (int i = 0; i < 50 && going; ++i) going = failing.give([] {}, [&told, i] { return ++told, i != 5; });
        EXPECT_FALSE(going && failing.deliverAll()) << shape.threads;
        EXPECT_EQ(told, 6) << shape.threads;
    }
    // One long piece holds up no other in its batch: the others finish on
    // the other thread while it runs.
    OrderedPool pool(2, 64);
    std::atomic<bool> longOneDone{false};
    std::atomic<int> finishedDuringIt{0};
    for (int i = 0; i < 16; ++i) {
        pool.give(
            [&, i] {
                if (i == 0) {
                    for (int wait = 0; wait < 2000 && finishedDuringIt.load() < 15; ++wait) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                    longOneDone = true;
                } else if (!longOneDone.load()) {
                    ++finishedDuringIt;
                }
            },
            [] { return true; });
    }
    EXPECT_TRUE(pool.deliverAll());
    EXPECT_EQ(finishedDuringIt.load(), 15);
}

}  // namespace
}  // namespace sumwise
