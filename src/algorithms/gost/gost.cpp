// GOST R 34.11-94. Each 256-bit block M updates the chaining value H by the
// step function: four keys derived from H and M (transformations A and P and
// the constant C3), the four 64-bit quarters of H encrypted with GOST 28147-89
// under those keys, and the result mixed with M and H by the linear shuffle
// psi. After the message, the bit length and the 256-bit sum of all blocks are
// compressed the same way.
#include "algorithms/gost/gost.h"

#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "algorithms/block_buffer.h"
#include "algorithms/bytes.h"

namespace sumwise {

namespace {

constexpr std::size_t kBlockBytes = 32;

// The test parameter set's S-box (RFC 4357, id-GostR3411-94-TestParamSet;
// the worked example of GOST R 34.11-94). Row k substitutes bits 4k to 4k + 3.
constexpr std::uint8_t kSbox[8][16] = {
    {4, 10, 9, 2, 13, 8, 0, 14, 6, 11, 1, 12, 7, 15, 5, 3},
    {14, 11, 4, 12, 6, 13, 15, 10, 2, 3, 8, 1, 0, 7, 5, 9},
    {5, 8, 1, 13, 10, 3, 4, 2, 14, 15, 12, 7, 6, 0, 9, 11},
    {7, 13, 10, 1, 0, 8, 9, 15, 14, 4, 6, 12, 11, 2, 5, 3},
    {6, 12, 7, 1, 5, 15, 13, 8, 4, 10, 9, 14, 0, 3, 11, 2},
    {4, 11, 10, 0, 7, 2, 1, 13, 3, 6, 8, 5, 9, 12, 15, 14},
    {13, 11, 4, 1, 3, 15, 5, 9, 0, 10, 14, 7, 6, 8, 2, 12},
    {1, 15, 13, 0, 5, 7, 10, 4, 9, 2, 3, 14, 6, 11, 8, 12},
};

// For each byte position of a word, the two S-box rows of that byte merged
// with the rotation by 11: a round's function becomes four look-ups. Built by
// the compiler, so there is nothing to initialise at run time.
struct RoundTables {
    std::uint32_t byte[4][256];
};

constexpr RoundTables makeRoundTables() {
    RoundTables tables{};
    for (int position = 0; position < 4; ++position) {
        for (unsigned value = 0; value < 256; ++value) {
            const std::uint32_t substituted = static_cast<std::uint32_t>(kSbox[2 * position + 1][value >> 4] << 4 |
                                                                         kSbox[2 * position][value & 15])
                                              << (8 * position);
            tables.byte[position][value] = std::rotl(substituted, 11);
        }
    }
    return tables;
}

alignas(64) constexpr RoundTables kRound = makeRoundTables();

[[gnu::always_inline]] inline std::uint32_t roundFunction(std::uint32_t x) {
    return kRound.byte[0][x & 0xFF] ^ kRound.byte[1][(x >> 8) & 0xFF] ^ kRound.byte[2][(x >> 16) & 0xFF] ^
           kRound.byte[3][x >> 24];
}

using Words = GostWords;  // a 256-bit value, word 0 least significant

// P: key word k gathers byte k mod 4 of the low (k < 4) or high (k >= 4) half
// of each 64-bit quarter, quarter 0 in its lowest byte. A 4 x 4 byte
// transpose, done twice.
constexpr Words transposeP(const Words& w) {
    Words out{};
    for (int half = 0; half < 2; ++half) {
        const std::uint32_t a = w[half], b = w[2 + half], c = w[4 + half], d = w[6 + half];
        const std::uint32_t ab02 = (a & 0x00FF00FFu) | (b & 0x00FF00FFu) << 8;
        const std::uint32_t ab13 = (a >> 8 & 0x00FF00FFu) | (b & 0xFF00FF00u);
        const std::uint32_t cd02 = (c & 0x00FF00FFu) | (d & 0x00FF00FFu) << 8;
        const std::uint32_t cd13 = (c >> 8 & 0x00FF00FFu) | (d & 0xFF00FF00u);
        out[4 * half + 0] = (ab02 & 0xFFFFu) | cd02 << 16;
        out[4 * half + 1] = (ab13 & 0xFFFFu) | cd13 << 16;
        out[4 * half + 2] = ab02 >> 16 | (cd02 & 0xFFFF0000u);
        out[4 * half + 3] = ab13 >> 16 | (cd13 & 0xFFFF0000u);
    }
    return out;
}

// A(y4 y3 y2 y1) = (y1 ^ y2) y4 y3 y2 on 64-bit quarters. P moves byte k of
// quarter i to byte i of key word k, so after P, A acts on each word alike:
// its bytes move down by one and the top byte becomes byte 0 ^ byte 1.
[[gnu::always_inline]] inline std::uint32_t shiftA(std::uint32_t x) { return x >> 8 | (x ^ x >> 8) << 24; }
[[gnu::always_inline]] inline std::uint32_t shiftAA(std::uint32_t x) { return x >> 16 | (x ^ x >> 8) << 16; }

// C3, the only non-zero constant of the key derivation (C2 and C4 are zero),
// and C3 through P, where the keys are derived.
constexpr Words kC3 = {0xFF00FF00u, 0xFF00FF00u, 0x00FF00FFu, 0x00FF00FFu,
                       0x00FFFF00u, 0xFF0000FFu, 0x000000FFu, 0xFF00FFFFu};
constexpr Words kC3AfterP = transposeP(kC3);

// psi on sixteen 16-bit words (word 0 least significant) is linear: word 15
// becomes the XOR of words 0, 1, 2, 3, 12 and 15 and the others move down by
// one. psi^n is therefore a fixed XOR pattern per output word; these masks
// (bit i set: input word i takes part) are computed by the compiler.
constexpr std::array<std::uint16_t, 16> psiPowerMasks(int n) {
    std::array<std::uint16_t, 16> rows{};
    for (int j = 0; j < 16; ++j) rows[j] = static_cast<std::uint16_t>(1u << j);
    for (; n > 0; --n) {
        const auto top = static_cast<std::uint16_t>(rows[0] ^ rows[1] ^ rows[2] ^ rows[3] ^ rows[12] ^ rows[15]);
        for (int j = 0; j < 15; ++j) rows[j] = rows[j + 1];
        rows[15] = top;
    }
    return rows;
}

template <int N>
constexpr std::array<std::uint16_t, 16> kPsiPower = psiPowerMasks(N);

using Halves = std::uint32_t[16];  // sixteen 16-bit words, each in a 32-bit slot

template <std::uint16_t Mask, std::size_t... I>
[[gnu::always_inline]] inline std::uint32_t xorOfSelected(const Halves& y, std::index_sequence<I...>) {
    return ((((Mask >> I) & 1) != 0 ? y[I] : 0u) ^ ...);
}

template <int N, std::size_t... J>
[[gnu::always_inline]] inline void psiPower(const Halves& in, Halves& out, std::index_sequence<J...>) {
    ((out[J] = xorOfSelected<kPsiPower<N>[J]>(in, std::make_index_sequence<16>{})), ...);
}

[[gnu::always_inline]] inline void split(const Words& w, Halves& y) {
    for (int i = 0; i < 8; ++i) {
        y[2 * i] = w[i] & 0xFFFF;
        y[2 * i + 1] = w[i] >> 16;
    }
}

// The four quarters of `s`, each encrypted by GOST 28147-89 in simple
// substitution mode under its own key: subkeys 1-8 three times, then 8-1. The
// four chains are independent and run side by side, so their look-ups overlap.
[[gnu::always_inline]] inline void encryptQuarters(const Words (&keys)[4], Words& s) {
    std::uint32_t n1[4], n2[4];
    for (int q = 0; q < 4; ++q) {
        n1[q] = s[2 * q];
        n2[q] = s[2 * q + 1];
    }
    auto roundPair = [&](int first, int second) {
        for (int q = 0; q < 4; ++q) n2[q] ^= roundFunction(n1[q] + keys[q][first]);
        for (int q = 0; q < 4; ++q) n1[q] ^= roundFunction(n2[q] + keys[q][second]);
    };
    for (int repeat = 0; repeat < 3; ++repeat) {
        roundPair(0, 1);
        roundPair(2, 3);
        roundPair(4, 5);
        roundPair(6, 7);
    }
    roundPair(7, 6);
    roundPair(5, 4);
    roundPair(3, 2);
    roundPair(1, 0);
    // The last round does not swap the halves.
    for (int q = 0; q < 4; ++q) {
        s[2 * q] = n2[q];
        s[2 * q + 1] = n1[q];
    }
}

// The step function: H becomes psi^61(H ^ psi(M ^ psi^12(S))), S being H
// encrypted quarter by quarter under keys made from H and M.
void compress(Words& h, const Words& m) {
    // K_j = P(U_j ^ V_j). P is a byte permutation, so U and V are carried
    // through P once and A is applied in P's order (shiftA).
    Words keys[4];
    Words u = transposeP(h);
    Words v = transposeP(m);
    for (int k = 0; k < 8; ++k) keys[0][k] = u[k] ^ v[k];
    for (int j = 1; j < 4; ++j) {
        for (int k = 0; k < 8; ++k) {
            u[k] = shiftA(u[k]) ^ (j == 2 ? kC3AfterP[k] : 0);
            v[k] = shiftAA(v[k]);
            keys[j][k] = u[k] ^ v[k];
        }
    }

    Words s = h;
    encryptQuarters(keys, s);

    constexpr auto all = std::make_index_sequence<16>{};
    Halves hs, ms, hh, x, y;
    split(s, hs);
    split(m, ms);
    split(h, hh);
    psiPower<12>(hs, x, all);
    for (int i = 0; i < 16; ++i) x[i] ^= ms[i];
    psiPower<1>(x, y, all);
    for (int i = 0; i < 16; ++i) y[i] ^= hh[i];
    psiPower<61>(y, x, all);
    for (int i = 0; i < 8; ++i) h[i] = x[2 * i] | x[2 * i + 1] << 16;
}

Words loadWords(const std::uint8_t* p) {
    Words w;
    for (int i = 0; i < 8; ++i) w[i] = bytes::load32le(p + 4 * i);
    return w;
}

class Gost final : public Hasher {
public:
    explicit Gost(GostStep step) : step_(step) { init(); }

