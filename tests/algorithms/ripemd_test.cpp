// RIPEMD-128, -160, -256 and -320: the published vectors, letter case,
// split inputs and, for RIPEMD-160, comparison with a peer library.
#include <gtest/gtest.h>

#include <random>

#include "peer_oracle.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

constexpr const char* kNames[] = {"RIPEMD-128", "RIPEMD-160", "RIPEMD-256", "RIPEMD-320"};

struct Vector {
    const char* message;
    const char* digests[4];  // in the order of kNames
};

// The test values published by Bosselaers, Dobbertin and Preneel with the
// RIPEMD definitions (RIPEMD-128 and RIPEMD-160 as in ISO/IEC 10118-3, and
// the double-width RIPEMD-256 and RIPEMD-320). The 56- and 62-byte messages
// leave no room for the length, so they take two blocks in the finish step.
const Vector kPublished[] = {
    {"",
     {"CDF26213A150DC3ECB610F18F6B38B46", "9C1185A5C5E9FC54612808977EE8F548B2258D31",
      "02BA4C4E5F8ECD1877FC52D64D30E37A2D9774FB1E5D026380AE0168E3C5522D",
      "22D65D5661536CDC75C1FDF5C6DE7B41B9F27325EBC61E8557177D705A0EC880151C3A32A00899B8"}},
    {"a",
     {"86BE7AFA339D0FC7CFC785E72F578D33", "0BDC9D2D256B3EE9DAAE347BE6F4DC835A467FFE",
      "F9333E45D857F5D90A91BAB70A1EBA0CFB1BE4B0783C9ACFCD883A9134692925",
      "CE78850638F92658A5A585097579926DDA667A5716562CFCF6FBE77F63542F99B04705D6970DFF5D"}},
    {"abc",
     {"C14A12199C66E4BA84636B0F69144C77", "8EB208F7E05D987A9B044A8E98C6B087F15A0BFC",
      "AFBD6E228B9D8CBBCEF5CA2D03E6DBA10AC0BC7DCBE4680E1E42D2E975459B65",
      "DE4C01B3054F8930A79D09AE738E92301E5A17085BEFFDC1B8D116713E74F82FA942D64CDBC4682D"}},
    {"message digest",
     {"9E327B3D6E523062AFC1132D7DF9D1B8", "5D0689EF49D2FAE572B881B123A85FFA21595F36",
      "87E971759A1CE47A514D5C914C392C9018C7C46BC14465554AFCDF54A5070C0E",
      "3A8E28502ED45D422F68844F9DD316E7B98533FA3F2A91D29F84D425C88D6B4EFF727DF66A7C0197"}},
    {"abcdefghijklmnopqrstuvwxyz",
     {"FD2AA607F71DC8F510714922B371834E", "F71C27109C692C1B56BBDCEB5B9D2865B3708DBC",
      "649D3034751EA216776BF9A18ACC81BC7896118A5197968782DD1FD97D8D5133",
      "CABDB1810B92470A2093AA6BCE05952C28348CF43FF60841975166BB40ED234004B8824463E6B009"}},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     {"A1AA0689D0FAFA2DDC22E88B49133A06", "12A053384A9C0C88E405A06C27DCF49ADA62EB2B",
      "3843045583AAC6C8C8D9128573E7A9809AFB2A0F34CCC36EA9E72F16F6368E3F",
      "D034A7950CF722021BA4B84DF769A5DE2060E259DF4C9BB4A4268C0E935BBC7470A969C9D072A1AC"}},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     {"D1E959EB179C911FAEA4624C60C5C702", "B0E20B6E3116640286ED3A87A5713079B21F5189",
      "5740A408AC16B720B84424AE931CBB1FE363D1D0BF4017F1A89F7EA6DE77A0B8",
      "ED544940C86D67F250D232C30B7B3E5770E0C60C8CB9A4CAFE3B11388AF9920E1B99230B843C86A4"}},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     {"3F45EF194732C2DBB2C4A2C769795FA3", "9B752E45573D4B39F4DBD3323CAB82BF63326BFB",
      "06FDCC7A409548AAF91368C06A6275B553E3F099BF0EA4EDFD6778DF89A890DD",
      "557888AF5F6D8ED62AB66945C6D2A0A47ECD5341E915EB8FEA1D0524955F825DC717E4A008AB2D42"}},
};

