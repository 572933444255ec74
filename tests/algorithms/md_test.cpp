// MD2, MD4 and MD5: the RFC test suites, padding edges, a length past 4 GiB,
// the frame's length field byte by byte, and threads hashing at once.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

#include "algorithms/md_hasher.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

struct Vector {
    const char* message;
    const char* md2;
    const char* md4;
    const char* md5;
};

// The test suites of RFC 1319 (MD2), RFC 1320 (MD4) and RFC 1321 (MD5),
// appendix A.5 of each.
const Vector kRfcSuites[] = {
    {"", "8350E5A3E24C153DF2275C9F80692773", "31D6CFE0D16AE931B73C59D7E0C089C0", "D41D8CD98F00B204E9800998ECF8427E"},
    {"a", "32EC01EC4A6DAC72C0AB96FB34C0B5D1", "BDE52CB31DE33E46245E05FBDBD6FB24", "0CC175B9C0F1B6A831C399E269772661"},
    {"abc", "DA853B0D3F88D99B30283A69E6DED6BB", "A448017AAF21D8525FC10AE87AA6729D",
     "900150983CD24FB0D6963F7D28E17F72"},
    {"message digest", "AB4F496BFB2A530B219FF33031FE06B0", "D9130A8164549FE818874806E1C7014B",
     "F96B697D7CB7938D525A2F31AAF161D0"},
    {"abcdefghijklmnopqrstuvwxyz", "4E8DDFF3650292AB5A4108C3AA47940B", "D79E1C308AA5BBCDEEA8ED63DF412DA9",
     "C3FCD3D76192E4007DFB496CCA67E13B"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "DA33DEF2A42DF13975352846C30338CD",
     "043F8582F241DB351CE627E153E7F0E4", "D174AB98D277D9F5A5611C2C9F419D9F"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "D5976F79D83D3A0DC9806C3C66F3EFD8", "E33B4DDC9C38F2199C3E7B164FCC0536", "57EDF4A22BE3C955AC49DA2E2107B67A"},
};

TEST(Md, RfcTestSuites) {
    for (const Vector& v : kRfcSuites) {
        SCOPED_TRACE(v.message);
        EXPECT_EQ(hexOf("MD2", v.message), v.md2);
        EXPECT_EQ(hexOf("MD4", v.message), v.md4);
        EXPECT_EQ(hexOf("MD5", v.message), v.md5);
    }
}

// 'a' repeated up to the lengths where the final block changes shape: 55
// leaves room for the length in one block, 56 to 63 need a second, 64 is a
// whole block. Cross-checked with OpenSSL's libcrypto.
struct EdgeVector {
    std::size_t length;
    const char* md4;
    const char* md5;
};
const EdgeVector kPaddingEdges[] = {
    {55, "C889C81DD86C4D2E025778944EA02881", "EF1772B6DFF9A122358552954AD0DF65"},
    {56, "D5F9A9E9257077A5F08B0B92F348B0AD", "3B0C8AC703F828B04C6C197006D17218"},
    {63, "7EA3DA77432D44C323671097D1348FC8", "B06521F39153D618550606BE297466D5"},
    {64, "52F5076FABD22680234A3FA9F9DC5732", "014842D480B571495A4A0363793F7367"},
};

TEST(Md, PaddingEdges) {
    for (const EdgeVector& v : kPaddingEdges) {
        SCOPED_TRACE(v.length);
        const std::string message(v.length, 'a');
        EXPECT_EQ(hexOf("MD4", message), v.md4);
        EXPECT_EQ(hexOf("MD5", message), v.md5);
    }
}

TEST(Md, OneMillionA) {
    // RFC 1321 and RFC 1320 give no such vector; these are the widely
    // published values, cross-checked with OpenSSL's libcrypto.
    EXPECT_EQ(test::hexOfRepeated("MD5", "a", 1000000), "7707D6AE4E027C70EEA2A935C2296F21");
    EXPECT_EQ(test::hexOfRepeated("MD4", "a", 1000000), "BBCE80CC6BB65E5C6745E30D4EECA9A4");
}

