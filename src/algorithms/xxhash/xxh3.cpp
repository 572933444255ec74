// XXH3 and XXH128 (seed 0). Inputs up to 240 bytes take the short paths;
// longer ones run eight accumulators over 64-byte stripes, 16 stripes to a
// block with a scramble after each, then the last stripe (the input's last
// 64 bytes, overlapping the one before) and a merge: one merge for XXH3,
// two for XXH128.
//
// The context keeps the message's last 1 to 1024 bytes, aligned to a block,
// until more arrives, so that finish knows which bytes are the last block
// and the last stripe; it keeps the 64 bytes before them as well, for a last
// stripe that reaches back into the block before.
#include <algorithm>
#include <cstring>

#include "algorithms/xxhash/xxhash.h"
#include "algorithms/xxhash/xxhash_internal.h"

namespace sumwise {

namespace {

using namespace xxhash;

constexpr std::uint64_t kInitialAccumulators[8] = {kPrime32_3, kPrime64_1, kPrime64_2, kPrime64_3,
                                                   kPrime64_4, kPrime32_2, kPrime64_5, kPrime32_1};
constexpr std::size_t kMergeOffset = 11;

void scramble(std::uint64_t* acc, const std::uint8_t* secret) {
    for (std::size_t i = 0; i < 8; ++i) {
        std::uint64_t a = acc[i];
        a ^= a >> 47;
        a ^= read64(secret + 8 * i);
        acc[i] = a * kPrime32_1;
    }
}

void stripesPortable(std::uint64_t* acc, const std::uint8_t* data, std::size_t count) {
    std::size_t inBlock = 0;
    for (; count > 0; --count, data += kStripeSize) {
        accumulateStripe(acc, data, kSecret + 8 * inBlock);
        if (++inBlock == kStripesPerBlock) {
            scramble(acc, kSecret + kScrambleOffset);
            inBlock = 0;
        }
    }
}

std::uint64_t merge(const std::uint64_t* acc, const std::uint8_t* secret, std::uint64_t start) {
    for (std::size_t i = 0; i < 4; ++i) {
        start += fold64(acc[2 * i] ^ read64(secret + 16 * i), acc[2 * i + 1] ^ read64(secret + 16 * i + 8));
    }
    return avalanche3(start);
}

template <bool Wide>
class Xxh3Hasher final : public Hasher {
public:
    explicit Xxh3Hasher(Xxh3Stripes stripes) : stripes_(stripes) { init(); }

    void init() override {
        std::copy(std::begin(kInitialAccumulators), std::end(kInitialAccumulators), acc_);
        total_ = 0;
        buffered_ = 0;
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        if (size == 0) return;
        total_ += size;
        if (buffered_ + size <= kBlockSize) {
            std::memcpy(buffer_ + buffered_, data, size);
            buffered_ += size;
            return;
        }
        // More than a block: the buffer is full and not the end.
        if (buffered_ > 0) {
            const std::size_t take = kBlockSize - buffered_;
            std::memcpy(buffer_ + buffered_, data, take);
            data += take;
            size -= take;
            consumeBlocks(buffer_, 1);
        }
        // Whole blocks straight from the input, leaving 1 to 1024 bytes.
        const std::size_t blocks = (size - 1) / kBlockSize;
        if (blocks > 0) consumeBlocks(data, blocks);
        data += blocks * kBlockSize;
        size -= blocks * kBlockSize;
        std::memcpy(buffer_, data, size);
        buffered_ = size;
    }

    Digest finish() override {
        std::uint8_t out[16];
        if (total_ <= kShortMax) {
            if constexpr (Wide) {
                const Hash128 h = xxh3Short128(buffer_, buffered_);
                bytes::store64be(out, h.high);
                bytes::store64be(out + 8, h.low);
            } else {
                bytes::store64be(out, xxh3Short64(buffer_, buffered_));
            }
        } else {
            std::uint64_t acc[8];
            std::copy(std::begin(acc_), std::end(acc_), acc);
            const std::size_t stripes = (buffered_ - 1) / kStripeSize;
            if (stripes > 0) stripes_(acc, buffer_, stripes);
            // The last stripe, joined from the previous block's tail when the buffer is shorter.
            std::uint8_t last[kStripeSize];
            if (buffered_ >= kStripeSize) {
                std::memcpy(last, buffer_ + buffered_ - kStripeSize, kStripeSize);
            } else {
                std::memcpy(last, previousTail_ + buffered_, kStripeSize - buffered_);
                std::memcpy(last + kStripeSize - buffered_, buffer_, buffered_);
            }
            accumulateStripe(acc, last, kSecret + kLastStripeOffset);
            const std::uint64_t low = merge(acc, kSecret + kMergeOffset, total_ * kPrime64_1);
            if constexpr (Wide) {
                const std::uint64_t high =
                    merge(acc, kSecret + kSecretSize - kStripeSize - kMergeOffset, ~(total_ * kPrime64_2));
                bytes::store64be(out, high);
                bytes::store64be(out + 8, low);
            } else {
                bytes::store64be(out, low);
            }
        }
        init();
        return Digest::fromBytes(out, Wide ? 16 : 8);
    }

private:
    void consumeBlocks(const std::uint8_t* data, std::size_t blocks) {
        stripes_(acc_, data, blocks * kStripesPerBlock);
        std::memcpy(previousTail_, data + blocks * kBlockSize - kStripeSize, kStripeSize);
    }

    Xxh3Stripes stripes_;
    alignas(64) std::uint64_t acc_[8];
    std::uint64_t total_ = 0;
    std::size_t buffered_ = 0;
    std::uint8_t previousTail_[kStripeSize];
    std::uint8_t buffer_[kBlockSize];
};

}  // namespace

std::span<const Xxh3Variant> xxh3Variants() {
    static constexpr Xxh3Variant kVariants[] = {
        {"portable", stripesPortable, anyProcessor},
#if defined(__x86_64__)
        // SSE2 is part of every x86-64 processor.
        {"sse2", stripesSse2, anyProcessor},
        {"avx2", stripesAvx2, hasAvx2},
        {"avx512", stripesAvx512, hasAvx512},
#endif
    };
    return kVariants;
}

std::unique_ptr<Hasher> newXxh3With(const AlgorithmParams&, Xxh3Stripes stripes) {
    return std::make_unique<Xxh3Hasher<false>>(stripes);
}

std::unique_ptr<Hasher> newXxh128With(const AlgorithmParams&, Xxh3Stripes stripes) {
    return std::make_unique<Xxh3Hasher<true>>(stripes);
}

std::unique_ptr<Hasher> newXxh3(const AlgorithmParams& params) {
    return newXxh3With(params, bestVariant(xxh3Variants()));
}

std::unique_ptr<Hasher> newXxh128(const AlgorithmParams& params) {
    return newXxh128With(params, bestVariant(xxh3Variants()));
}

}  // namespace sumwise
