// GOST R 34.11-94 with the test parameters: published values, the merged
// round tables against the S-box, and the 256-bit sum's carries.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include "algorithms/gost/gost.h"
#include "peer_oracle.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

struct Vector {
    const char* message;
    const char* digest;
};

// The two messages of the standard's worked example (GOST R 34.11-94,
// appendix A: 32 and 50 bytes), and the test-parameter values listed in
// Wikipedia's "GOST (hash function)" article for the other texts.
const Vector kPublished[] = {
    {"", "CE85B99CC46752FFFEE35CAB9A7B0278ABB4C2D2055CFF685AF4912C49490F8D"},
    {"a", "D42C539E367C66E9C88A801F6649349C21871B4344C6A573F849FDCE62F314DD"},
    {"abc", "F3134348C44FB1B2A277729E2285EBB5CB5E0F29C975BC753B70497C06A4D51D"},
    {"message digest", "AD4434ECB18F2C99B60CBE59EC3D2469582B65273F48DE72DB2FDE16A4889A4D"},
    {"This is message, length=32 bytes", "B1C466D37519B82E8319819FF32595E047A28CB6F83EFF1C6916A815A637FFFA"},
    {"Suppose the original message has length = 50 bytes",
     "471ABA57A60A770D3A76130635C1FBEA4EF14DE51F78B4AE57DD893B62F55208"},
    {"The quick brown fox jumps over the lazy dog",
     "77B7FA410C9AC58A25F49BCA7D0468C9296529315EACA76BD1A10F376D1F4294"},
    {"The quick brown fox jumps over the lazy cog",
     "A3EBC4DAAAB78B0BE131DAB5737A7F67E602670D543521319150D2E14EEEC445"},
};

TEST(Gost, PublishedValues) {
    for (const Vector& v : kPublished) {
        SCOPED_TRACE(v.message);
        EXPECT_EQ(hexOf("Gost", v.message), v.digest);
    }
    EXPECT_EQ(test::hexOfRepeated("Gost", "U", 128), "53A3A3ED25180CEF0C1D85A074273E551C25660A87062A52D926A9E8FE5733A4");
    EXPECT_EQ(test::hexOfRepeated("Gost", "a", 1000000),
              "5C00CCC2734CDD3332D3D4749576E3C1A7DBAF0E7EA74E9FA602413C90A129FA");
}

TEST(Gost, MergedRoundTablesEqualSBoxThenRotation) {
    // Every byte value in every position, with varied neighbours.
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        for (int position = 0; position < 4; ++position) {
            for (std::uint32_t rest : {0x00000000u, 0xFFFFFFFFu, 0x9E3779B9u}) {
                const std::uint32_t x = (rest & ~(0xFFu << (8 * position))) | byte << (8 * position);
                ASSERT_EQ(gostRoundFunction(x), gostRoundFunctionReference(x)) << std::hex << x;
            }
        }
    }
}

// Blocks whose sum carries out of every 32-bit word, once only through the
// incoming carry (0xFF...FF + 1), and a sum that wraps past 2^256. Values
// cross-checked with librhash.
TEST(Gost, SumCarriesThroughAll256Bits) {
    std::vector<std::uint8_t> wraps(32, 0xFF);
    wraps.push_back(0x01);
    wraps.resize(64, 0x00);
    EXPECT_EQ(hexOf("Gost", wraps), "4BF754CC72B5D66B6A0A53C70E8E118CC321F703F94B182203C429191D46D4F8");

    std::vector<std::uint8_t> ripples(64, 0xFF);
    ripples.push_back(0x01);
    ripples.resize(96, 0x00);
    ripples.resize(112, 0xFF);
    EXPECT_EQ(hexOf("Gost", ripples), "7990E186A99F21EC0F0B78E31F92710B526CE02DD4B18A505A9EFE7C0F93B040");

    for (const auto& message : {wraps, ripples}) {
        if (const auto peer = test::peerHex("Gost", message)) {
            EXPECT_EQ(hexOf("Gost", message), *peer);
        }
    }
}

}  // namespace
}  // namespace sumwise
