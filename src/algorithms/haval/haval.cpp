// HAVAL. The compression is written once as templates over the number of
// passes, the pass and the step, so each of the three variants compiles to one
// straight-line routine: every permutation, message index, rotation and
// constant is known at compile time and the eight chaining words stay in
// registers.
#include "algorithms/haval/haval.h"

#include <array>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "algorithms/block_buffer.h"
#include "algorithms/bytes.h"
#include "algorithms/haval/haval_constants.h"

namespace sumwise {

namespace {

using haval::kPiWords;

constexpr std::size_t kBlockBytes = 128;
constexpr std::size_t kTailBytes = 10;  // version, passes, length; then the bit count
constexpr std::uint8_t kVersion = 1;

// The message word each step of a pass reads; pass 1 reads them in order.
constexpr int kWordOrder[5][32] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
     16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31},
    {5, 14, 26, 18, 11, 28, 7, 16, 0, 23, 20, 22, 1, 10, 4, 8,
     30, 3, 21, 9, 17, 24, 29, 6, 19, 12, 15, 13, 2, 25, 31, 27},
    {19, 9, 4, 20, 28, 17, 8, 22, 29, 14, 25, 12, 24, 30, 16, 26,
     31, 15, 7, 3, 1, 0, 18, 27, 13, 6, 21, 10, 23, 11, 5, 2},
    {24, 4, 0, 14, 2, 7, 28, 23, 26, 6, 30, 20, 18, 25, 19, 3,
     22, 11, 31, 21, 8, 27, 12, 9, 1, 29, 5, 15, 17, 10, 16, 13},
    {27, 3, 21, 26, 17, 11, 20, 29, 19, 0, 12, 7, 13, 8, 31, 10,
     5, 9, 14, 30, 18, 6, 28, 24, 2, 23, 16, 22, 4, 1, 25, 15},
};

constexpr bool isPermutation(const int (&order)[32]) {
    unsigned seen = 0;
    for (int index : order) seen |= 1u << index;
    return seen == 0xFFFFFFFFu;
}
static_assert(isPermutation(kWordOrder[1]) && isPermutation(kWordOrder[2]) && isPermutation(kWordOrder[3]) &&
              isPermutation(kWordOrder[4]));

// The permutation phi(passes, pass) of the arguments: entry j names the word
// x_k given to the Boolean function as its argument x_(6-j). For example with
// 3 passes, pass 1 computes f1(x1, x0, x3, x5, x6, x2, x4).
constexpr int kPhi[3][5][7] = {
    {{1, 0, 3, 5, 6, 2, 4}, {4, 2, 1, 0, 5, 3, 6}, {6, 1, 2, 3, 4, 5, 0}},
    {{2, 6, 1, 4, 5, 3, 0}, {3, 5, 2, 0, 1, 6, 4}, {1, 4, 3, 6, 0, 2, 5}, {6, 4, 0, 5, 2, 1, 3}},
    {{3, 4, 1, 0, 5, 2, 6}, {6, 2, 1, 0, 3, 4, 5}, {2, 6, 0, 4, 3, 1, 5}, {1, 5, 3, 2, 0, 4, 6},
     {2, 5, 0, 6, 4, 3, 1}},
};

// The five Boolean functions of seven words as the paper writes them
// (products are AND, sums XOR), arguments in the order x6 ... x0. The
// step-by-step reference uses these.
template <int Pass>
std::uint32_t booleanAsWritten(std::uint32_t x6, std::uint32_t x5, std::uint32_t x4, std::uint32_t x3,
                               std::uint32_t x2, std::uint32_t x1, std::uint32_t x0) {
    if constexpr (Pass == 1) {
        return (x1 & x4) ^ (x2 & x5) ^ (x3 & x6) ^ (x0 & x1) ^ x0;
    } else if constexpr (Pass == 2) {
        return (x1 & x2 & x3) ^ (x2 & x4 & x5) ^ (x1 & x2) ^ (x1 & x4) ^ (x2 & x6) ^ (x3 & x5) ^ (x4 & x5) ^
               (x0 & x2) ^ x0;
    } else if constexpr (Pass == 3) {
        return (x1 & x2 & x3) ^ (x1 & x4) ^ (x2 & x5) ^ (x3 & x6) ^ (x0 & x3) ^ x0;
    } else if constexpr (Pass == 4) {
        return (x1 & x2 & x3) ^ (x2 & x4 & x5) ^ (x3 & x4 & x6) ^ (x1 & x4) ^ (x2 & x6) ^ (x3 & x4) ^ (x3 & x5) ^
               (x3 & x6) ^ (x4 & x5) ^ (x4 & x6) ^ (x0 & x4) ^ x0;
    } else {
        return (x1 & x4) ^ (x2 & x5) ^ (x3 & x6) ^ (x0 & x1 & x2 & x3) ^ (x0 & x5) ^ x0;
    }
}