// One million 'a', from the same publication.
const char* const kMillionA[] = {
    "4A7F5723F954EBA1216C9D8F6320431F",
    "52783243C1697BDBE16D37F97F68F08325DC1528",
    "AC953744E10E31514C150D4D8D7B677342E33399788296E43AE4850CE4F97978",
    "BDEE37F4371E20646B8B0D862DDA16292AE36F40965E8C8509E63D1DBDDECC503E2B63EB9245BB66",
};

TEST(Ripemd, PublishedVectors) {
    for (const Vector& v : kPublished) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(hexOf(kNames[i], v.message), v.digests[i]) << kNames[i] << " " << v.message;
    }
}

TEST(Ripemd, OneMillionA) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(test::hexOfRepeated(kNames[i], "a", 1000000), kMillionA[i]) << kNames[i];
}

TEST(Ripemd, LowerCaseChangesOnlyTheLetters) {
    EXPECT_EQ(hexOf("RIPEMD-160", "abc", LetterCase::Lower), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
    EXPECT_EQ(hexOf("RIPEMD-320", "", LetterCase::Lower),
              "22d65d5661536cdc75c1fdf5c6de7b41b9f27325ebc61e8557177d705a0ec880151c3a32a00899b8");
}

TEST(Ripemd, PaddingEdgesOfRipemd160) {
    // 'a' repeated to 55, 56, 63 and 64 bytes. Computed with OpenSSL's libcrypto.
    EXPECT_EQ(hexOf("RIPEMD-160", std::string(55, 'a')), "0D8A8C9063A48576A7C97E9F95253A6E53FF6765");
    EXPECT_EQ(hexOf("RIPEMD-160", std::string(56, 'a')), "E72334B46C83CC70BEF979E15453706C95B888BE");
    EXPECT_EQ(hexOf("RIPEMD-160", std::string(63, 'a')), "E640041293FE663B9BF3F8C21FFECAC03819E6B2");
    EXPECT_EQ(hexOf("RIPEMD-160", std::string(64, 'a')), "9DFB7D374AD924F3F88DE96291C33E9ABED53E32");
}

TEST(Ripemd, RandomSplitsGiveTheOnePieceDigest) {
    std::mt19937 random(41);
    const auto data = test::randomBytes(1100000, 43);
    for (const char* name : kNames) {
        // Every length from 0 to 130 crosses the block and padding edges;
        // a few long ones cross the 524288-byte streaming block.
        std::vector<std::size_t> lengths;
        for (std::size_t n = 0; n <= 130; ++n) lengths.push_back(n);
        for (int i = 0; i < 4; ++i) lengths.push_back(random() % data.size());
        for (const std::size_t length : lengths) {
            const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
            const std::vector<std::size_t> pieces{1 + random() % 70, 1 + random() % 200, 1 + random() % 524288};
            ASSERT_EQ(test::hexOfPieces(name, message, pieces), hexOf(name, message)) << name << " " << length;
        }
    }
}

TEST(Ripemd, Ripemd160MatchesThePeerOverManyLengths) {
    if (!test::peerHex("RIPEMD-160", {})) GTEST_SKIP() << "no peer library in this build";
    const auto data = test::randomBytes(600000, 47);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
    std::mt19937 random(53);
    for (int i = 0; i < 40; ++i) lengths.push_back(random() % 70000);
    lengths.push_back(524288);
    lengths.push_back(data.size());
    for (const std::size_t length : lengths) {
        const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_EQ(test::hexOfPieces("RIPEMD-160", message, {524288}), test::peerHex("RIPEMD-160", message).value())
            << length;
    }
}

}  // namespace
}  // namespace sumwise
