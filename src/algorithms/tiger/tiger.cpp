// Tiger: 64-bit S-box look-ups, the three passes unrolled, the key schedule
// between them inline.
#include "algorithms/tiger/tiger.h"

#include "algorithms/block_buffer.h"
#include "algorithms/bytes.h"
#include "algorithms/tiger/tiger_sboxes.h"

namespace sumwise {

namespace {

constexpr std::uint64_t kInitialState[3] = {0x0123456789ABCDEFull, 0xFEDCBA9876543210ull, 0xF096A5B4C3B2E187ull};

// One step: the third word takes the message word, the first loses the S-box
// values of its even bytes, the second gains those of its odd bytes and is
// multiplied.
template <std::uint64_t Multiplier>
[[gnu::always_inline]] inline void step(std::uint64_t& a, std::uint64_t& b, std::uint64_t& c, std::uint64_t x) {
    using tiger_tables::kSboxes;
    c ^= x;
    const auto lo = static_cast<std::uint32_t>(c);
    const auto hi = static_cast<std::uint32_t>(c >> 32);
    a -= kSboxes[0][lo & 0xFF] ^ kSboxes[1][(lo >> 16) & 0xFF] ^ kSboxes[2][hi & 0xFF] ^ kSboxes[3][(hi >> 16) & 0xFF];
    b += kSboxes[3][(lo >> 8) & 0xFF] ^ kSboxes[2][lo >> 24] ^ kSboxes[1][(hi >> 8) & 0xFF] ^ kSboxes[0][hi >> 24];
    b *= Multiplier;
}

// Eight steps, the roles of a, b, c rotating by one place after each.
template <std::uint64_t Multiplier>
[[gnu::always_inline]] inline void pass(std::uint64_t& a, std::uint64_t& b, std::uint64_t& c, const std::uint64_t* x) {
    step<Multiplier>(a, b, c, x[0]);
    step<Multiplier>(b, c, a, x[1]);
    step<Multiplier>(c, a, b, x[2]);
    step<Multiplier>(a, b, c, x[3]);
    step<Multiplier>(b, c, a, x[4]);
    step<Multiplier>(c, a, b, x[5]);
    step<Multiplier>(a, b, c, x[6]);
    step<Multiplier>(b, c, a, x[7]);
}

[[gnu::always_inline]] inline void keySchedule(std::uint64_t* x) {
    x[0] -= x[7] ^ 0xA5A5A5A5A5A5A5A5ull;
    x[1] ^= x[0];
    x[2] += x[1];
    x[3] -= x[2] ^ (~x[1] << 19);
    x[4] ^= x[3];
    x[5] += x[4];
    x[6] -= x[5] ^ (~x[4] >> 23);
    x[7] ^= x[6];
    x[0] += x[7];
    x[1] -= x[0] ^ (~x[7] << 19);
    x[2] ^= x[1];
    x[3] += x[2];
    x[4] -= x[3] ^ (~x[2] >> 23);
    x[5] ^= x[4];
    x[6] += x[5];
    x[7] -= x[6] ^ 0x0123456789ABCDEFull;
}

}  // namespace

void tigerCompress(TigerState& state, const std::uint8_t* blocks, std::size_t count) {
    std::uint64_t a = state[0];
    std::uint64_t b = state[1];
    std::uint64_t c = state[2];
    for (; count > 0; --count, blocks += 64) {
        std::uint64_t x[8];
        for (int i = 0; i < 8; ++i) x[i] = bytes::load64le(blocks + 8 * i);
        const std::uint64_t aa = a;
        const std::uint64_t bb = b;
        const std::uint64_t cc = c;
        pass<5>(a, b, c, x);
        keySchedule(x);
        pass<7>(c, a, b, x);
        keySchedule(x);
        pass<9>(b, c, a, x);
        a ^= aa;
        b -= bb;
        c += cc;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
}

namespace {

class Tiger final : public Hasher {
    // Hands whole blocks to the compression.
    auto compress() {
        return [this](const std::uint8_t* blocks, std::size_t count) { tigerCompress(state_, blocks, count); };
    }

public:
    Tiger() { init(); }

    void init() override {
        for (int i = 0; i < 3; ++i) state_[i] = kInitialState[i];
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override { buffer_.update(data, size, compress()); }

    Digest finish() override {
        // The message length in bits, modulo 2^64, least significant byte first.
        std::uint8_t length[8];
        bytes::store64le(length, buffer_.totalBytes() << 3);
        buffer_.finish(0x01, length, sizeof length, compress());
        // Each word least significant byte first: the byte order of the digest.
        std::uint8_t digest[24];
        for (int i = 0; i < 3; ++i) bytes::store64le(digest + 8 * i, state_[i]);
        return Digest::fromBytes(digest, sizeof digest);
    }

private:
    TigerState state_{};
    BlockBuffer<64> buffer_;
};

}  // namespace

std::unique_ptr<Hasher> newTiger(const AlgorithmParams&) { return std::make_unique<Tiger>(); }

}  // namespace sumwise