// The same functions factored for fewer operations (a x b ^ a = a & ~b and
// the like); the compression uses these. Checked against the written forms
// by the tests, through the reference.
template <int Pass>
[[gnu::always_inline]] inline std::uint32_t boolean(std::uint32_t x6, std::uint32_t x5, std::uint32_t x4,
                                                    std::uint32_t x3, std::uint32_t x2, std::uint32_t x1,
                                                    std::uint32_t x0) {
    if constexpr (Pass == 1) {
        return (x1 & (x4 ^ x0)) ^ (x2 & x5) ^ (x3 & x6) ^ x0;
    } else if constexpr (Pass == 2) {
        return (x2 & ((x1 & ~x3) ^ (x4 & x5) ^ x6 ^ x0)) ^ (x1 & x4) ^ (x5 & (x3 ^ x4)) ^ x0;
    } else if constexpr (Pass == 3) {
        return (x3 & ((x1 & x2) ^ x6 ^ x0)) ^ (x1 & x4) ^ (x2 & x5) ^ x0;
    } else if constexpr (Pass == 4) {
        return (x4 & ((x5 & ~x2) ^ (x3 & ~x6) ^ x1 ^ x6 ^ x0)) ^ (x3 & ((x1 & x2) ^ x5 ^ x6)) ^ (x2 & x6) ^ x0;
    } else {
        return (x0 & ~((x1 & x2 & x3) ^ x5)) ^ (x1 & x4) ^ (x2 & x5) ^ (x3 & x6);
    }
}

// Step `I` of a pass rewrites the chaining word t[7 - I mod 8]; the words it
// calls x7 ... x0 are t[(k - I) mod 8].
template <int Passes, int Pass, int I>
[[gnu::always_inline]] inline void step(std::uint32_t (&t)[8], const std::uint32_t (&w)[32]) {
    constexpr auto x = [](int k) { return (k - I + 64) & 7; };
    constexpr const int (&phi)[7] = kPhi[Passes - 3][Pass - 1];
    constexpr int target = x(7);
    constexpr std::uint32_t constant = Pass == 1 ? 0 : kPiWords[8 + 32 * (Pass - 2) + I];
    const std::uint32_t f = boolean<Pass>(t[x(phi[0])], t[x(phi[1])], t[x(phi[2])], t[x(phi[3])], t[x(phi[4])],
                                          t[x(phi[5])], t[x(phi[6])]);
    // The word written by the previous step enters only through f: add the
    // other terms first so that f's sum is the last operation of the step.
    const std::uint32_t rest = std::rotr(t[target], 11) + w[kWordOrder[Pass - 1][I]] + constant;
    t[target] = std::rotr(f, 7) + rest;
}

template <int Passes, int Pass, std::size_t... I>
[[gnu::always_inline]] inline void pass(std::uint32_t (&t)[8], const std::uint32_t (&w)[32],
                                        std::index_sequence<I...>) {
    (step<Passes, Pass, static_cast<int>(I)>(t, w), ...);
}

template <int Passes>
void compressBlocks(std::uint32_t* fingerprint, const std::uint8_t* blocks, std::size_t count) {
    constexpr auto steps = std::make_index_sequence<32>{};
    for (; count > 0; --count, blocks += kBlockBytes) {
        std::uint32_t w[32];
        for (int i = 0; i < 32; ++i) w[i] = bytes::load32le(blocks + 4 * i);
        std::uint32_t t[8];
        for (int i = 0; i < 8; ++i) t[i] = fingerprint[i];
        pass<Passes, 1>(t, w, steps);
        pass<Passes, 2>(t, w, steps);
        pass<Passes, 3>(t, w, steps);
        if constexpr (Passes >= 4) pass<Passes, 4>(t, w, steps);
        if constexpr (Passes == 5) pass<Passes, 5>(t, w, steps);
        for (int i = 0; i < 8; ++i) fingerprint[i] += t[i];
    }
}

