// BLAKE2b-512 and BLAKE2s-256: the RFC 7693 examples, every compression this
// processor runs against the portable one (splits, block edges, the counter's
// carry into its high word), and the libcrypto oracle over random messages.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/blake2/blake2.h"
#include "compression_check.h"
#include "peer_oracle.h"
#include "test_support.h"

namespace sumwise {
namespace {

// One of the two algorithms with the factory and variant table of its word size.
template <typename Word>
struct Algorithm {
    const char* name;
    std::unique_ptr<Hasher> (*factory)(const AlgorithmParams&, Blake2Compress<Word>);
    std::span<const Variant<Blake2Compress<Word>>> (*variants)();
    static constexpr std::size_t kBlockSize = 16 * sizeof(Word);
};

const Algorithm<std::uint64_t> kBlake2b{"BLAKE2b", newBlake2bWith, blake2bVariants};
const Algorithm<std::uint32_t> kBlake2s{"BLAKE2s", newBlake2sWith, blake2sVariants};

// `bytes` given in pieces of `piece` bytes (0: in one piece), hashed twice on
// one context to check that it is reusable.
template <typename Word>
std::string digestOf(const Algorithm<Word>& algorithm, Blake2Compress<Word> compress, std::string_view bytes,
                     std::size_t piece = 0) {
    const auto hasher = algorithm.factory({}, compress);
    std::string digest;
    for (int pass = 0; pass < 2; ++pass) {
        hasher->init();
        const std::size_t step = piece == 0 ? std::max<std::size_t>(bytes.size(), 1) : piece;
        for (std::size_t offset = 0; offset < bytes.size(); offset += step) {
            hasher->update(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset,
                           std::min(step, bytes.size() - offset));
            hasher->update(nullptr, 0);  // an empty piece, even with no buffer, changes nothing
        }
        digest = digestText(hasher->finish(), LetterCase::Upper);
    }
    return digest;
}

std::string_view text(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

struct Vector {
    const char* message;
    const char* blake2b;
    const char* blake2s;
};

// RFC 7693 appendices A (BLAKE2b-512) and B (BLAKE2s-256) for "abc"; the
// empty message from the BLAKE2 reference test vectors (blake2b-kat,
// blake2s-kat, unkeyed).
const Vector kVectors[] = {
    {"",
     "786A02F742015903C6C6FD852552D272912F4740E15847618A86E217F71F5419"
     "D25E1031AFEE585313896444934EB04B903A685B1448B755D56F701AFE9BE2CE",
     "69217A3079908094E11121D042354A7C1F55B6482CA1A51E1B250DFD1ED0EEF9"},
    {"abc",
     "BA80A53F981C4D0D6A2797B69F12F6E94C212F14685AC4B74B12BB6FDBFFA2D1"
     "7D87C5392AAB792DC252D5DE4533CC9518D38AA8DBF1925AB92386EDD4009923",
     "508C5E8C327C14E2E1A72BA34EEB452F37458B209ED63A294D999B4C86675982"},
};

TEST(Blake2, KnownDigestsOnEveryVariant) {
    for (const Vector& v : kVectors) {
        for (const auto& variant : test::runnableVariants(blake2bVariants())) {
            EXPECT_EQ(digestOf(kBlake2b, variant.function, v.message), v.blake2b) << variant.name << " " << v.message;
        }
        for (const auto& variant : test::runnableVariants(blake2sVariants())) {
            EXPECT_EQ(digestOf(kBlake2s, variant.function, v.message), v.blake2s) << variant.name << " " << v.message;
        }
    }
}

// Every variant and split against the portable compression in one piece,
// around the block edges, where the held-back last block matters.
template <typename Word>
void expectVariantsAgree(const Algorithm<Word>& algorithm) {
    const auto variants = test::runnableVariants(algorithm.variants());
    ASSERT_STREQ(variants.front().name, "portable");
    const std::size_t b = Algorithm<Word>::kBlockSize;
    const auto data = test::randomBytes(5 * b, 23);
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, b - 1, b, b + 1, 2 * b - 1, 2 * b, 2 * b + 1, 5 * b}) {
        const std::string_view message = text(data).substr(0, size);
        const std::string expected = digestOf(algorithm, variants.front().function, message);
        for (const auto& variant : variants) {
            for (std::size_t piece : {0, 1, 3, 64, 128, 129}) {
                EXPECT_EQ(digestOf(algorithm, variant.function, message, piece), expected)
                    << algorithm.name << " " << variant.name << " size " << size << " piece " << piece;
            }
        }
    }
}

// The byte counter passing 2^64 (BLAKE2b) or 2^32 (BLAKE2s) inside a run of
// blocks and in the final block: it carries into the high word, in every variant alike.
template <typename Word>
void expectCounterCarries(const Algorithm<Word>& algorithm) {
    const std::size_t b = Algorithm<Word>::kBlockSize;
    const auto data = test::randomBytes(4 * b, 3);
    std::array<Word, 8> expected{};
    std::array<Word, 2> expectedCount{};
    bool first = true;
    for (const auto& variant : test::runnableVariants(algorithm.variants())) {
        std::array<Word, 8> h{};
        for (std::size_t i = 0; i < 8; ++i) h[i] = static_cast<Word>(0x9E3779B97F4A7C15ull * (i + 1));
        std::array<Word, 2> t = {static_cast<Word>(std::numeric_limits<Word>::max() - 2 * b + 1), 0};
        variant.function(h.data(), t.data(), data.data(), 3, static_cast<Word>(b), false);
        EXPECT_EQ(t[0], static_cast<Word>(b)) << algorithm.name << " " << variant.name;
        EXPECT_EQ(t[1], Word{1}) << algorithm.name << " " << variant.name;
        variant.function(h.data(), t.data(), data.data() + 3 * b, 1, 5, true);
        if (first) {
            expected = h;
            expectedCount = t;
            first = false;
        }
        EXPECT_EQ(h, expected) << algorithm.name << " " << variant.name;
        EXPECT_EQ(t, expectedCount) << algorithm.name << " " << variant.name;
    }
}

TEST(Blake2, EveryVariantAgreesAroundBlocksAndCounterCarry) {
    expectVariantsAgree(kBlake2b);
    expectVariantsAgree(kBlake2s);
    expectCounterCarries(kBlake2b);
    expectCounterCarries(kBlake2s);
}

template <typename Word>
void expectPeerAgrees(const Algorithm<Word>& algorithm) {
    const auto best = bestVariant(algorithm.variants());
    for (std::size_t size = 0; size <= 300; ++size) {
        const auto bytes = test::randomBytes(size, static_cast<std::uint32_t>(size) + 1000);
        const auto peer = test::peerHex(algorithm.name, bytes);
        if (!peer) GTEST_SKIP() << "no peer library in this build";
        ASSERT_EQ(digestOf(algorithm, best, text(bytes)), *peer) << algorithm.name << " size " << size;
    }
    for (std::size_t size : {(1u << 20) - 1, 1u << 20, (1u << 20) + 73}) {
        const auto bytes = test::randomBytes(size, 9);
        EXPECT_EQ(digestOf(algorithm, best, text(bytes), 4093), test::peerHex(algorithm.name, bytes).value_or("?"))
            << algorithm.name << " size " << size;
    }
}

TEST(Blake2, AgreesWithThePeerOnRandomMessages) {
    expectPeerAgrees(kBlake2b);
    expectPeerAgrees(kBlake2s);
}

}  // namespace
}  // namespace sumwise
