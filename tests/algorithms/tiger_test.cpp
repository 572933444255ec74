// Tiger: the authors' vectors, the 0x01 pad and the length field at the block
// edges, every compression this processor runs, and a message above 4 GiB.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>


#include "algorithms/tiger/tiger.h"
#include "compression_check.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

struct Vector {
    const char* message;
    const char* digest;
};

const Vector kVectors[] = {
    // NESSIE-format set 1 from the Tiger home page (original padding, digest
    // bytes in order).
    {"", "3293AC630C13F0245F92BBB1766E16167A4E58492DDE73F3"},
    {"a", "77BEFBEF2E7EF8AB2EC8F93BF587A7FC613E247F5F247809"},
    {"abc", "2AAB1484E8C158F2BFB8C5FF41B57A525129131C957B5F93"},
    {"message digest", "D981F8CB78201A950DCF3048751E441C517FCA1AA55A29F6"},
    {"abcdefghijklmnopqrstuvwxyz", "1714A472EEE57D30040412BFCC55032A0B11602FF37BEEE9"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "0F7BF9A19B9C58F2B7610DF7E84F0AC3A71C631E7B53F78E"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "8DCEA680A17583EE502BA38A3C368651890FFBCCDC49A8CC"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "1C14795529FD9F207A958F84C52F11E887FA0CABDFD91BFD"},
    // The test strings of the authors' reference program (testtiger), in
    // byte order; the 64-byte ones fill a block exactly, so the pad needs a
    // block of its own.
    {"Tiger", "DD00230799F5009FEC6DEBC838BB6A27DF2B9D6F110C7937"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-",
     "F71C8583902AFB879EDFE610F82C0D4786A3A534504486B5"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ=abcdefghijklmnopqrstuvwxyz+0123456789",
     "48CEEB6308B87D46E95D656112CDF18D97915F9765658957"},
    {"Tiger - A Fast New Hash Function, by Ross Anderson and Eli Biham",
     "8A866829040A410C729AD23F5ADA711603B3CDD357E4C15E"},
    {"Tiger - A Fast New Hash Function, by Ross Anderson and Eli Biham, proceedings of Fast Software Encryption 3, "
     "Cambridge.",
     "CE55A6AFD591F5EBAC547FF84F89227F9331DAB0B611C889"},
    {"Tiger - A Fast New Hash Function, by Ross Anderson and Eli Biham, proceedings of Fast Software Encryption 3, "
     "Cambridge, 1996.",
     "631ABDD103EB9A3D245B6DFD4D77B257FC7439501D1568DD"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-"
     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-",
     "C54034E5B43EB8005848A7E0AE6AAC76E4FF590AE715FD25"},
    // Wikipedia, "Tiger (hash function)".
    {"The quick brown fox jumps over the lazy dog", "6D12A41E72E644F017B6F0E2F7B44C6285F06DD5D2C5B075"},
    {"The quick brown fox jumps over the lazy cog", "A8F04B0F7201A0D728101C9D26525B31764A3493FCD8458F"},
};

TEST(Tiger, PublishedVectors) {
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.message);
        EXPECT_EQ(hexOf("Tiger", v.message), v.digest);
    }
    // NESSIE-format set 1: one million 'a'.
    EXPECT_EQ(test::hexOfRepeated("Tiger", "a", 1000000), "6DB0E2729CBEAD93D715C6A7D36302E9B3CEE0D2BC314B41");
}

// The message padded by hand: 0x01, zeros up to 56 modulo 64, the bit count
// least significant byte first; then the chaining value's words, each least
// significant byte first.
std::string padAndCompress(TigerCompress compress, const std::vector<std::uint8_t>& message) {
    std::vector<std::uint8_t> padded = message;
    padded.push_back(0x01);
    while (padded.size() % 64 != 56) padded.push_back(0);
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    for (int i = 0; i < 8; ++i) padded.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    TigerState state = {0x0123456789ABCDEFull, 0xFEDCBA9876543210ull, 0xF096A5B4C3B2E187ull};
    compress(state, padded.data(), padded.size() / 64);
    std::uint8_t digest[24];
    for (int i = 0; i < 24; ++i) digest[i] = static_cast<std::uint8_t>(state[i / 8] >> (8 * (i % 8)));
    return digestText(Digest::fromBytes(digest, 24), LetterCase::Upper);
}

TEST(Tiger, PadAndLengthAtEveryBlockEdge) {
    // 55 bytes leave room for the pad and the length in one block, 56 to 63
    // need a second block, 64 a block of padding only; likewise one block on.
    const auto data = test::randomBytes(200, 3);
    const TigerCompress portable = tigerVariants().front().function;
    for (std::size_t length : {0, 1, 54, 55, 56, 57, 62, 63, 64, 65, 118, 119, 120, 121, 127, 128, 129, 191, 192}) {
        const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(hexOf("Tiger", message), padAndCompress(portable, message)) << "length " << length;
    }
}

TEST(Tiger, EveryCompressionThisProcessorRunsAgrees) {
    const auto variants = test::runnableVariants(tigerVariants());
    for (const TigerVariant& variant : variants) {
        SCOPED_TRACE(variant.name);
        EXPECT_EQ(padAndCompress(variant.function, test::bytesOf("abc")), hexOf("Tiger", "abc"));
    }
    test::expectCompressionsAgree<std::uint64_t, 3>(tigerVariants(), 64);
}

TEST(Tiger, MessageAbove4GiB) {
    // 2^32 + 3 bytes: the byte count needs 33 bits, the bit count 36.
    // Digest by librhash.
    EXPECT_EQ(test::hexOfRepeated("Tiger", "Sumwise", 613566757), "F8214E2505ABDACE43579BC1E474B9C3F5DCDD4C847DFB53");
}

}  // namespace
}  // namespace sumwise
