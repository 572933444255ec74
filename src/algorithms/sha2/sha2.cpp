// SHA-224, SHA-256, SHA-384 and SHA-512 contexts: one class per engine,
// told its initial value and digest length.
#include <array>

#include "algorithms/block_buffer.h"
#include "algorithms/bytes.h"
#include "algorithms/sha2/sha2.h"

namespace sumwise {

namespace {

using Sha256State = std::array<std::uint32_t, 8>;
using Sha512State = std::array<std::uint64_t, 8>;

constexpr Sha256State kSha224Initial = {0xC1059ED8, 0x367CD507, 0x3070DD17, 0xF70E5939,
                                        0xFFC00B31, 0x68581511, 0x64F98FA7, 0xBEFA4FA4};
constexpr Sha256State kSha256Initial = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                                        0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};
constexpr Sha512State kSha384Initial = {0xCBBB9D5DC1059ED8, 0x629A292A367CD507, 0x9159015A3070DD17,
                                        0x152FECD8F70E5939, 0x67332667FFC00B31, 0x8EB44A8768581511,
                                        0xDB0C2E0D64F98FA7, 0x47B5481DBEFA4FA4};
constexpr Sha512State kSha512Initial = {0x6A09E667F3BCC908, 0xBB67AE8584CAA73B, 0x3C6EF372FE94F82B,
                                        0xA54FF53A5F1D36F1, 0x510E527FADE682D1, 0x9B05688C2B3E6C1F,
                                        0x1F83D9ABFB41BD6B, 0x5BE0CD19137E2179};

// Word: the engine's word; Compress: its compression; the block is sixteen words.
template <typename Word, typename Compress>
class Sha2 final : public Hasher {
public:
    using State = std::array<Word, 8>;
    static constexpr std::size_t kBlock = 16 * sizeof(Word);

    Sha2(const State& initial, std::size_t digestBytes, Compress compress)
        : initial_(initial), digestBytes_(digestBytes), compress_(compress) {}

    void init() override {
        state_ = initial_;
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        buffer_.update(data, size, [this](const std::uint8_t* blocks, std::size_t count) {
            compress_(state_.data(), blocks, count);
        });
    }

    Digest finish() override {
        // The message length in bits, big-endian, in a field of two words:
        // 64 bits for the 32-bit engine, 128 for the 64-bit engine.
        std::uint8_t length[2 * sizeof(Word)] = {};
        const std::uint64_t lowBits = buffer_.totalBytes() << 3;
        if constexpr (sizeof(Word) == 8) {
            const std::uint64_t highBits = (buffer_.totalHighBytes() << 3) | (buffer_.totalBytes() >> 61);
            bytes::store64be(length, highBits);
            bytes::store64be(length + 8, lowBits);
        } else {
            bytes::store64be(length, lowBits);
        }
        buffer_.finish(0x80, length, sizeof length, [this](const std::uint8_t* blocks, std::size_t count) {
            compress_(state_.data(), blocks, count);
        });
        std::uint8_t out[8 * sizeof(Word)];
        for (std::size_t i = 0; i < state_.size(); ++i) bytes::storeBig(out + sizeof(Word) * i, state_[i]);
        return Digest::fromBytes(out, digestBytes_);
    }

private:
    State initial_;
    std::size_t digestBytes_;
    Compress compress_;
    State state_ = initial_;
    BlockBuffer<kBlock> buffer_;
};

using Sha256Engine = Sha2<std::uint32_t, Sha256Compress>;
using Sha512Engine = Sha2<std::uint64_t, Sha512Compress>;

}  // namespace

std::unique_ptr<Hasher> newSha224(const AlgorithmParams&) {
    return std::make_unique<Sha256Engine>(kSha224Initial, 28, sha256Compress());
}

std::unique_ptr<Hasher> newSha256(const AlgorithmParams&) {
    return std::make_unique<Sha256Engine>(kSha256Initial, 32, sha256Compress());
}

std::unique_ptr<Hasher> newSha384(const AlgorithmParams&) {
    return std::make_unique<Sha512Engine>(kSha384Initial, 48, sha512Compress());
}

std::unique_ptr<Hasher> newSha512(const AlgorithmParams&) {
    return std::make_unique<Sha512Engine>(kSha512Initial, 64, sha512Compress());
}

}  // namespace sumwise
