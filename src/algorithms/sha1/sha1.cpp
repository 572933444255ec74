// SHA-0, SHA-1 and SHA-1-IME contexts: one class, told its compression.
#include <array>

#include "algorithms/block_buffer.h"
#include "algorithms/bytes.h"
#include "algorithms/sha1/sha1.h"

namespace sumwise {

namespace {

constexpr std::array<std::uint32_t, 5> kInitial = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};

class Sha1Family final : public Hasher {
public:
    explicit Sha1Family(Sha1Compress compress) : compress_(compress) {}

    void init() override {
        state_ = kInitial;
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        buffer_.update(data, size, [this](const std::uint8_t* blocks, std::size_t count) {
            compress_(state_.data(), blocks, count);
        });
    }

    Digest finish() override {
        // The message length in bits, modulo 2^64, big-endian.
        std::uint8_t length[8];
        bytes::store64be(length, buffer_.totalBytes() << 3);
        buffer_.finish(0x80, length, sizeof length, [this](const std::uint8_t* blocks, std::size_t count) {
            compress_(state_.data(), blocks, count);
        });
        std::uint8_t out[20];
        for (std::size_t i = 0; i < state_.size(); ++i) bytes::store32be(out + 4 * i, state_[i]);
        return Digest::fromBytes(out, sizeof out);
    }

private:
    Sha1Compress compress_;
    std::array<std::uint32_t, 5> state_ = kInitial;
    BlockBuffer<64> buffer_;
};

}  // namespace

std::unique_ptr<Hasher> newSha0(const AlgorithmParams&) {
    return std::make_unique<Sha1Family>(sha1Compress(Sha1Schedule::Sha0));
}

std::unique_ptr<Hasher> newSha1(const AlgorithmParams&) {
    return std::make_unique<Sha1Family>(sha1Compress(Sha1Schedule::Sha1));
}

std::unique_ptr<Hasher> newSha1Ime(const AlgorithmParams&) {
    return std::make_unique<Sha1Family>(sha1Compress(Sha1Schedule::Ime));
}

}  // namespace sumwise
