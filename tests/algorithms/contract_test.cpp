// The checks every algorithm of the table must pass alike: any split of
// the input gives the one-piece digest, a context is reusable after finish,
// every length up to 300 (and around the reading block) matches the peer
// library where one has the algorithm, the length is counted past 4 GiB,
// the digest text's letter case, and every variant of the algorithm against
// its portable one at each processor level this machine runs. What is
// particular to an algorithm stays in its own file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>

#include "algorithms/algorithm_table.h"
#include "algorithms/cpu_features.h"
#include "peer_oracle.h"
#include "stand_in_contexts.h"
#include "test_support.h"

namespace sumwise {
namespace {

std::vector<std::string> tableNames() {
    std::vector<std::string> names;
    for (const AlgorithmEntry& entry : algorithms()) names.emplace_back(entry.name);
    return names;
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

std::vector<std::uint8_t> prefix(const std::vector<std::uint8_t>& data, std::size_t length) {
    return {data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length)};
}

std::string digestOf(Hasher& hasher, const std::vector<std::uint8_t>& message, std::size_t piece) {
    hasher.init();
    for (std::size_t offset = 0; offset < message.size(); offset += piece) {
        hasher.update(message.data() + offset, std::min(piece, message.size() - offset));
    }
    return digestText(hasher.finish(), LetterCase::Upper);
}

class Contract : public testing::TestWithParam<std::string> {
protected:
    const std::string& name() const { return GetParam(); }
};

TEST_P(Contract, PiecesOfEverySizeGiveTheOnePieceDigest) {
    const auto data = test::randomBytes(1200000, 11);
    // Every piece size up to 300 over a message of whole blocks of every
    // algorithm (3 of MD6's 512 bytes)...
    const auto message = prefix(data, 1536);
    const std::string whole = test::hexOf(name(), message);
    for (std::size_t piece = 1; piece <= 300; ++piece) {
        ASSERT_EQ(test::hexOfPieces(name(), message, {piece}), whole) << "pieces of " << piece;
    }
    // ...mixed sizes straddling the block edges and the 524288-byte reading block...
    const std::string big = test::hexOf(name(), data);
    EXPECT_EQ(test::hexOfPieces(name(), data, {1, 63, 64, 65, 127, 128, 129, 511, 512, 513, 524288, 7}), big);
    EXPECT_EQ(test::hexOfPieces(name(), data, {524288}), big);
    // ...and random ones over random lengths.
    std::mt19937 random(41);
    for (int trial = 0; trial < 20; ++trial) {
        const auto part = prefix(data, random() % 5000);
        std::vector<std::size_t> pieces;
        for (int p = 0; p < 5; ++p) pieces.push_back(1 + random() % (p % 2 == 0 ? 40 : 2000));
        EXPECT_EQ(test::hexOfPieces(name(), part, pieces), test::hexOf(name(), part)) << part.size() << " bytes";
    }
}

TEST_P(Contract, ContextIsReusableAfterFinishAndKeepsToItsOwnMessage) {
    const auto abc = test::bytesOf("abc");
    const auto junk = test::randomBytes(1000, 3);
    const std::string expected = test::hexOf(name(), abc);
    const std::string empty = test::hexOf(name(), std::string_view{});

    const auto hasher = test::algorithm(name()).newHasher({});
    EXPECT_EQ(digestOf(*hasher, junk, 7), test::hexOf(name(), junk));
    EXPECT_EQ(digestOf(*hasher, abc, 1), expected);
    EXPECT_EQ(digestOf(*hasher, {}, 1), empty);
    EXPECT_EQ(digestOf(*hasher, abc, 3), expected);

    // A context left unfinished and initialised again forgets what it took.
    hasher->init();
    hasher->update(junk.data(), junk.size());
    EXPECT_EQ(digestOf(*hasher, abc, 2), expected);

    // Two contexts interleaved.
    const auto other = test::algorithm(name()).newHasher({});
    hasher->init();
    other->init();
    hasher->update(abc.data(), 2);
    other->update(junk.data(), 600);
    hasher->update(abc.data() + 2, 1);
    other->update(junk.data() + 600, 400);
    EXPECT_EQ(digestText(hasher->finish(), LetterCase::Upper), expected);
    EXPECT_EQ(digestText(other->finish(), LetterCase::Upper), test::hexOf(name(), junk));
}

TEST_P(Contract, EveryLengthUpTo300AndAroundTheReadingBlockMatchesThePeer) {
    if (!test::peerHex(name(), {})) GTEST_SKIP() << "no peer library has " << name() << " in this build";
    const auto data = test::randomBytes(2 * 524288 + 100, 29);
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 300; ++length) lengths.push_back(length);
    for (std::size_t length : {524287, 524288, 524289, 2 * 524288 + 63}) lengths.push_back(length);
    std::mt19937 random(31);
    for (int i = 0; i < 20; ++i) lengths.push_back(random() % 70000);
    for (const std::size_t length : lengths) {
        const auto message = prefix(data, length);
        ASSERT_EQ(test::hexOfPieces(name(), message, {524288}), test::peerHex(name(), message).value())
            << length << " bytes";
    }
}

TEST_P(Contract, LengthIsCountedPastFourGibibytes) {
    // Zeros leave no trace in the stand-in (see stand_in_contexts.h), so a
    // count that wrapped at 32 bits, of bytes or of bits, would make the
    // long message's digest that of the short one. 120 bytes after the last
    // whole block leave no room for the length in it for any algorithm.
    const auto context = test::standInContext(name());
    if (!context) GTEST_SKIP() << name() << " counts no length";
    const std::vector<std::uint8_t> zeros(1 << 20, 0);
    constexpr std::size_t kTail = 120;
    context->init();
    context->update(zeros.data(), kTail);
    const std::string shortDigest = digestText(context->finish(), LetterCase::Upper);
    context->init();
    for (int i = 0; i < 4096; ++i) context->update(zeros.data(), zeros.size());
    context->update(zeros.data(), kTail);
    EXPECT_NE(digestText(context->finish(), LetterCase::Upper), shortDigest);
}

TEST_P(Contract, LowerCaseChangesOnlyTheLetters) {
    for (const auto& message : {test::bytesOf("abc"), test::randomBytes(100, 5)}) {
        const std::string upper = test::hexOf(name(), message, LetterCase::Upper);
        std::string lowered = upper;
        for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(test::hexOf(name(), message, LetterCase::Lower), lowered);
        EXPECT_TRUE(std::none_of(upper.begin(), upper.end(), [](char c) { return c >= 'a' && c <= 'z'; })) << upper;
        EXPECT_FALSE(upper.empty());
    }
}

TEST_P(Contract, EveryVariantMatchesThePortableOneAtEveryLevel) {
    const HasherVariants* variants = &test::algorithm(name()).variants();
    ASSERT_FALSE(variants->variants.empty());
    EXPECT_STREQ(variants->variants.front().name, "portable");
    std::set<std::string> names;
    for (const VariantInfo& variant : variants->variants) {
        EXPECT_TRUE(names.insert(variant.name).second) << variant.name;
    }

    // Lengths around every algorithm's block edges, and one across the reading block.
    const auto data = test::randomBytes(600000, 19);
    std::vector<std::size_t> lengths{0, 1, 31, 32, 55, 56, 63, 64, 65, 111, 112, 127, 128, 129, 255, 256, 257,
                                     383, 384, 511, 512, 513, 1000, 4103, 70000, data.size()};
    std::vector<std::string> portable;
    const auto reference = variants->create({}, 0);
    for (const std::size_t length : lengths) portable.push_back(digestOf(*reference, prefix(data, length), 524288));

    std::set<std::size_t> checked{0};
    const CpuLevel top = levelOf(detectedCpuFeatures());
    for (const CpuLevel level : kCpuLevels) {
        if (level > top) continue;
        const CpuFeatures cpu = cpuFeaturesAt(level);
        for (std::size_t i = 0; i < variants->variants.size(); ++i) {
            if (!variants->variants[i].supported(cpu) || !checked.insert(i).second) continue;
            const auto hasher = variants->create({}, i);
            for (std::size_t k = 0; k < lengths.size(); ++k) {
                const auto message = prefix(data, lengths[k]);
                ASSERT_EQ(digestOf(*hasher, message, 524288), portable[k])
                    << variants->variants[i].name << " at " << cpuLevelName(level) << ", " << lengths[k] << " bytes";
                ASSERT_EQ(digestOf(*hasher, message, 97), portable[k])
                    << variants->variants[i].name << " in pieces of 97, " << lengths[k] << " bytes";
            }
        }
        // The dispatch takes one of them: the table's factory makes the chosen variant's context.
        EXPECT_TRUE(variants->variants[variants->best(cpu)].supported(cpu)) << cpuLevelName(level);
    }
    const auto chosen = variants->create({}, variants->best());
    const auto registered = test::algorithm(name()).newHasher({});
    for (const std::size_t length : {std::size_t{0}, std::size_t{1000}, data.size()}) {
        EXPECT_EQ(digestOf(*registered, prefix(data, length), 524288), digestOf(*chosen, prefix(data, length), 524288));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Contract, testing::ValuesIn(tableNames()), testName);

}  // namespace
}  // namespace sumwise
