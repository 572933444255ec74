// The frame of the Merkle-Damgard hashes (MD4, MD5, the RIPEMDs, SHA-0/1,
// SHA-2, Tiger, Whirlpool): chaining words, a compression over whole blocks,
// padding with a marker byte, zeros and the message length in bits, and a
// digest made of the chaining words. Each algorithm brings only its initial
// value, its compression function and the shape of its frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "algorithms/block_buffer.h"
#include "algorithms/bytes.h"
#include "algorithms/hasher.h"

namespace sumwise {

enum class ByteOrder { Little, Big };

struct MdFrame {
    std::uint8_t marker;      // the first pad byte
    std::size_t lengthBytes;  // the length field closing the last block: 8, 16 or 32 bytes
    ByteOrder order;          // of the length field and of the digest's words
};

inline constexpr MdFrame kLittleEndianFrame{0x80, 8, ByteOrder::Little};  // MD4, MD5, RIPEMD
inline constexpr MdFrame kBigEndianFrame{0x80, 8, ByteOrder::Big};        // SHA-0, SHA-1, SHA-224/256

// The message length in bits, ((highBytes : bytes) * 8), written as a number
// `size` bytes wide; a narrower field keeps the low bits, as the standards say.
void writeBitLength(std::uint64_t bytes, std::uint64_t highBytes, ByteOrder order, std::uint8_t* field,
                    std::size_t size);

template <typename Word, std::size_t StateWords, std::size_t BlockSize = 16 * sizeof(Word)>
class MdHasher final : public Hasher {
public:
    using State = std::array<Word, StateWords>;
    // Compresses `count` consecutive blocks into `state`.
    using Compress = void (*)(Word* state, const std::uint8_t* blocks, std::size_t count);
    static constexpr std::size_t kStateBytes = StateWords * sizeof(Word);
    static_assert(kStateBytes <= Digest::kMaxBytes);

    // `digestBytes` below the state's size keeps only the first bytes (SHA-224, SHA-384).
    MdHasher(const State& initial, Compress compress, const MdFrame& frame, std::size_t digestBytes = kStateBytes)
        : initial_(initial), compress_(compress), frame_(frame), digestBytes_(digestBytes) {
        init();
    }

    void init() override {
        state_ = initial_;
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override { buffer_.update(data, size, blockSink()); }

    Digest finish() override {
        std::uint8_t length[32] = {};
        writeBitLength(buffer_.totalBytes(), buffer_.totalHighBytes(), frame_.order, length, frame_.lengthBytes);
        buffer_.finish(frame_.marker, length, frame_.lengthBytes, blockSink());
        std::uint8_t out[kStateBytes];
        for (std::size_t i = 0; i < StateWords; ++i) {
            if (frame_.order == ByteOrder::Little) {
                bytes::storeLittle(out + sizeof(Word) * i, state_[i]);
            } else {
                bytes::storeBig(out + sizeof(Word) * i, state_[i]);
            }
        }
        return Digest::fromBytes(out, digestBytes_);
    }

private:
    auto blockSink() {
        return [this](const std::uint8_t* blocks, std::size_t count) { compress_(state_.data(), blocks, count); };
    }

    State initial_;
    Compress compress_;
    MdFrame frame_;
    std::size_t digestBytes_;
    State state_{};
    BlockBuffer<BlockSize> buffer_;
};

}  // namespace sumwise
