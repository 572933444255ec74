// XXH64, XXH3 and XXH128: the xxHash sanity values, every XXH3 loop against
// the portable one around the stripe and block edges, lengths past 4 GiB,
// and random lengths against libxxhash where the build has it.
#include <gtest/gtest.h>

#include <random>

#include "algorithms/xxhash/xxhash.h"
#include "compression_check.h"
#include "peer_oracle.h"
#include "test_support.h"

namespace sumwise {
namespace {

using Factory = std::unique_ptr<Hasher> (*)(const AlgorithmParams&);

struct Algorithm {
    const char* name;
    Factory create;
};
constexpr Algorithm kXxh64{"XXH64", newXxh64};
constexpr Algorithm kXxh3{"XXH3", newXxh3};
constexpr Algorithm kXxh128{"XXH128", newXxh128};

// The message in pieces of `piece` bytes (the whole at once for 0).
std::string hexOf(Hasher& hasher, const std::uint8_t* data, std::size_t size, std::size_t piece = 0) {
    if (piece == 0) piece = std::max<std::size_t>(size, 1);
    hasher.init();
    for (std::size_t offset = 0; offset < size; offset += piece) {
        hasher.update(data + offset, std::min(piece, size - offset));
    }
    return digestText(hasher.finish(), LetterCase::Upper);
}

// xxHash's sanity-check buffer: the top byte of a 64-bit generator started
// at PRIME32 and multiplied by PRIME64 at each step.
std::vector<std::uint8_t> sanityBuffer(std::size_t size) {
    std::vector<std::uint8_t> buffer(size);
    std::uint64_t generator = 2654435761u;
    for (auto& byte : buffer) {
        byte = static_cast<std::uint8_t>(generator >> 56);
        generator *= 11400714785074694797ull;
    }
    return buffer;
}

struct Vector {
    const Algorithm* algorithm;
    std::size_t length;  // of the sanity buffer's start
    const char* digest;  // XXH128: high 64 bits, then low
};

// xxHash's sanity test (cli/xsum_sanity_check.c), the seed-0 rows: each
// length class of XXH3 and XXH128, one block with the last stripe
// overlapping, blocks ending on a stripe or a block edge.
const Vector kVectors[] = {
    {&kXxh64, 0, "EF46DB3751D8E999"},
    {&kXxh64, 1, "E934A84ADB052768"},
    {&kXxh64, 4, "9136A0DCA57457EE"},
    {&kXxh64, 14, "8282DCC4994E35C8"},
    {&kXxh64, 222, "B641AE8CB691C174"},
    {&kXxh3, 0, "2D06800538D394C2"},
    {&kXxh3, 1, "C44BDFF4074EECDB"},
    {&kXxh3, 6, "27B56A84CD2D7325"},
    {&kXxh3, 12, "A713DAF0DFBB77E7"},
    {&kXxh3, 24, "A3FE70BF9D3510EB"},
    {&kXxh3, 48, "397DA259ECBA1F11"},
    {&kXxh3, 80, "BCDEFBBB2C47C90A"},
    {&kXxh3, 195, "CD94217EE362EC3A"},
    {&kXxh3, 403, "CDEB804D65C6DEA4"},
    {&kXxh3, 512, "617E49599013CB6B"},
    {&kXxh3, 2048, "DD59E2C3A5F038E0"},
    {&kXxh3, 2240, "6E73A90539CF2948"},
    {&kXxh3, 2367, "CB37AEB9E5D361ED"},
    {&kXxh128, 0, "99AA06D3014798D86001C324468D497F"},
    {&kXxh128, 1, "A6CD5E9392000F6AC44BDFF4074EECDB"},
    {&kXxh128, 6, "082AFE0B8162D12A3E7039BDDA43CFC6"},
    {&kXxh128, 12, "6E3EFD8FC7802B18061A192713F69AD9"},
    {&kXxh128, 24, "0CE966E4678D37611E7044D28B1B901D"},
    {&kXxh128, 48, "A002AC4E5478227EF942219AED80F67B"},
    {&kXxh128, 81, "4952F58181AB00425E8BAFB9F95FB803"},
    {&kXxh128, 222, "337E09641B948717F1AEBD597CEC6B3A"},
    {&kXxh128, 403, "1B6DE21E332DD73DCDEB804D65C6DEA4"},
    {&kXxh128, 512, "18D2D110DCC9BCA1617E49599013CB6B"},
    {&kXxh128, 2048, "F736557FD47073A5DD59E2C3A5F038E0"},
    {&kXxh128, 2240, "CCB134FBFA7CE49D6E73A90539CF2948"},
    {&kXxh128, 2367, "E89C0F6FF369B427CB37AEB9E5D361ED"},
};

TEST(XxHash, SanityValuesWholeAndInPieces) {
    const auto buffer = sanityBuffer(4096 + 64 + 1);
    for (const Vector& v : kVectors) {
        const auto hasher = v.algorithm->create({});
        for (const std::size_t piece : {0, 1, 7, 64, 241, 1000}) {
            EXPECT_EQ(hexOf(*hasher, buffer.data(), v.length, piece), v.digest)
                << v.algorithm->name << " of " << v.length << " bytes in pieces of " << piece;
        }
    }
}

TEST(XxHash, EveryLoopMatchesThePortableOneAroundStripesAndBlocks) {
    test::expectCompressionsAgree<std::uint64_t, 4>(xxh64Variants(), 32, "XXH64");
    const auto variants = test::runnableVariants(xxh3Variants());
    ASSERT_STREQ(variants.front().name, "portable");
    const auto data = test::randomBytes(20000, 23);
    std::vector<std::size_t> lengths;
    for (std::size_t edge : {240, 256, 1024, 2048, 3072, 16384}) {
        for (std::size_t length = edge - 65; length <= edge + 65; ++length) lengths.push_back(length);
    }
    for (const std::size_t offset : {0, 3}) {
        for (const std::size_t length : lengths) {
            const std::uint8_t* p = data.data() + offset;
            const auto portable3 = newXxh3With({}, variants.front().function);
            const auto portable128 = newXxh128With({}, variants.front().function);
            const std::string expected3 = hexOf(*portable3, p, length);
            const std::string expected128 = hexOf(*portable128, p, length);
            for (const auto& variant : variants) {
                const auto xxh3 = newXxh3With({}, variant.function);
                const auto xxh128 = newXxh128With({}, variant.function);
                for (const std::size_t piece : {0, 63, 1025}) {
                    ASSERT_EQ(hexOf(*xxh3, p, length, piece), expected3)
                        << variant.name << " XXH3, " << length << " bytes in pieces of " << piece;
                    ASSERT_EQ(hexOf(*xxh128, p, length, piece), expected128)
                        << variant.name << " XXH128, " << length << " bytes in pieces of " << piece;
                }
            }
        }
    }
}

TEST(XxHash, LengthIsCountedPastFourGibibytes) {
    // 4 GiB and 120 zero bytes; values computed with xxhsum -H1, -H3 and -H2.
    const std::vector<std::uint8_t> zeros(1 << 20, 0);
    const struct {
        const Algorithm* algorithm;
        const char* digest;
    } rows[] = {
        {&kXxh64, "55E7A82C3F5B578D"},
        {&kXxh3, "BBBBBC8176426C66"},
        {&kXxh128, "1C07DC735FACED80BBBBBC8176426C66"},
    };
    for (const auto& row : rows) {
        const auto hasher = row.algorithm->create({});
        hasher->init();
        for (int i = 0; i < 4096; ++i) hasher->update(zeros.data(), zeros.size());
        hasher->update(zeros.data(), 120);
        EXPECT_EQ(digestText(hasher->finish(), LetterCase::Upper), row.digest) << row.algorithm->name;
    }
}

TEST(XxHash, RandomLengthsMatchThePeer) {
    if (!test::peerHex("XXH3", {})) GTEST_SKIP() << "no peer library has xxHash in this build";
    const auto data = test::randomBytes((1 << 20) + 5000, 37);
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 300; ++length) lengths.push_back(length);
    std::mt19937 random(43);
    for (int i = 0; i < 10; ++i) lengths.push_back((1 << 20) - 2500 + random() % 5000);
    for (const Algorithm* algorithm : {&kXxh64, &kXxh3, &kXxh128}) {
        const auto hasher = algorithm->create({});
        for (const std::size_t length : lengths) {
            const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
            ASSERT_EQ(hexOf(*hasher, message.data(), length, 4099), test::peerHex(algorithm->name, message).value())
                << algorithm->name << ", " << length << " bytes";
        }
    }
}

}  // namespace
}  // namespace sumwise