    void init() override {
        hash_ = {};
        sum_ = {};
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        buffer_.update(data, size, [this](const std::uint8_t* blocks, std::size_t count) {
            for (; count > 0; --count, blocks += kBlockBytes) processBlock(loadWords(blocks));
        });
    }

    Digest finish() override {
        if (const std::size_t pending = buffer_.pending(); pending > 0) {
            // Zeros complete the last block; the length counts only the message.
            std::memset(buffer_.data() + pending, 0, kBlockBytes - pending);
            processBlock(loadWords(buffer_.data()));
        }
        // The length in bits as a 256-bit number: the byte count times 8.
        const std::uint64_t low = buffer_.totalBytes();
        const std::uint64_t high = buffer_.totalHighBytes();
        const Words length = {static_cast<std::uint32_t>(low << 3),
                              static_cast<std::uint32_t>(low >> 29),
                              static_cast<std::uint32_t>(low >> 61 | high << 3),
                              static_cast<std::uint32_t>(high >> 29),
                              static_cast<std::uint32_t>(high >> 61),
                              0, 0, 0};
        step_(hash_, length);
        step_(hash_, sum_);
        std::uint8_t out[kBlockBytes];
        for (int i = 0; i < 8; ++i) bytes::store32le(out + 4 * i, hash_[i]);
        std::memset(buffer_.data(), 0, kBlockBytes);
        init();
        return Digest::fromBytes(out, kBlockBytes);
    }

private:
    void processBlock(const Words& m) {
        // sum += m modulo 2^256; a carry runs through every word.
        std::uint32_t carry = 0;
        for (int i = 0; i < 8; ++i) {
            const std::uint64_t total = std::uint64_t{sum_[i]} + m[i] + carry;
            sum_[i] = static_cast<std::uint32_t>(total);
            carry = static_cast<std::uint32_t>(total >> 32);
        }
        step_(hash_, m);
    }

    GostStep step_;
    Words hash_;
    Words sum_;
    BlockBuffer<kBlockBytes> buffer_;
};

}  // namespace

std::uint32_t gostRoundFunction(std::uint32_t x) { return roundFunction(x); }

std::uint32_t gostRoundFunctionReference(std::uint32_t x) {
    std::uint32_t substituted = 0;
    for (int k = 0; k < 8; ++k) substituted |= std::uint32_t{kSbox[k][(x >> (4 * k)) & 15]} << (4 * k);
    return std::rotl(substituted, 11);
}

std::unique_ptr<Hasher> newGostWith(const AlgorithmParams&, GostStep step) { return std::make_unique<Gost>(step); }

std::unique_ptr<Hasher> newGost(const AlgorithmParams& params) { return newGostWith(params, compress); }

}  // namespace sumwise
