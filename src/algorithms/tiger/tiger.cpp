// Tiger: 64-bit S-box look-ups, the three passes unrolled, the key schedule
// between them inline. The compression is a chain of 24 steps, each waiting
// for the previous one's S-box look-ups, so its speed is the latency of one
// step: extracting the index bytes, loading, combining, subtracting.
#include "algorithms/tiger/tiger.h"

#include "algorithms/md_hasher.h"
#include "algorithms/bytes.h"
#include "algorithms/cpu_features.h"
#include "algorithms/tiger/tiger_sboxes.h"

#if defined(__x86_64__)
#define SUMWISE_TIGER_BEXTR 1
#else
#define SUMWISE_TIGER_BEXTR 0
#endif

namespace sumwise {

namespace {

using tiger_tables::kSboxes;

constexpr MdHasher<std::uint64_t, 3, 64>::State kInitialState = {0x0123456789ABCDEFull, 0xFEDCBA9876543210ull,
                                                                 0xF096A5B4C3B2E187ull};

// The look-ups of the even bytes of c, whose sum the next step waits for.
struct PortableLookup {
    [[gnu::always_inline]] static std::uint64_t even(std::uint64_t c) {
        const auto lo = static_cast<std::uint32_t>(c);
        const auto hi = static_cast<std::uint32_t>(c >> 32);
        return kSboxes[0][lo & 0xFF] ^ kSboxes[1][(lo >> 16) & 0xFF] ^ kSboxes[2][hi & 0xFF] ^
               kSboxes[3][(hi >> 16) & 0xFF];
    }
};

#if SUMWISE_TIGER_BEXTR
// BEXTR (BMI1) takes a byte out of the middle of a word in one instruction,
// where a shift and a zero-extension take two; on AMD processors it is also
// one cycle, which shortens every step.
[[gnu::always_inline]] inline std::uint64_t byteAt(std::uint64_t word, unsigned shift) {
    std::uint64_t byte;
    asm("bextr %2, %1, %0" : "=r"(byte) : "r"(word), "r"(std::uint64_t{0x0800} | shift) : "cc");
    return byte;
}

struct BextrLookup {
    [[gnu::always_inline]] static std::uint64_t even(std::uint64_t c) {
        const std::uint64_t low = kSboxes[0][c & 0xFF] ^ kSboxes[1][byteAt(c, 16)];
        std::uint64_t high = kSboxes[2][byteAt(c, 32)] ^ kSboxes[3][byteAt(c, 48)];
        // Keeps the two halves apart, so the compiler cannot turn the tree
        // of XORs into a longer chain.
        asm("" : "+r"(high));
        return low ^ high;
    }
};
#endif

// One step: the third word takes the message word, the first loses the S-box
// values of its even bytes, the second gains those of its odd bytes and is
// multiplied.
template <typename Lookup, std::uint64_t Multiplier>
[[gnu::always_inline]] inline void step(std::uint64_t& a, std::uint64_t& b, std::uint64_t& c, std::uint64_t x) {
    c ^= x;
    a -= Lookup::even(c);
    const auto lo = static_cast<std::uint32_t>(c);
    const auto hi = static_cast<std::uint32_t>(c >> 32);
    b += kSboxes[3][(lo >> 8) & 0xFF] ^ kSboxes[2][lo >> 24] ^ kSboxes[1][(hi >> 8) & 0xFF] ^ kSboxes[0][hi >> 24];
    b *= Multiplier;
}

// Eight steps, the roles of a, b, c rotating by one place after each.
template <typename Lookup, std::uint64_t Multiplier>
[[gnu::always_inline]] inline void pass(std::uint64_t& a, std::uint64_t& b, std::uint64_t& c, const std::uint64_t* x) {
    step<Lookup, Multiplier>(a, b, c, x[0]);
    step<Lookup, Multiplier>(b, c, a, x[1]);
    step<Lookup, Multiplier>(c, a, b, x[2]);
    step<Lookup, Multiplier>(a, b, c, x[3]);
    step<Lookup, Multiplier>(b, c, a, x[4]);
    step<Lookup, Multiplier>(c, a, b, x[5]);
    step<Lookup, Multiplier>(a, b, c, x[6]);
    step<Lookup, Multiplier>(b, c, a, x[7]);
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

template <typename Lookup>
void compress(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count) {
    std::uint64_t a = state[0];
    std::uint64_t b = state[1];
    std::uint64_t c = state[2];
    for (; count > 0; --count, blocks += 64) {
        std::uint64_t x[8];
        for (int i = 0; i < 8; ++i) x[i] = bytes::load64le(blocks + 8 * i);
        const std::uint64_t aa = a;
        const std::uint64_t bb = b;
        const std::uint64_t cc = c;
        pass<Lookup, 5>(a, b, c, x);
        keySchedule(x);
        pass<Lookup, 7>(c, a, b, x);
        keySchedule(x);
        pass<Lookup, 9>(b, c, a, x);
        a ^= aa;
        b -= bb;
        c += cc;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
}

// Tiger pads with 0x01, not 0x80; the length and the digest's words go least
// significant byte first, so the digest text is the byte-order form.
constexpr MdFrame kTigerFrame{0x01, 8, ByteOrder::Little};

}  // namespace

std::span<const TigerVariant> tigerVariants() {
    static constexpr TigerVariant kVariants[] = {
        {"portable", compress<PortableLookup>, anyProcessor},
#if SUMWISE_TIGER_BEXTR
        {"bmi1", compress<BextrLookup>, hasBmi1},
#endif
    };
    return kVariants;
}

std::unique_ptr<Hasher> newTigerWith(const AlgorithmParams&, TigerCompress compress) {
    return std::make_unique<MdHasher<std::uint64_t, 3, 64>>(kInitialState, compress, kTigerFrame);
}

std::unique_ptr<Hasher> newTiger(const AlgorithmParams& params) {
    return newTigerWith(params, bestVariant(tigerVariants()));
}

}  // namespace sumwise