using CompressFunction = void (*)(std::uint32_t*, const std::uint8_t*, std::size_t);

// Bits [low, low + width) of a word.
constexpr std::uint32_t field(std::uint32_t word, int low, int width) {
    return (word >> low) & ((1u << width) - 1);
}

// Folds the 256-bit fingerprint d into its first outputBits/32 words: the
// paper's output tailoring. The unused words are cut into fields, and each
// kept word gains a number assembled from one field of each of them (the
// field of d7 most significant).
void tailor(std::uint32_t (&d)[8], unsigned outputBits) {
    switch (outputBits) {
    case 128:
        for (int i = 0; i < 4; ++i) {
            d[i] += field(d[7], 8 * i, 8) << 24 | field(d[6], 8 * ((i + 3) & 3), 8) << 16 |
                    field(d[5], 8 * ((i + 2) & 3), 8) << 8 | field(d[4], 8 * ((i + 1) & 3), 8);
        }
        break;
    case 160: {
        // d5, d6 and d7 each cut at bits 6, 12, 19 and 25.
        constexpr int low[6] = {0, 6, 12, 19, 25, 32};
        auto width = [&](int j) { return low[j + 1] - low[j]; };
        for (int i = 0; i < 5; ++i) {
            const int j6 = (i + 4) % 5;
            const int j5 = (i + 3) % 5;
            d[i] += field(d[7], low[i], width(i)) << (width(j6) + width(j5)) |
                    field(d[6], low[j6], width(j6)) << width(j5) | field(d[5], low[j5], width(j5));
        }
        break;
    }
    case 192: {
        // d6 and d7 each cut at bits 5, 10, 16, 21 and 26.
        constexpr int low[7] = {0, 5, 10, 16, 21, 26, 32};
        auto width = [&](int j) { return low[j + 1] - low[j]; };
        for (int i = 0; i < 6; ++i) {
            const int j6 = (i + 5) % 6;
            d[i] += field(d[7], low[i], width(i)) << width(j6) | field(d[6], low[j6], width(j6));
        }
        break;
    }
    case 224: {
        // d7 cut at bits 4, 9, 13, 18, 22 and 27; word 0 takes the top field.
        constexpr int low[8] = {0, 4, 9, 13, 18, 22, 27, 32};
        for (int i = 0; i < 7; ++i) d[i] += field(d[7], low[6 - i], low[7 - i] - low[6 - i]);
        break;
    }
    default:
        break;
    }
}

class Haval final : public Hasher {
public:
    Haval(const HavalParams& params, CompressFunction compress)
        : passes_(params.passes), outputBits_(params.outputBits), valid_(havalParamsValid(params)),
          compress_(compress) {
        init();
    }

    void init() override {
        std::memcpy(fingerprint_, kPiWords, sizeof fingerprint_);
        buffer_.reset();
    }

    void update(const std::uint8_t* data, std::size_t size) override {
        if (!valid_) return;
        buffer_.update(data, size, [this](const std::uint8_t* blocks, std::size_t count) {
            compress_(fingerprint_, blocks, count);
        });
    }

    Digest finish() override {
        if (!valid_) return Digest{};
        std::uint8_t tail[kTailBytes];
        tail[0] = static_cast<std::uint8_t>((outputBits_ & 3) << 6 | (passes_ & 7) << 3 | kVersion);
        tail[1] = static_cast<std::uint8_t>(outputBits_ >> 2);
        bytes::store64le(tail + 2, buffer_.totalBytes() << 3);  // bits, modulo 2^64
        buffer_.finish(0x01, tail, kTailBytes, [this](const std::uint8_t* blocks, std::size_t count) {
            compress_(fingerprint_, blocks, count);
        });
        tailor(fingerprint_, outputBits_);
        std::uint8_t out[32];
        for (int i = 0; i < 8; ++i) bytes::store32le(out + 4 * i, fingerprint_[i]);
        const Digest digest = Digest::fromBytes(out, outputBits_ / 8);
        // Nothing of the message stays behind in the context.
        std::memset(buffer_.data(), 0, kBlockBytes);
        init();
        return digest;
    }

private:
    unsigned passes_;
    unsigned outputBits_;
    bool valid_;
    CompressFunction compress_;
    std::uint32_t fingerprint_[8];
    BlockBuffer<kBlockBytes> buffer_;
};

}  // namespace

