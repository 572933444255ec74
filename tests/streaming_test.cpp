// The file and text drivers and the loop under them: block edges, failures,
// and the per-call control (progress, pause, stop).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "jobs/streaming.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

class RecordingProgress final : public ProgressSink {
public:
    void blockRead(std::uint64_t totalBytes) override { seen.push_back(totalBytes); }
    std::vector<std::uint64_t> seen;
};

std::string text(const HashResult& result) { return digestText(result.digest, LetterCase::Upper); }

TEST(FileDriver, EmptyFileGivesTheEmptyDigestAndNoProgress) {
    test::TempDir dir;
    const auto path = dir.write("empty.bin", std::string_view{});
    RecordingProgress progress;
    const StreamControl control{nullptr, &progress};
    const HashResult result = hashFile(test::algorithm("CRC64"), path, {}, &control);
    ASSERT_TRUE(result.complete());
    EXPECT_EQ(text(result), "0000000000000000");
    EXPECT_EQ(result.bytesRead, 0u);
    EXPECT_TRUE(progress.seen.empty());
}

TEST(FileDriver, ProgressStepsOncePerBlockRead) {
    test::TempDir dir;
    RecordingProgress exact;
    const StreamControl exactControl{nullptr, &exact};
    const auto oneBlock = dir.write("one.bin", test::randomBytes(kBlockSize, 1));
    ASSERT_TRUE(hashFile(test::algorithm("CRC32"), oneBlock, {}, &exactControl).complete());
    EXPECT_EQ(exact.seen, (std::vector<std::uint64_t>{kBlockSize}));

    RecordingProgress over;
    const StreamControl overControl{nullptr, &over};
    const auto twoAndABit = dir.write("more.bin", test::randomBytes(2 * kBlockSize + 1, 2));
    ASSERT_TRUE(hashFile(test::algorithm("CRC32"), twoAndABit, {}, &overControl).complete());
    EXPECT_EQ(over.seen, (std::vector<std::uint64_t>{kBlockSize, 2 * kBlockSize, 2 * kBlockSize + 1}));
}

TEST(FileDriver, InputsAcrossTheBlockEdgeEqualTheSameBytesInOnePiece) {
    test::TempDir dir;
    for (std::size_t size : {kBlockSize - 1, kBlockSize, kBlockSize + 1, 3 * kBlockSize + 77}) {
        const auto bytes = test::randomBytes(size, static_cast<std::uint32_t>(size));
        const auto path = dir.write("edge.bin", bytes);
        for (const char* name : {"Adler32", "CRC32", "CRC64"}) {
            const HashResult result = hashFile(test::algorithm(name), path, {});
            ASSERT_TRUE(result.complete());
            EXPECT_EQ(result.bytesRead, size);
            EXPECT_EQ(text(result), hexOf(name, bytes)) << name << " size " << size;
        }
    }
}

TEST(FileDriver, MissingPathAndDirectoryGiveNoDigest) {
    test::TempDir dir;
    const HashResult missing = hashFile(test::algorithm("CRC32"), dir.path() / "no-such-file", {});
    EXPECT_EQ(missing.status, StreamStatus::CannotOpen);
    EXPECT_TRUE(missing.digest.empty());

    const HashResult folder = hashFile(test::algorithm("CRC32"), dir.path(), {});
    EXPECT_EQ(folder.status, StreamStatus::CannotOpen);
    EXPECT_TRUE(folder.digest.empty());
    EXPECT_FALSE(measureInput(dir.path()).has_value());
}

TEST(FileDriver, ReadErrorIsReportedWithTheDigestOfWhatWasRead) {
    const auto bytes = test::randomBytes(kBlockSize + 1000, 3);
    test::MemorySource source(bytes, kBlockSize + 10);
    const HashResult result = hashInput(test::algorithm("Adler32"), source, {});
    EXPECT_EQ(result.status, StreamStatus::ReadError);
    EXPECT_EQ(result.bytesRead, kBlockSize + 10);
    EXPECT_EQ(text(result), hexOf("Adler32", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + kBlockSize + 10)));
}

TEST(FileDriver, SizesAboveFourGigabytesAreCountedInSixtyFourBits) {
    test::TempDir dir;
    const std::uint64_t size = (std::uint64_t{1} << 32) + 3;
    const auto path = test::sparseFile(dir, "sparse.bin", size);
    if (path.empty()) GTEST_SKIP() << "no room for a sparse file";
    EXPECT_EQ(measureInput(path), size);
    const HashResult result = hashFile(test::algorithm("Adler32"), path, {});
    ASSERT_TRUE(result.complete());
    EXPECT_EQ(result.bytesRead, size);
    // Zero bytes leave A at 1 and add 1 to B per byte.
    const auto expected = static_cast<std::uint32_t>(((size % 65521) << 16) | 1);
    EXPECT_EQ(text(result), digestText(Digest::fromNumber(expected, 4), LetterCase::Upper));
}

