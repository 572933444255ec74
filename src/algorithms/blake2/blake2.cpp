// The BLAKE2 frame shared by BLAKE2b and BLAKE2s: the parameter block folded
// into the initial value, and a buffer that always holds back the last block,
// since only at the end is it known to be the final one (with the counter at
// the message length and the final flag set).
#include "algorithms/blake2/blake2.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "algorithms/blake2/blake2_internal.h"
#include "algorithms/bytes.h"

namespace sumwise {

namespace {

template <typename Word>
class Blake2Hasher final : public Hasher {
public:
    static constexpr std::size_t kBlockSize = 16 * sizeof(Word);
    static constexpr std::size_t kDigestBytes = 8 * sizeof(Word);

    Blake2Hasher(const Word (&iv)[8], Blake2Compress<Word> compress) : compress_(compress) {
        std::copy(std::begin(iv), std::end(iv), initial_.begin());
        // Parameter block: digest length, no key, fan-out 1, depth 1; the rest zero.
        initial_[0] ^= 0x01010000 ^ static_cast<Word>(kDigestBytes);
        init();
    }

    void init() override {
        h_ = initial_;
        t_ = {};
        pending_ = 0;
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        if (size == 0) return;  // `data` may then be null, which memcpy does not take
        if (size <= kBlockSize - pending_) {
            std::memcpy(buffer_.data() + pending_, data, size);
            pending_ += size;
            return;
        }
        // More follows the buffered bytes, so a full buffer is not the last block.
        if (pending_ > 0) {
            const std::size_t take = kBlockSize - pending_;
            std::memcpy(buffer_.data() + pending_, data, take);
            compress_(h_.data(), t_.data(), buffer_.data(), 1, kBlockSize, false);
            data += take;
            size -= take;
        }
        // Keeps 1 to kBlockSize bytes back for the next call or the end.
        const std::size_t whole = (size - 1) / kBlockSize;
        if (whole > 0) {
            compress_(h_.data(), t_.data(), data, whole, kBlockSize, false);
            data += whole * kBlockSize;
            size -= whole * kBlockSize;
        }
        std::memcpy(buffer_.data(), data, size);
        pending_ = size;
    }

    Digest finish() override {
        std::memset(buffer_.data() + pending_, 0, kBlockSize - pending_);
        compress_(h_.data(), t_.data(), buffer_.data(), 1, static_cast<Word>(pending_), true);
        pending_ = 0;
        std::uint8_t out[kDigestBytes];
        for (std::size_t i = 0; i < 8; ++i) bytes::storeLittle(out + sizeof(Word) * i, h_[i]);
        return Digest::fromBytes(out, kDigestBytes);
    }

private:
    Blake2Compress<Word> compress_;
    std::array<Word, 8> initial_{};
    std::array<Word, 8> h_{};
    std::array<Word, 2> t_{};
    std::array<std::uint8_t, kBlockSize> buffer_{};
    std::size_t pending_ = 0;
};

}  // namespace

std::span<const Blake2bVariant> blake2bVariants() {
    static constexpr Blake2bVariant kVariants[] = {
        {"portable", blake2::compress64Portable, anyProcessor},
#if SUMWISE_BLAKE2_X86
        {"avx2", blake2::compress64Avx2, hasAvx2},
#endif
    };
    return kVariants;
}

std::span<const Blake2sVariant> blake2sVariants() {
    static constexpr Blake2sVariant kVariants[] = {
        {"portable", blake2::compress32Portable, anyProcessor},
#if SUMWISE_BLAKE2_X86
        {"sse4.1", blake2::compress32Sse41, hasSse41},
        {"avx512", blake2::compress32Avx512, hasAvx512},
#endif
    };
    return kVariants;
}

std::unique_ptr<Hasher> newBlake2bWith(const AlgorithmParams&, Blake2bCompress compress) {
    return std::make_unique<Blake2Hasher<std::uint64_t>>(blake2::kIv64, compress);
}

std::unique_ptr<Hasher> newBlake2sWith(const AlgorithmParams&, Blake2sCompress compress) {
    return std::make_unique<Blake2Hasher<std::uint32_t>>(blake2::kIv32, compress);
}

std::unique_ptr<Hasher> newBlake2b(const AlgorithmParams& params) {
    return newBlake2bWith(params, bestVariant(blake2bVariants()));
}

std::unique_ptr<Hasher> newBlake2s(const AlgorithmParams& params) {
    return newBlake2sWith(params, bestVariant(blake2sVariants()));
}

}  // namespace sumwise
