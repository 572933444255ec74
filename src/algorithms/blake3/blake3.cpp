// The BLAKE3 context: the chunk being filled, the stack of chaining values of
// finished subtrees, and whole subtrees hashed straight from the input, many
// chunks (and then many parents) at once through the kernels' hashMany.
#include <algorithm>
#include <bit>
#include <cstring>

#include "algorithms/blake3/blake3.h"
#include "algorithms/blake3/blake3_internal.h"

namespace sumwise {

namespace {

using namespace blake3;

// A compression not yet done, kept until we know whether it is the root.
struct Output {
    std::uint32_t cv[8];
    std::uint8_t block[kBlockBytes];
    std::uint32_t blockLength;
    std::uint64_t counter;
    std::uint32_t flags;
};

// At most 2^54 chunks make up 2^64 bytes, so the stack holds one subtree per
// bit of the chunk count before the newest one, plus that one.
constexpr std::size_t kMaxDepth = 54;
constexpr std::size_t kStackEntries = kMaxDepth + 1;
// The largest subtree hashed in one go: its chunks' chaining values sit in a
// buffer on the stack, and the levels above them are hashed in lanes as well.
constexpr std::size_t kMaxSubtreeChunks = 256;

class Blake3Hasher final : public Hasher {
public:
    explicit Blake3Hasher(const Blake3Kernels& kernels) : kernels_(kernels) { init(); }

    void init() override {
        chunkCounter_ = 0;
        resetChunk();
        stackSize_ = 0;
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            if (chunkLength() == kChunkBytes) {
                // More input follows, so the full chunk is not the root.
                Output output = chunkOutput();
                kernels_.compress(output.cv, output.block, output.blockLength, output.counter, output.flags);
                pushCv(output.cv, chunkCounter_);
                ++chunkCounter_;
                resetChunk();
            }
            if (chunkLength() == 0 && size > kChunkBytes) {
                const std::size_t taken = hashSubtree(data, size);
                data += taken;
                size -= taken;
                continue;
            }
            // A new chunk starts: the subtrees before it are finished and none
            // of them is a child of the root, so they can be merged now.
            if (chunkLength() == 0) mergeStack(chunkCounter_);
            const std::size_t take = std::min(size, kChunkBytes - chunkLength());
            chunkUpdate(data, take);
            data += take;
            size -= take;
        }
    }

    Digest finish() override {
        Output output;
        std::size_t remaining = stackSize_;
        if (stackSize_ == 0 || chunkLength() > 0) {
            output = chunkOutput();
        } else {
            // The input ended on a subtree's edge: its two children are on top.
            output = parentOutput(stack_[stackSize_ - 2], stack_[stackSize_ - 1]);
            remaining -= 2;
        }
        while (remaining > 0) {
            kernels_.compress(output.cv, output.block, output.blockLength, output.counter, output.flags);
            --remaining;
            output = parentOutput(stack_[remaining], output.cv);
        }
        // The root's counter numbers its output blocks; the digest is block 0.
        kernels_.compress(output.cv, output.block, output.blockLength, 0, output.flags | kRoot);
        std::uint8_t digest[kCvBytes];
        for (int i = 0; i < 8; ++i) bytes::storeLittle(digest + 4 * i, output.cv[i]);
        init();
        return Digest::fromBytes(digest, kCvBytes);
    }

private:
    std::size_t chunkLength() const { return blocksDone_ * kBlockBytes + blockLength_; }

    void resetChunk() {
        std::copy(std::begin(kIv), std::end(kIv), chunkCv_);
        std::memset(block_, 0, sizeof block_);
        blockLength_ = 0;
        blocksDone_ = 0;
    }

    std::uint32_t chunkStartFlag() const { return blocksDone_ == 0 ? kChunkStart : 0; }

    // Takes `size` bytes, no more than the chunk has room for. A full block
    // is compressed only once more bytes follow: the last one ends the chunk.
    void chunkUpdate(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            if (blockLength_ == kBlockBytes) {
                kernels_.compress(chunkCv_, block_, kBlockBytes, chunkCounter_, chunkStartFlag());
                ++blocksDone_;
                blockLength_ = 0;
                std::memset(block_, 0, sizeof block_);
            }
            const std::size_t take = std::min(size, kBlockBytes - blockLength_);
            std::memcpy(block_ + blockLength_, data, take);
            blockLength_ += static_cast<std::uint32_t>(take);
            data += take;
            size -= take;
        }
    }

    Output chunkOutput() const {
        Output output;
        std::copy(std::begin(chunkCv_), std::end(chunkCv_), output.cv);
        std::memcpy(output.block, block_, sizeof block_);
        output.blockLength = blockLength_;
        output.counter = chunkCounter_;
        output.flags = chunkStartFlag() | kChunkEnd;
        return output;
    }

