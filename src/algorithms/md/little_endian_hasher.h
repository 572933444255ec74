// The frame MD4, MD5 and the four RIPEMDs share: 64-byte blocks of
// little-endian words, a 0x80 marker, zeros and the message length in bits as
// a little-endian 64-bit number, and a digest that is the chaining words
// written least significant byte first. Each algorithm brings only its
// initial value and its compression function.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "algorithms/block_buffer.h"
#include "algorithms/bytes.h"
#include "algorithms/hasher.h"

namespace sumwise {

// Compresses `count` consecutive 64-byte blocks into `state`.
using LittleEndianCompress = void (*)(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count);

template <std::size_t Words, LittleEndianCompress Compress>
class LittleEndianHasher final : public Hasher {
public:
    static_assert(Words * 4 <= Digest::kMaxBytes);

    explicit LittleEndianHasher(const std::array<std::uint32_t, Words>& initial) : initial_(initial) { init(); }

    void init() override {
        state_ = initial_;
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        buffer_.update(data, size, [this](const std::uint8_t* blocks, std::size_t count) {
            Compress(state_.data(), blocks, count);
        });
    }

    Digest finish() override {
        // The bit count wraps modulo 2^64, as the standards define it; the
        // byte count behind it is 64 bits wide, so nothing is lost at 4 GiB.
        std::uint8_t length[8];
        bytes::store64le(length, buffer_.totalBytes() << 3);
        buffer_.finish(0x80, length, sizeof length, [this](const std::uint8_t* blocks, std::size_t count) {
            Compress(state_.data(), blocks, count);
        });
        std::uint8_t out[Words * 4];
        for (std::size_t i = 0; i < Words; ++i) bytes::store32le(out + 4 * i, state_[i]);
        return Digest::fromBytes(out, sizeof out);
    }

private:
    std::array<std::uint32_t, Words> initial_;
    std::array<std::uint32_t, Words> state_{};
    BlockBuffer<64> buffer_;
};

}  // namespace sumwise
