// Adler32, CRC32, CRC32C and CRC64: published check values, leading zeros, and every
// fast path against the byte-at-a-time definitions at every length and
// alignment.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include "algorithms/checksums/checksums.h"
#include "compression_check.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

struct Vector {
    const char* message;
    const char* adler32;
    const char* crc32;
    const char* crc64;
};

// "abc", "123456789" and the empty message as the program documents them;
// the remaining CRC64 values were computed bit by bit from the polynomial;
// the CRC check values of "123456789" are the catalogued CRC-32/ISO-HDLC and
// CRC-64/WE ones; "Wikipedia" is RFC 1950's worked example.
const Vector kVectors[] = {
    {"", "00000001", "00000000", "0000000000000000"},
    {"abc", "024D0127", "352441C2", "048B813AF9F49702"},
    {"123456789", "091E01DE", "CBF43926", "62EC59E3F1A4F00A"},
    {"Wikipedia", "11E60398", "ADAAC02E", "B4897B05A5A7A33B"},
    {"The quick brown fox jumps over the lazy dog", "5BDC0FDA", "414FA339", "BCD8BB366D256116"},
    {"a", "00620062", "E8B7BE43", "CE73F427ACC0A99A"},
};

TEST(Checksums, KnownValuesInUpperCase) {
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.message);
        EXPECT_EQ(hexOf("Adler32", v.message), v.adler32);
        EXPECT_EQ(hexOf("CRC32", v.message), v.crc32);
        EXPECT_EQ(hexOf("CRC64", v.message), v.crc64);
    }
}

// CRC32C, not in the registry's table yet, through its own context: the
// catalogued CRC-32/ISCSI check value of "123456789" and RFC 3720's
// examples (B.4): 32 bytes of zeros, of ones, incrementing and decrementing.
TEST(Checksums, Crc32cKnownValues) {
    std::vector<std::uint8_t> increasing(32);
    for (std::size_t i = 0; i < 32; ++i) increasing[i] = static_cast<std::uint8_t>(i);
    const std::vector<std::uint8_t> decreasing(increasing.rbegin(), increasing.rend());
    const struct {
        std::vector<std::uint8_t> message;
        const char* crc32c;
    } rows[] = {
        {test::bytesOf("123456789"), "E3069283"},
        {std::vector<std::uint8_t>(32, 0x00), "8A9136AA"},
        {std::vector<std::uint8_t>(32, 0xFF), "62A8AB43"},
        {increasing, "46DD794E"},
        {decreasing, "113FDB5C"},
        {{}, "00000000"},
    };
    const auto hasher = newCrc32c({});
    for (const auto& row : rows) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{64}}) {
            hasher->init();
            for (std::size_t offset = 0; offset < row.message.size(); offset += piece) {
                hasher->update(row.message.data() + offset, std::min(piece, row.message.size() - offset));
            }
            EXPECT_EQ(digestText(hasher->finish(), LetterCase::Upper), row.crc32c) << row.crc32c << " in " << piece;
        }
    }
}

TEST(Checksums, LeadingZerosAreAlwaysPrinted) {
    // Small values still print every digit.
    for (const char* message : {"", "\x01", "abc", "x"}) {
        EXPECT_EQ(hexOf("Adler32", message).size(), 8u);
        EXPECT_EQ(hexOf("CRC32", message).size(), 8u);
        EXPECT_EQ(hexOf("CRC64", message).size(), 16u);
    }
    EXPECT_EQ(hexOf("Adler32", std::string(1, '\x01')), "00020002");
}

TEST(Checksums, FastPathsMatchTheDefinitionsAtEveryLengthAndAlignment) {
    const auto data = test::randomBytes(4096 + 64, 7);
    for (std::size_t offset = 0; offset < 17; offset += 3) {
        for (std::size_t length = 0; length <= 1100; length += (length < 300 ? 1 : 37)) {
            const std::uint8_t* p = data.data() + offset;
            ASSERT_EQ(adler32Update(kAdler32Initial, p, length), adler32Reference(kAdler32Initial, p, length))
                << "offset " << offset << " length " << length;
            ASSERT_EQ(crc32Update(kCrc32Initial, p, length), crc32Reference(kCrc32Initial, p, length))
                << "offset " << offset << " length " << length;
            ASSERT_EQ(crc32cUpdate(kCrc32cInitial, p, length), crc32cReference(kCrc32cInitial, p, length))
                << "offset " << offset << " length " << length;
            ASSERT_EQ(crc64Update(kCrc64Initial, p, length), crc64Reference(kCrc64Initial, p, length))
                << "offset " << offset << " length " << length;
        }
    }
}

TEST(Checksums, EveryImplementationThisProcessorRunsMatchesTheDefinition) {
    const auto data = test::randomBytes(40000, 21);
    auto check = [&](auto table, auto reference, auto initial) {
        for (const auto& variant : test::runnableVariants(table)) {
            for (std::size_t offset : {0, 1, 7}) {
                for (std::size_t length = 0; length <= 2100; length += (length < 600 ? 1 : 61)) {
                    ASSERT_EQ(variant.function(initial, data.data() + offset, length),
                              reference(initial, data.data() + offset, length))
                        << variant.name << " offset " << offset << " length " << length;
                }
            }
            // A running value other than the initial one is carried in, also
            // through the longest strides (CRC32C's three 4096-byte streams).
            for (const std::size_t length : {5000, 12288, 36869}) {
                ASSERT_EQ(variant.function(0x12345678u, data.data() + 1, length),
                          reference(0x12345678u, data.data() + 1, length))
                    << variant.name << " length " << length;
            }
        }
    };
    check(crc32Variants(), crc32Reference, kCrc32Initial);
    check(crc32cVariants(), crc32cReference, kCrc32cInitial);
    check(adler32Variants(), adler32Reference, kAdler32Initial);
    check(crc64Variants(), crc64Reference, kCrc64Initial);
}

TEST(Checksums, AdlerSumsStayReducedOnLongRunsOfFFBytes) {
    // All-0xFF input drives both sums, and every vector lane, to their
    // largest values; the deferred reduction must still agree with reducing
    // at every byte, on every variant.
    const std::vector<std::uint8_t> ones(3 * 524288 + 12345, 0xFF);
    std::uint32_t slow = kAdler32Initial;
    std::vector<std::uint32_t> slowAfter;
    for (std::size_t offset = 0; offset < ones.size(); offset += 524288) {
        slow = adler32Reference(slow, ones.data() + offset, std::min<std::size_t>(524288, ones.size() - offset));
        slowAfter.push_back(slow);
    }
    for (const Checksum32Variant& variant : test::runnableVariants(adler32Variants())) {
        std::uint32_t fast = kAdler32Initial;
        for (std::size_t offset = 0, piece = 0; offset < ones.size(); offset += 524288, ++piece) {
            fast = variant.function(fast, ones.data() + offset, std::min<std::size_t>(524288, ones.size() - offset));
            ASSERT_EQ(fast, slowAfter[piece]) << variant.name;
            EXPECT_LE(fast & 0xFFFF, 65520u);
            EXPECT_LE(fast >> 16, 65520u);
        }
    }
}

}  // namespace
}  // namespace sumwise
