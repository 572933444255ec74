// XXH64: four lanes over 32-byte stripes, the remaining bytes mixed in one
// by one (8, 4, then 1 at a time), and a final avalanche.
#include <algorithm>
#include <cstring>

#include "algorithms/xxhash/xxhash.h"
#include "algorithms/xxhash/xxhash_internal.h"

namespace sumwise {

namespace {

using namespace xxhash;

constexpr std::size_t kStripe = 32;

inline std::uint64_t round(std::uint64_t lane, std::uint64_t input) {
    lane += input * kPrime64_2;
    return rotl64(lane, 31) * kPrime64_1;
}

inline std::uint64_t mergeRound(std::uint64_t h, std::uint64_t lane) {
    h ^= round(0, lane);
    return h * kPrime64_1 + kPrime64_4;
}

void stripesPortable(std::uint64_t* lanes, const std::uint8_t* data, std::size_t count) {
    std::uint64_t v0 = lanes[0], v1 = lanes[1], v2 = lanes[2], v3 = lanes[3];
    for (; count > 0; --count, data += kStripe) {
        v0 = round(v0, read64(data));
        v1 = round(v1, read64(data + 8));
        v2 = round(v2, read64(data + 16));
        v3 = round(v3, read64(data + 24));
    }
    lanes[0] = v0, lanes[1] = v1, lanes[2] = v2, lanes[3] = v3;
}

class Xxh64Hasher final : public Hasher {
public:
    explicit Xxh64Hasher(Xxh64Stripes stripes) : stripes_(stripes) { init(); }

    void init() override {
        lanes_[0] = kPrime64_1 + kPrime64_2;
        lanes_[1] = kPrime64_2;
        lanes_[2] = 0;
        lanes_[3] = 0 - kPrime64_1;
        total_ = 0;
        buffered_ = 0;
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        if (size == 0) return;
        total_ += size;
        if (buffered_ > 0) {
            const std::size_t take = std::min(size, kStripe - buffered_);
            std::memcpy(buffer_ + buffered_, data, take);
            buffered_ += take;
            data += take;
            size -= take;
            if (buffered_ < kStripe) return;
            stripes_(lanes_, buffer_, 1);
            buffered_ = 0;
        }
        const std::size_t whole = size / kStripe;
        if (whole > 0) stripes_(lanes_, data, whole);
        data += whole * kStripe;
        size -= whole * kStripe;
        std::memcpy(buffer_, data, size);
        buffered_ = size;
    }

    Digest finish() override {
        std::uint64_t h;
        if (total_ >= kStripe) {
            h = rotl64(lanes_[0], 1) + rotl64(lanes_[1], 7) + rotl64(lanes_[2], 12) + rotl64(lanes_[3], 18);
            for (const std::uint64_t lane : lanes_) h = mergeRound(h, lane);
        } else {
            h = kPrime64_5;
        }
        h += total_;
        const std::uint8_t* p = buffer_;
        std::size_t left = buffered_;
        for (; left >= 8; left -= 8, p += 8) h = rotl64(h ^ round(0, read64(p)), 27) * kPrime64_1 + kPrime64_4;
        if (left >= 4) {
            h = rotl64(h ^ (std::uint64_t{read32(p)} * kPrime64_1), 23) * kPrime64_2 + kPrime64_3;
            left -= 4;
            p += 4;
        }
        for (; left > 0; --left, ++p) h = rotl64(h ^ (*p * kPrime64_5), 11) * kPrime64_1;
        const Digest digest = Digest::fromNumber(avalanche64(h), 8);
        init();
        return digest;
    }

private:
    Xxh64Stripes stripes_;
    std::uint64_t lanes_[4];
    std::uint64_t total_ = 0;
    std::uint8_t buffer_[kStripe];
    std::size_t buffered_ = 0;
};

}  // namespace

// XXH64's four lanes are chains of full 64-bit multiplications, which SSE2
// and AVX2 lack and AVX-512 has only in DQ at several times the scalar
// cost: the portable loop is the only one, and the peer's is no different.
std::span<const Xxh64Variant> xxh64Variants() {
    static constexpr Xxh64Variant kVariants[] = {
        {"portable", stripesPortable, anyProcessor},
    };
    return kVariants;
}

std::unique_ptr<Hasher> newXxh64With(const AlgorithmParams&, Xxh64Stripes stripes) {
    return std::make_unique<Xxh64Hasher>(stripes);
}

std::unique_ptr<Hasher> newXxh64(const AlgorithmParams& params) {
    return newXxh64With(params, bestVariant(xxh64Variants()));
}

}  // namespace sumwise