TEST(TextDriver, HashesTheBytesBeforeTheFirstNul) {
    const std::string_view withNul("ab\0cd", 5);
    EXPECT_EQ(digestText(hashText(test::algorithm("CRC32"), withNul, {}), LetterCase::Upper), hexOf("CRC32", "ab"));
    const std::string_view leadingNul("\0abc", 4);
    EXPECT_EQ(digestText(hashText(test::algorithm("CRC32"), leadingNul, {}), LetterCase::Upper), "00000000");
    EXPECT_EQ(digestText(hashText(test::algorithm("Adler32"), "", {}), LetterCase::Lower), "00000001");
}

TEST(TextDriver, LongTextsEqualTheSameBytesInOnePiece) {
    const auto bytes = test::randomBytes(2 * kBlockSize + 5, 4);
    std::string textBytes(bytes.begin(), bytes.end());
    for (char& c : textBytes) {
        if (c == '\0') c = 'x';
    }
    const std::string expected = hexOf("CRC64", textBytes);
    EXPECT_EQ(digestText(hashText(test::algorithm("CRC64"), textBytes, {}), LetterCase::Upper), expected);
    const std::string short259(259, 'q');
    EXPECT_EQ(digestText(hashText(test::algorithm("CRC64"), short259, {}), LetterCase::Upper), hexOf("CRC64", short259));
}

class StopAfterBlocks final : public ProgressSink {
public:
    StopAfterBlocks(JobSignals& signals, int blocks) : signals_(signals), left_(blocks) {}
    void blockRead(std::uint64_t) override {
        if (--left_ == 0) signals_.stop();
    }

private:
    JobSignals& signals_;
    int left_;
};

TEST(StreamControl, StopEndsTheLoopBetweenBlocksWithoutADigest) {
    JobSignals signals;
    StopAfterBlocks stopper(signals, 1);
    const StreamControl control{&signals, &stopper};
    test::MemorySource source(test::randomBytes(3 * kBlockSize, 5));
    const HashResult result = hashInput(test::algorithm("CRC32"), source, {}, &control);
    EXPECT_EQ(result.status, StreamStatus::Stopped);
    EXPECT_EQ(result.bytesRead, kBlockSize);
    EXPECT_TRUE(result.digest.empty());
}

TEST(StreamControl, StopBeforeTheStartReadsNothing) {
    JobSignals signals;
    signals.stop();
    const StreamControl control{&signals, nullptr};
    test::MemorySource source(test::randomBytes(10, 6));
    const HashResult result = hashInput(test::algorithm("CRC32"), source, {}, &control);
    EXPECT_EQ(result.status, StreamStatus::Stopped);
    EXPECT_EQ(result.bytesRead, 0u);
}

class PauseAfterFirstBlock final : public ProgressSink {
public:
    explicit PauseAfterFirstBlock(JobSignals& signals) : signals_(signals) {}
    void blockRead(std::uint64_t totalBytes) override {
        if (totalBytes == kBlockSize) signals_.pause();
        blocks.fetch_add(1);
    }
    std::atomic<int> blocks{0};

private:
    JobSignals& signals_;
};

TEST(StreamControl, PausedLoopWaitsUntilResumed) {
    JobSignals signals;
    PauseAfterFirstBlock pauser(signals);
    const StreamControl control{&signals, &pauser};
    const auto bytes = test::randomBytes(2 * kBlockSize + 9, 7);
    test::MemorySource source(bytes);
    HashResult result;
    std::thread worker([&] { result = hashInput(test::algorithm("CRC32"), source, {}, &control); });
    while (pauser.blocks.load() < 1) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pauser.blocks.load(), 1);  // still waiting
    signals.resume();
    worker.join();
    ASSERT_TRUE(result.complete());
    EXPECT_EQ(text(result), hexOf("CRC32", bytes));
}

TEST(StreamControl, StopReleasesAPausedLoop) {
    JobSignals signals;
    PauseAfterFirstBlock pauser(signals);
    const StreamControl control{&signals, &pauser};
    test::MemorySource source(test::randomBytes(3 * kBlockSize, 8));
    HashResult result;
    std::thread worker([&] { result = hashInput(test::algorithm("CRC32"), source, {}, &control); });
    while (pauser.blocks.load() < 1) std::this_thread::yield();
    signals.stop();
    worker.join();
    EXPECT_EQ(result.status, StreamStatus::Stopped);
    EXPECT_EQ(result.bytesRead, kBlockSize);
}

TEST(StreamControl, ResetMakesTheSignalsUsableForTheNextJob) {
    JobSignals signals;
    signals.pause();
    signals.stop();
    signals.reset();
    EXPECT_FALSE(signals.paused());
    EXPECT_FALSE(signals.stopRequested());
    EXPECT_TRUE(signals.waitWhilePaused());
}

}  // namespace
}  // namespace sumwise