    static Output parentOutput(const std::uint32_t* left, const std::uint32_t* right) {
        Output output;
        std::copy(std::begin(kIv), std::end(kIv), output.cv);
        for (int i = 0; i < 8; ++i) {
            bytes::storeLittle(output.block + 4 * i, left[i]);
            bytes::storeLittle(output.block + kCvBytes + 4 * i, right[i]);
        }
        output.blockLength = kBlockBytes;
        output.counter = 0;
        output.flags = kParent;
        return output;
    }

    // Hashes the largest subtree the input holds from the current chunk
    // counter (a power of two of chunks dividing that counter) and pushes its
    // chaining value, or its two children when it may be the whole message.
    // `size` is above one chunk. Returns the bytes taken.
    std::size_t hashSubtree(const std::uint8_t* data, std::size_t size) {
        std::size_t chunks = std::bit_floor(std::min(size / kChunkBytes, kMaxSubtreeChunks));
        while ((chunkCounter_ & (chunks - 1)) != 0) chunks /= 2;
        std::uint8_t cvs[kMaxSubtreeChunks * kCvBytes];
        std::uint8_t parents[kMaxSubtreeChunks / 2 * kCvBytes];
        kernels_.hashMany(data, chunks, kBlocksPerChunk, kIv, chunkCounter_, true, 0, kChunkStart, kChunkEnd, cvs);
        if (chunks == 1) {
            // One chunk, and more input after it.
            pushCv(cvs, chunkCounter_);
        } else {
            std::uint8_t* level = cvs;
            std::uint8_t* above = parents;
            for (std::size_t n = chunks; n > 2; n /= 2) {
                kernels_.hashMany(level, n / 2, 1, kIv, 0, false, kParent, 0, 0, above);
                std::swap(level, above);
            }
            pushCv(level, chunkCounter_);
            pushCv(level + kCvBytes, chunkCounter_ + chunks / 2);
        }
        chunkCounter_ += chunks;
        return chunks * kChunkBytes;
    }

    void pushCv(const std::uint8_t* cvBytes, std::uint64_t chunkCounter) {
        std::uint32_t cv[8];
        for (int i = 0; i < 8; ++i) cv[i] = bytes::loadLittle<std::uint32_t>(cvBytes + 4 * i);
        pushCv(cv, chunkCounter);
    }

    // Merges the finished subtrees before chunk `chunkCounter` until one
    // remains per bit set in it. Merging waits until more input is known to
    // follow, because the two values on top may be the root's children.
    void mergeStack(std::uint64_t chunkCounter) {
        // Past 2^64 bytes the counter itself would wrap; the limit only keeps
        // the stack in bounds there.
        const std::size_t keep = std::min<std::size_t>(std::popcount(chunkCounter), kStackEntries - 1);
        while (stackSize_ > keep) {
            Output parent = parentOutput(stack_[stackSize_ - 2], stack_[stackSize_ - 1]);
            kernels_.compress(parent.cv, parent.block, parent.blockLength, parent.counter, parent.flags);
            stackSize_ -= 2;
            std::copy(std::begin(parent.cv), std::end(parent.cv), stack_[stackSize_++]);
        }
    }

    // Pushes the chaining value of the subtree starting at chunk `chunkCounter`.
    void pushCv(const std::uint32_t* cv, std::uint64_t chunkCounter) {
        mergeStack(chunkCounter);
        std::copy(cv, cv + 8, stack_[stackSize_++]);
    }

    Blake3Kernels kernels_;
    std::uint32_t chunkCv_[8];
    std::uint64_t chunkCounter_ = 0;
    std::uint8_t block_[kBlockBytes];
    std::uint32_t blockLength_ = 0;
    std::size_t blocksDone_ = 0;
    std::uint32_t stack_[kStackEntries][8];
    std::size_t stackSize_ = 0;
};

#if SUMWISE_BLAKE3_X86
bool hasSse41Avx2(const CpuFeatures& cpu) { return hasSse41(cpu) && hasAvx2(cpu); }
bool hasSse41Avx512(const CpuFeatures& cpu) { return hasSse41(cpu) && hasAvx512(cpu); }
#endif

}  // namespace

std::span<const Blake3Variant> blake3Variants() {
    static constexpr Blake3Variant kVariants[] = {
        {"portable", {compressPortable, hashManyPortable}, anyProcessor},
#if SUMWISE_BLAKE3_X86
        {"sse4.1", {compressSse41, hashManySse41}, hasSse41},
        {"avx2", {compressSse41, hashManyAvx2}, hasSse41Avx2},
        {"avx512", {compressAvx512, hashManyAvx512}, hasSse41Avx512},
#endif
    };
    return kVariants;
}

std::unique_ptr<Hasher> newBlake3With(const AlgorithmParams&, Blake3Kernels kernels) {
    return std::make_unique<Blake3Hasher>(kernels);
}

std::unique_ptr<Hasher> newBlake3(const AlgorithmParams& params) {
    return newBlake3With(params, bestVariant(blake3Variants()));
}

}  // namespace sumwise
