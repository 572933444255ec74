// The SHA-3 sponge: whole blocks of the rate go straight from the caller's
// memory to the absorb, a partial block waits in the buffer; the padding is
// the domain bits 01, then pad10*1, and the digest is the first bytes of the
// state, little-endian lanes.
#include "algorithms/sha3/sha3.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "algorithms/bytes.h"
#include "algorithms/sha3/keccak_internal.h"

namespace sumwise {

namespace {

class Sha3Hasher final : public Hasher {
public:
    Sha3Hasher(std::size_t digestBytes, KeccakAbsorb absorb)
        : rate_(200 - 2 * digestBytes), digestBytes_(digestBytes), absorb_(absorb) {
        init();
    }

    void init() override {
        state_.fill(0);
        pending_ = 0;
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        if (size == 0) return;  // `data` may then be null, which memcpy does not take
        if (pending_ > 0) {
            const std::size_t take = std::min(size, rate_ - pending_);
            std::memcpy(buffer_.data() + pending_, data, take);
            pending_ += take;
            data += take;
            size -= take;
            if (pending_ < rate_) return;
            absorb_(state_.data(), buffer_.data(), 1, rate_);
            pending_ = 0;
        }
        if (const std::size_t whole = size / rate_; whole > 0) {
            absorb_(state_.data(), data, whole, rate_);
            data += whole * rate_;
            size -= whole * rate_;
        }
        if (size > 0) {
            std::memcpy(buffer_.data(), data, size);
            pending_ = size;
        }
    }

    Digest finish() override {
        std::memset(buffer_.data() + pending_, 0, rate_ - pending_);
        buffer_[pending_] = 0x06;  // the SHA-3 domain bits 01 and the first pad bit
        buffer_[rate_ - 1] |= 0x80;
        absorb_(state_.data(), buffer_.data(), 1, rate_);
        pending_ = 0;
        std::uint8_t out[64];
        for (std::size_t i = 0; i < 8; ++i) bytes::store64le(out + 8 * i, state_[i]);
        return Digest::fromBytes(out, digestBytes_);
    }

private:
    std::size_t rate_;
    std::size_t digestBytes_;
    KeccakAbsorb absorb_;
    std::array<std::uint64_t, keccak::kLanes> state_{};
    std::array<std::uint8_t, keccak::kMaxRate> buffer_{};
    std::size_t pending_ = 0;
};

}  // namespace

std::span<const KeccakVariant> keccakVariants() {
    static constexpr KeccakVariant kVariants[] = {
        {"portable", keccak::absorbPortable, anyProcessor},
#if SUMWISE_KECCAK_BMI2
        {"bmi2", keccak::absorbBmi2, hasBmi2},
#endif
#if SUMWISE_KECCAK_AVX512
        {"avx512", keccak::absorbAvx512, hasAvx512},
#endif
    };
    return kVariants;
}

std::unique_ptr<Hasher> newSha3_224With(const AlgorithmParams&, KeccakAbsorb absorb) {
    return std::make_unique<Sha3Hasher>(28, absorb);
}

std::unique_ptr<Hasher> newSha3_256With(const AlgorithmParams&, KeccakAbsorb absorb) {
    return std::make_unique<Sha3Hasher>(32, absorb);
}

std::unique_ptr<Hasher> newSha3_384With(const AlgorithmParams&, KeccakAbsorb absorb) {
    return std::make_unique<Sha3Hasher>(48, absorb);
}

std::unique_ptr<Hasher> newSha3_512With(const AlgorithmParams&, KeccakAbsorb absorb) {
    return std::make_unique<Sha3Hasher>(64, absorb);
}

std::unique_ptr<Hasher> newSha3_224(const AlgorithmParams& params) {
    return newSha3_224With(params, bestVariant(keccakVariants()));
}

std::unique_ptr<Hasher> newSha3_256(const AlgorithmParams& params) {
    return newSha3_256With(params, bestVariant(keccakVariants()));
}

std::unique_ptr<Hasher> newSha3_384(const AlgorithmParams& params) {
    return newSha3_384With(params, bestVariant(keccakVariants()));
}

std::unique_ptr<Hasher> newSha3_512(const AlgorithmParams& params) {
    return newSha3_512With(params, bestVariant(keccakVariants()));
}

}  // namespace sumwise