TEST(Md, LengthPastFourGibibytes) {
    // "abc" 1431655767 times, 2^32 + 5 bytes: the byte count needs 33 bits
    // and the bit count 36, so a 32-bit counter anywhere changes the final
    // block. The one run this long (about 3 s); the frame test below checks
    // the length field for every algorithm of this family without hashing.
    // Computed with OpenSSL's libcrypto.
    EXPECT_EQ(test::hexOfRepeated("MD4", "abc", 1431655767), "D4E05AB4AB13B84A19072C65521B018E");
}

// The shared block frame, seen through a compression function that only
// records what it is given: fast enough to push far more than 4 GiB through
// and check the length field of the final block byte by byte.
struct FrameLog {
    std::uint64_t blocks = 0;
    std::array<std::uint8_t, 64> last{};
    std::array<std::uint8_t, 64> beforeLast{};
};
FrameLog frameLog;

void recordBlocks(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count) {
    if (count >= 2) std::memcpy(frameLog.beforeLast.data(), blocks + 64 * (count - 2), 64);
    else frameLog.beforeLast = frameLog.last;
    std::memcpy(frameLog.last.data(), blocks + 64 * (count - 1), 64);
    frameLog.blocks += count;
    state[0] += static_cast<std::uint32_t>(count);
}

std::array<std::uint8_t, 64> expectedFinalBlock(const std::vector<std::uint8_t>& head, std::uint64_t totalBytes) {
    std::array<std::uint8_t, 64> block{};
    std::copy(head.begin(), head.end(), block.begin());
    const std::uint64_t bits = totalBytes * 8;
    for (int i = 0; i < 8; ++i) block[56 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return block;
}

TEST(MdFrame, LengthFieldPastFourGibibytes) {
    const std::vector<std::uint8_t> piece(524288, 0);
    constexpr std::uint64_t kPieces = 8192 + 3;  // 4 GiB + 1.5 MiB
    for (const std::size_t tail : {std::size_t{3}, std::size_t{60}}) {
        SCOPED_TRACE(tail);
        frameLog = {};
        MdHasher<std::uint32_t, 4> hasher({1, 2, 3, 4}, recordBlocks, kLittleEndianFrame);
        for (std::uint64_t i = 0; i < kPieces; ++i) hasher.update(piece.data(), piece.size());
        const std::vector<std::uint8_t> last(tail, 0xAB);
        hasher.update(last.data(), last.size());
        const Digest digest = hasher.finish();

        const std::uint64_t total = kPieces * piece.size() + tail;
        std::vector<std::uint8_t> head(last);
        head.push_back(0x80);
        if (tail < 56) {
            EXPECT_EQ(frameLog.blocks, kPieces * 8192 + 1);
            EXPECT_EQ(frameLog.last, expectedFinalBlock(head, total));
        } else {
            // No room for the length: the marker block, then one of zeros.
            EXPECT_EQ(frameLog.blocks, kPieces * 8192 + 2);
            std::array<std::uint8_t, 64> marker{};
            std::copy(head.begin(), head.end(), marker.begin());
            EXPECT_EQ(frameLog.beforeLast, marker);
            EXPECT_EQ(frameLog.last, expectedFinalBlock({}, total));
        }
        // The digest is the chaining words, least significant byte first.
        ASSERT_EQ(digest.size, 16u);
        const std::uint32_t first = 1 + static_cast<std::uint32_t>(frameLog.blocks);
        EXPECT_EQ(digest.bytes[0], static_cast<std::uint8_t>(first));
        EXPECT_EQ(digest.bytes[1], static_cast<std::uint8_t>(first >> 8));
        EXPECT_EQ(digest.bytes[3], static_cast<std::uint8_t>(first >> 24));
        EXPECT_EQ(digest.bytes[4], 2);
        EXPECT_EQ(digest.bytes[15], 0);
    }
}

TEST(Md, ThreadsHashingAtOnceDoNotDisturbEachOther) {
    std::vector<std::string> results(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([t, &results] {
            const auto data = test::randomBytes(100000 + t * 1000, static_cast<std::uint32_t>(t));
            std::string text;
            for (int i = 0; i < 20; ++i) text = hexOf("MD5", data);
            results[t] = text;
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t t = 0; t < results.size(); ++t) {
        EXPECT_EQ(results[t], hexOf("MD5", test::randomBytes(100000 + t * 1000, static_cast<std::uint32_t>(t))));
    }
}

}  // namespace
}  // namespace sumwise