Digest havalReference(const HavalParams& params, const std::uint8_t* data, std::size_t size) {
    if (!havalParamsValid(params)) return Digest{};
    const unsigned passes = params.passes;
    const unsigned outputBits = params.outputBits;

    // The whole padded message: 0x01, zeros up to 118 modulo 128, the tail.
    std::vector<std::uint8_t> message(data, data + size);
    const std::size_t r = size % kBlockBytes;
    message.push_back(0x01);
    message.resize(size + (r < 118 ? 118 - r : 246 - r), 0);
    message.push_back(static_cast<std::uint8_t>((outputBits & 3) << 6 | passes << 3 | kVersion));
    message.push_back(static_cast<std::uint8_t>(outputBits >> 2));
    const std::uint64_t bitCount = static_cast<std::uint64_t>(size) << 3;
    for (int i = 0; i < 8; ++i) message.push_back(static_cast<std::uint8_t>(bitCount >> (8 * i)));

    std::uint32_t d[8];
    std::memcpy(d, kPiWords, sizeof d);
    for (std::size_t offset = 0; offset < message.size(); offset += kBlockBytes) {
        std::uint32_t w[32];
        for (int i = 0; i < 32; ++i) w[i] = bytes::load32le(message.data() + offset + 4 * i);
        std::uint32_t t[8];
        std::memcpy(t, d, sizeof t);
        for (unsigned p = 1; p <= passes; ++p) {
            for (int i = 0; i < 32; ++i) {
                std::uint32_t x[8];  // x7 ... x0 of this step
                for (int k = 0; k < 8; ++k) x[k] = t[(k - i + 64) & 7];
                const int(&phi)[7] = kPhi[passes - 3][p - 1];
                std::uint32_t a[7];
                for (int j = 0; j < 7; ++j) a[j] = x[phi[j]];
                std::uint32_t f = 0;
                switch (p) {
                case 1: f = booleanAsWritten<1>(a[0], a[1], a[2], a[3], a[4], a[5], a[6]); break;
                case 2: f = booleanAsWritten<2>(a[0], a[1], a[2], a[3], a[4], a[5], a[6]); break;
                case 3: f = booleanAsWritten<3>(a[0], a[1], a[2], a[3], a[4], a[5], a[6]); break;
                case 4: f = booleanAsWritten<4>(a[0], a[1], a[2], a[3], a[4], a[5], a[6]); break;
                default: f = booleanAsWritten<5>(a[0], a[1], a[2], a[3], a[4], a[5], a[6]); break;
                }
                const std::uint32_t constant = p == 1 ? 0 : kPiWords[8 + 32 * (p - 2) + i];
                t[(7 - i + 64) & 7] =
                    std::rotr(f, 7) + std::rotr(x[7], 11) + w[kWordOrder[p - 1][i]] + constant;
            }
        }
        for (int i = 0; i < 8; ++i) d[i] += t[i];
    }
    tailor(d, outputBits);
    std::uint8_t out[32];
    for (int i = 0; i < 8; ++i) bytes::store32le(out + 4 * i, d[i]);
    return Digest::fromBytes(out, outputBits / 8);
}

bool havalParamsValid(const HavalParams& params) {
    const unsigned bits = params.outputBits;
    return params.passes >= 3 && params.passes <= 5 && bits >= 128 && bits <= 256 && bits % 32 == 0;
}

std::unique_ptr<Hasher> newHavalWith(const AlgorithmParams& params, BlockCompress<std::uint32_t> compress) {
    return std::make_unique<Haval>(params.haval, compress);
}

std::unique_ptr<Hasher> newHaval(const AlgorithmParams& params) {
    const unsigned passes = params.haval.passes;
    return newHavalWith(params, passes == 3 ? compressBlocks<3> : passes == 4 ? compressBlocks<4> : compressBlocks<5>);
}

}  // namespace sumwise
