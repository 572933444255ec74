// MD2 (RFC 1319). Each 16-byte block goes through 18 rounds of 48 table
// substitutions, one long chain of dependent lookups, so the speed is set by
// the latency of one lookup plus one XOR. The rounds therefore carry every
// byte as its offset into a table of pre-scaled entries: a looked-up value is
// the next address offset as it stands, with no scaling or widening between
// the steps of the chain. Whole blocks are taken from the caller's memory.
#include <cstring>

#include "algorithms/block_buffer.h"
#include "algorithms/md/md.h"

namespace sumwise {

namespace {

// The permutation of 0..255 built from the digits of pi, as RFC 1319 lists it.
constexpr std::uint8_t kPiSubstitution[256] = {
    41,  46,  67,  201, 162, 216, 124, 1,   61,  54,  84,  161, 236, 240, 6,   19,  //
    98,  167, 5,   243, 192, 199, 115, 140, 152, 147, 43,  217, 188, 76,  130, 202,  //
    30,  155, 87,  60,  253, 212, 224, 22,  103, 66,  111, 24,  138, 23,  229, 18,   //
    190, 78,  196, 214, 218, 158, 222, 73,  160, 251, 245, 142, 187, 47,  238, 122,  //
    169, 104, 121, 145, 21,  178, 7,   63,  148, 194, 16,  137, 11,  34,  95,  33,   //
    128, 127, 93,  154, 90,  144, 50,  39,  53,  62,  204, 231, 191, 247, 151, 3,    //
    255, 25,  48,  179, 72,  165, 181, 209, 215, 94,  146, 42,  172, 86,  170, 198,  //
    79,  184, 56,  210, 150, 164, 125, 182, 118, 252, 107, 226, 156, 116, 4,   241,  //
    69,  157, 112, 89,  100, 113, 135, 32,  134, 91,  207, 101, 230, 45,  168, 2,    //
    27,  96,  37,  173, 174, 176, 185, 246, 28,  70,  97,  105, 52,  64,  126, 15,   //
    85,  71,  163, 35,  221, 81,  175, 58,  195, 92,  249, 206, 186, 197, 234, 38,   //
    44,  83,  13,  110, 133, 40,  132, 9,   211, 223, 205, 244, 65,  129, 77,  82,   //
    106, 220, 55,  200, 108, 193, 171, 250, 36,  225, 123, 8,   12,  189, 177, 74,   //
    120, 136, 149, 139, 227, 99,  232, 109, 233, 203, 213, 254, 59,  0,   29,  57,   //
    242, 239, 183, 14,  102, 88,  208, 228, 166, 119, 114, 248, 235, 117, 75,  10,   //
    49,  68,  80,  180, 143, 237, 31,  26,  219, 153, 141, 51,  159, 17,  131, 20,   //
};

constexpr std::size_t kBlock = 16;
constexpr int kRounds = 18;
constexpr std::size_t kScale = 4;  // bytes per table entry

// The permutation again, each entry multiplied by kScale: entry v sits at
// byte offset kScale * v and holds kScale * S[v].
struct ScaledTable {
    std::uint32_t entries[256];
};
constexpr ScaledTable kScaledSubstitution = [] {
    ScaledTable table{};
    for (std::size_t i = 0; i < 256; ++i) table.entries[i] = kScale * kPiSubstitution[i];
    return table;
}();

// The entry at a byte offset (a multiple of kScale below kScale * 256).
inline std::uint64_t entryAt(std::uint64_t offset) {
    std::uint32_t entry;
    std::memcpy(&entry, reinterpret_cast<const unsigned char*>(kScaledSubstitution.entries) + offset, sizeof entry);
    return entry;
}

// Folds `count` blocks into the state and the checksum.
void compress(std::uint8_t* state, std::uint8_t* checksum, const std::uint8_t* block, std::size_t count) {
    // The 48-byte work area (state, block, state XOR block), every byte
    // held pre-scaled as a table offset.
    std::uint64_t x[3 * kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) x[i] = kScale * state[i];
    for (; count > 0; --count, block += kBlock) {
        for (std::size_t i = 0; i < kBlock; ++i) {
            x[kBlock + i] = kScale * block[i];
            x[2 * kBlock + i] = x[i] ^ x[kBlock + i];
        }
        std::uint64_t t = 0;
        for (int round = 0; round < kRounds; ++round) {
#pragma GCC unroll 48
            for (std::size_t k = 0; k < 3 * kBlock; ++k) {
                t = entryAt(t) ^ x[k];
                x[k] = t;
            }
            t = (t + kScale * static_cast<std::uint64_t>(round)) & (kScale * 255);
        }
        std::uint8_t last = checksum[kBlock - 1];
        for (std::size_t i = 0; i < kBlock; ++i) last = checksum[i] ^= kPiSubstitution[block[i] ^ last];
    }
    for (std::size_t i = 0; i < kBlock; ++i) state[i] = static_cast<std::uint8_t>(x[i] / kScale);
}

class Md2 final : public Hasher {
public:
    Md2() { init(); }

    void init() override {
        std::memset(state_, 0, sizeof state_);
        std::memset(checksum_, 0, sizeof checksum_);
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        buffer_.update(data, size, [this](const std::uint8_t* blocks, std::size_t count) {
            compress(state_, checksum_, blocks, count);
        });
    }

    Digest finish() override {
        // n bytes of value n complete the last block; a message that already
        // ends on a block boundary gets a whole block of sixteen 16s.
        const std::size_t n = kBlock - buffer_.pending();
        std::uint8_t padding[kBlock];
        std::memset(padding, static_cast<int>(n), n);
        update(padding, n);
        // Folding a block in changes the checksum too, so the block folded
        // in is a copy of it.
        std::uint8_t checksum[kBlock];
        std::memcpy(checksum, checksum_, kBlock);
        compress(state_, checksum_, checksum, 1);
        return Digest::fromBytes(state_, kBlock);
    }

private:
    std::uint8_t state_[kBlock];
    std::uint8_t checksum_[kBlock];
    BlockBuffer<kBlock> buffer_;
};

}  // namespace

std::unique_ptr<Hasher> newMd2(const AlgorithmParams&) { return std::make_unique<Md2>(); }

}  // namespace sumwise
