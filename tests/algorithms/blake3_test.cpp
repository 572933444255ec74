// BLAKE3 (hash mode, 256-bit output): the published vectors on every set of
// kernels this processor runs, the kernels against the portable ones around
// every block, chunk and subtree edge, and the peer where there is one.
#include <gtest/gtest.h>

#include <random>

#include "algorithms/blake3/blake3.h"
#include "compression_check.h"
#include "peer_oracle.h"
#include "test_support.h"

namespace sumwise {
namespace {

// The vectors' input: byte i is i mod 251.
std::vector<std::uint8_t> pattern(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
    return bytes;
}

// `message` handed over in pieces of the given sizes, repeated until it is used up.
std::string digestOf(const Blake3Kernels& kernels, const std::vector<std::uint8_t>& message,
                     const std::vector<std::size_t>& pieces = {}) {
    const auto hasher = newBlake3With({}, kernels);
    hasher->init();
    std::size_t offset = 0;
    for (std::size_t i = 0; offset < message.size(); ++i) {
        const std::size_t piece = pieces.empty() ? message.size() : pieces[i % pieces.size()];
        const std::size_t take = std::min(piece, message.size() - offset);
        hasher->update(message.data() + offset, take);
        offset += take;
    }
    return digestText(hasher->finish(), LetterCase::Lower);
}

struct Vector {
    std::size_t length;
    const char* digest;
};

// The BLAKE3 team's test_vectors.json (test_vectors/ of the reference
// repository), "hash" field: its first 32 bytes are the default output.
const Vector kVectors[] = {
    {0, "af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262"},
    {1, "2d3adedff11b61f14c886e35afa036736dcd87a74d27b5c1510225d0f592e213"},
    {1023, "10108970eeda3eb932baac1428c7a2163b0e924c9a9e25b35bba72b28f70bd11"},
    {1024, "42214739f095a406f3fc83deb889744ac00df831c10daa55189b5d121c855af7"},
    {1025, "d00278ae47eb27b34faecf67b4fe263f82d5412916c1ffd97c8cb7fb814b8444"},
    {2048, "e776b6028c7cd22a4d0ba182a8bf62205d2ef576467e838ed6f2529b85fba24a"},
    {2049, "5f4d72f40d7a5f82b15ca2b2e44b1de3c2ef86c426c95c1af0b6879522563030"},
    {3072, "b98cb0ff3623be03326b373de6b9095218513e64f1ee2edd2525c7ad1e5cffd2"},
    {3073, "7124b49501012f81cc7f11ca069ec9226cecb8a2c850cfe644e327d22d3e1cd3"},
    {4096, "015094013f57a5277b59d8475c0501042c0b642e531b0a1c8f58d2163229e969"},
    {4097, "9b4052b38f1c5fc8b1f9ff7ac7b27cd242487b3d890d15c96a1c25b8aa0fb995"},
    {5120, "9cadc15fed8b5d854562b26a9536d9707cadeda9b143978f319ab34230535833"},
    {5121, "628bd2cb2004694adaab7bbd778a25df25c47b9d4155a55f8fbd79f2fe154cff"},
    {6144, "3e2e5b74e048f3add6d21faab3f83aa44d3b2278afb83b80b3c35164ebeca205"},
    {6145, "f1323a8631446cc50536a9f705ee5cb619424d46887f3c376c695b70e0f0507f"},
    {7168, "61da957ec2499a95d6b8023e2b0e604ec7f6b50e80a9678b89d2628e99ada77a"},
    {7169, "a003fc7a51754a9b3c7fae0367ab3d782dccf28855a03d435f8cfe74605e7817"},
    {8192, "aae792484c8efe4f19e2ca7d371d8c467ffb10748d8a5a1ae579948f718a2a63"},
    {8193, "bab6c09cb8ce8cf459261398d2e7aef35700bf488116ceb94a36d0f5f1b7bc3b"},
    {16384, "f875d6646de28985646f34ee13be9a576fd515f76b5b0a26bb324735041ddde4"},
    {31744, "62b6960e1a44bcc1eb1a611a8d6235b6b4b78f32e7abc4fb4c6cdcce94895c47"},
    {102400, "bc3e3d41a1146b069abffad3c0d44860cf664390afce4d9661f7902e7943e085"},
};

TEST(Blake3, PublishedVectorsOnEveryKernelInOnePieceAndInPieces) {
    for (const Blake3Variant& variant : test::runnableVariants(blake3Variants())) {
        for (const Vector& v : kVectors) {
            const auto message = pattern(v.length);
            EXPECT_EQ(digestOf(variant.function, message), v.digest) << variant.name << " " << v.length;
            // Pieces that cut blocks and chunks unevenly, and single bytes.
            EXPECT_EQ(digestOf(variant.function, message, {1, 63, 1025, 2048, 7}), v.digest)
                << variant.name << " " << v.length << " in pieces";
        }
    }
}

TEST(Blake3, KernelsAgreeWithPortableAroundEveryEdge) {
    const auto data = test::randomBytes((1 << 20) + 4096, 41);
    std::vector<std::size_t> lengths;
    for (std::size_t chunks : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 255, 256, 257, 513}) {
        for (std::size_t extra : {0, 1, 63, 64, 65}) {
            lengths.push_back(chunks * 1024 + extra);
            if (chunks > 0) lengths.push_back(chunks * 1024 - extra);
        }
    }
    const Blake3Kernels portable = blake3Variants()[0].function;
    for (const Blake3Variant& variant : test::runnableVariants(blake3Variants())) {
        for (const std::size_t length : lengths) {
            // Unaligned input, in one piece and in pieces that start subtrees
            // at counters with few low zero bits.
            const std::vector<std::uint8_t> message(data.begin() + 3, data.begin() + 3 + static_cast<long>(length));
            const std::string expected = digestOf(portable, message);
            ASSERT_EQ(digestOf(variant.function, message), expected) << variant.name << " " << length;
            ASSERT_EQ(digestOf(variant.function, message, {3 * 1024 + 5, 65536, 100000}), expected)
                << variant.name << " " << length << " in pieces";
        }
    }
}

TEST(Blake3, ManyInputsAtOnceCarryTheCounterIntoItsHighWord) {
    // A chunk counter past 2^32 needs 4 TiB of input; the kernels are given
    // one just below the carry instead, for chunks and for parents.
    const auto data = test::randomBytes(40 * 1024, 43);
    const std::uint32_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        std::size_t count, blocks;
        bool increment;
        std::uint32_t flags, start, end;
    };
    const Case cases[] = {{37, 16, true, 0, 1, 2}, {40, 1, false, 4, 0, 0}, {19, 3, true, 16, 1, 0}};
    const Blake3Kernels portable = blake3Variants()[0].function;
    for (const Blake3Variant& variant : test::runnableVariants(blake3Variants())) {
        for (const Case& c : cases) {
            for (std::uint64_t counter : {std::uint64_t{0xFFFFFFF5}, std::uint64_t{0x1234567800000000}}) {
                std::vector<std::uint8_t> expected(c.count * 32), actual(c.count * 32);
                portable.hashMany(data.data(), c.count, c.blocks, key, counter, c.increment, c.flags, c.start, c.end,
                                  expected.data());
                variant.function.hashMany(data.data(), c.count, c.blocks, key, counter, c.increment, c.flags,
                                          c.start, c.end, actual.data());
                EXPECT_EQ(actual, expected) << variant.name << " " << c.count << " inputs at " << counter;
            }
        }
    }
}

TEST(Blake3, MatchesThePeerAtRandomLengths) {
    if (!test::peerHex("BLAKE3", {})) GTEST_SKIP() << "no peer has BLAKE3 in this build";
    const auto data = test::randomBytes((1 << 20) + 5000, 47);
    std::vector<std::size_t> lengths;
    // Every third length up to 300 (each a process started), and around the
    // 1 MiB mark.
    for (std::size_t length = 0; length <= 300; length += 3) lengths.push_back(length);
    std::mt19937 random(53);
    for (int i = 0; i < 6; ++i) lengths.push_back((1 << 20) - 2048 + random() % 4096);
    const Blake3Kernels best = blake3Variants()[bestVariantIndex(blake3Variants())].function;
    for (const std::size_t length : lengths) {
        const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<long>(length));
        std::string ours = digestOf(best, message, {524288});
        for (char& c : ours) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ASSERT_EQ(ours, test::peerHex("BLAKE3", message).value()) << length << " bytes";
    }
}

}  // namespace
}  // namespace sumwise
