// The length field of the Merkle-Damgard frame, in every width and byte order
// the algorithms use.
#include <gtest/gtest.h>

#include "algorithms/md_hasher.h"

namespace sumwise {
namespace {

std::string fieldText(std::uint64_t bytes, std::uint64_t high, ByteOrder order, std::size_t size) {
    std::uint8_t field[32];
    writeBitLength(bytes, high, order, field, size);
    return digestText(Digest::fromBytes(field, size), LetterCase::Upper);
}

TEST(MdFrameLength, WhirlpoolCountsBitsIn256Bits) {
    struct Case {
        std::uint64_t bytes;
        std::uint64_t bytesHigh;
        const char* field;  // the last 17 of the 32 bytes; the first 15 are zero
    };
    const Case cases[] = {
        {0, 0, "0000000000000000000000000000000000"},
        {1, 0, "0000000000000000000000000000000008"},
        {(1ull << 32) + 3, 0, "0000000000000000000000000800000018"},  // above 4 GiB
        {1ull << 61, 0, "0000000000000000010000000000000000"},        // bits above 2^64
        {0, 1, "0000000000000000080000000000000000"},                 // bytes above 2^64
        {~0ull, ~0ull, "07FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF8"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fieldText(c.bytes, c.bytesHigh, ByteOrder::Big, 32), std::string(30, '0') + c.field)
            << c.bytesHigh << ":" << c.bytes;
    }
}

TEST(MdFrameLength, NarrowFieldsKeepTheLowBits) {
    // SHA-1 and SHA-256: 64 bits, big-endian; the count wraps modulo 2^64 bits.
    EXPECT_EQ(fieldText(3, 0, ByteOrder::Big, 8), "0000000000000018");
    EXPECT_EQ(fieldText((1ull << 32) + 3, 0, ByteOrder::Big, 8), "0000000800000018");
    EXPECT_EQ(fieldText(1ull << 61, 0, ByteOrder::Big, 8), "0000000000000000");
    // MD5, RIPEMD, Tiger: 64 bits, least significant byte first.
    EXPECT_EQ(fieldText((1ull << 32) + 3, 0, ByteOrder::Little, 8), "1800000008000000");
    // SHA-384 and SHA-512: 128 bits, big-endian.
    EXPECT_EQ(fieldText(1ull << 61, 0, ByteOrder::Big, 16), "00000000000000010000000000000000");
    EXPECT_EQ(fieldText(5, 2, ByteOrder::Big, 16), "00000000000000100000000000000028");
}

}  // namespace
}  // namespace sumwise
