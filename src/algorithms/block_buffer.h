// The buffering and padding shared by the block hashes: collects bytes into
// whole blocks for the compression function and appends the final padding,
// so each algorithm keeps only its compression and its constants.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sumwise {

template <std::size_t BlockSize>
class BlockBuffer {
public:
    static constexpr std::size_t kBlockSize = BlockSize;

    void reset() {
        pending_ = 0;
        totalBytes_ = 0;
        totalHigh_ = 0;
    }

    // Number of bytes taken so far, modulo 2^64; `totalHighBits` carries the
    // bits above that for hashes with 128-bit length fields.
    std::uint64_t totalBytes() const { return totalBytes_; }
    std::uint64_t totalHighBytes() const { return totalHigh_; }
    std::size_t pending() const { return pending_; }

    // Hands every completed block to `compress(blocks, count)`; whole blocks
    // of the input go straight from the caller's memory, without a copy.
    template <typename Compress>
    void update(const std::uint8_t* data, std::size_t size, Compress&& compress) {
        const std::uint64_t before = totalBytes_;
        totalBytes_ += size;
        if (totalBytes_ < before) ++totalHigh_;
        if (pending_ > 0) {
            const std::size_t take = std::min(size, BlockSize - pending_);
            std::memcpy(buffer_.data() + pending_, data, take);
            pending_ += take;
            data += take;
            size -= take;
            if (pending_ < BlockSize) return;
            compress(buffer_.data(), std::size_t{1});
            pending_ = 0;
        }
        if (const std::size_t whole = size / BlockSize; whole > 0) {
            compress(data, whole);
            data += whole * BlockSize;
            size -= whole * BlockSize;
        }
        if (size > 0) {
            std::memcpy(buffer_.data(), data, size);
            pending_ = size;
        }
    }

    // Appends `marker`, then zeros until `tailSize` bytes remain in a block,
    // then the tail (usually the message length), compressing as blocks fill.
    template <typename Compress>
    void finish(std::uint8_t marker, const std::uint8_t* tail, std::size_t tailSize, Compress&& compress) {
        buffer_[pending_++] = marker;
        if (pending_ > BlockSize - tailSize) {
            std::memset(buffer_.data() + pending_, 0, BlockSize - pending_);
            compress(buffer_.data(), std::size_t{1});
            pending_ = 0;
        }
        std::memset(buffer_.data() + pending_, 0, BlockSize - tailSize - pending_);
        std::memcpy(buffer_.data() + BlockSize - tailSize, tail, tailSize);
        compress(buffer_.data(), std::size_t{1});
        pending_ = 0;
    }

    // Direct access for hashes with padding of their own (MD2, GOST, MD6).
    std::uint8_t* data() { return buffer_.data(); }
    void setPending(std::size_t pending) { pending_ = pending; }

private:
    std::array<std::uint8_t, BlockSize> buffer_{};
    std::size_t pending_ = 0;
    std::uint64_t totalBytes_ = 0;
    std::uint64_t totalHigh_ = 0;
};

}  // namespace sumwise
