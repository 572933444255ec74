// SHA-224, SHA-256, SHA-384 and SHA-512: the FIPS 180-2 examples, every
// compression this processor runs from arbitrary states, and a bit count
// beyond 32 bits.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include "algorithms/sha2/sha2.h"
#include "compression_check.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

constexpr const char* k448Bits = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
constexpr const char* k896Bits =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
constexpr const char* kNames[] = {"SHA-224", "SHA-256", "SHA-384", "SHA-512"};

struct Vector {
    const char* message;
    const char* digests[4];  // SHA-224, SHA-256, SHA-384, SHA-512
};

// FIPS 180-2 appendices B-D and its change notice (SHA-224) for "abc" and
// the 448-bit message, NIST's example values for the empty and the 896-bit
// message. SHA-224 and SHA-384 start from their own initial values, so they
// are not prefixes of SHA-256 and SHA-512.
const Vector kVectors[] = {
    {"",
     {"D14A028C2A3A2BC9476102BB288234C415A2B01F828EA62AC5B3E42F",
      "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855",
      "38B060A751AC96384CD9327EB1B1E36A21FDB71114BE07434C0CC7BF63F6E1DA274EDEBFE76F65FBD51AD2F14898B95B",
      "CF83E1357EEFB8BDF1542850D66D8007D620E4050B5715DC83F4A921D36CE9CE"
      "47D0D13C5D85F2B0FF8318D2877EEC2F63B931BD47417A81A538327AF927DA3E"}},
    {"abc",
     {"23097D223405D8228642A477BDA255B32AADBCE4BDA0B3F7E36C9DA7",
      "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
      "CB00753F45A35E8BB5A03D699AC65007272C32AB0EDED1631A8B605A43FF5BED8086072BA1E7CC2358BAECA134C825A7",
      "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A"
      "2192992A274FC1A836BA3C23A3FEEBBD454D4423643CE80E2A9AC94FA54CA49F"}},
    {k448Bits,
     {"75388B16512776CC5DBA5DA1FD890150B0C6455CB4F58B1952522525",
      "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1",
      "3391FDDDFC8DC7393707A65B1B4709397CF8B1D162AF05ABFE8F450DE5F36BC6B0455A8520BC4E6F5FE95B1FE3C8452B",
      "204A8FC6DDA82F0A0CED7BEB8E08A41657C16EF468B228A8279BE331A703C335"
      "96FD15C13B1B07F9AA1D3BEA57789CA031AD85C7A71DD70354EC631238CA3445"}},
    {k896Bits,
     {"C97CA9A559850CE97A04A96DEF6D99A9E0E0E2AB14E6B8DF265FC0B3",
      "CF5B16A778AF8380036CE59E7B0492370B249B11E8F07A51AFAC45037AFEE9D1",
      "09330C33F71147E83D192FC782CD1B4753111B173B3B05D22FA08086E3B0F712FCC7C71A557E2DB966C3E9FA91746039",
      "8E959B75DAE313DA8CF4F72814FC143F8F7779C6EB9F7FA17299AEADB6889018"
      "501D289E4900F7E4331B99DEC4B5433AC7D329EEB6DD26545E96E55B874BE909"}},
};

TEST(Sha2, KnownDigests) {
    for (const Vector& v : kVectors) {
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(hexOf(kNames[i], v.message), v.digests[i]) << kNames[i] << " of " << v.message;
        }
    }
}

TEST(Sha2, OneMillionA) {
    // FIPS 180-2 appendices B-D and the SHA-224 change notice.
    const char* expected[] = {
        "20794655980C91D8BBB4C1EA97618A4BF03F42581948B2EE4EE7AD67",
        "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0",
        "9D0E1809716474CB086E834E310A4A1CED149E9C00F248527972CEC5704C2A5B07B8B3DC38ECC4EBAE97DDD87F3D8985",
        "E718483D0CE769644E2E42C7BC15B4638E1F98B13B2044285632A803AFA973EB"
        "DE0FF244877EA60A4CB0432CE577C31BEB009C5C2C49AA2E4EADB217AD8CC09B",
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(test::hexOfRepeated(kNames[i], "a", 1000000), expected[i]) << kNames[i];
    }
}

TEST(Sha2, EveryImplementationGivesTheSameState) {
    test::expectCompressionsAgree<std::uint32_t, 8>(sha256Variants(), 64, "SHA-256");
    test::expectCompressionsAgree<std::uint64_t, 8>(sha512Variants(), 128, "SHA-512");
}

TEST(Sha2, BitCountBeyond32Bits) {
    // 2^29 + 3 bytes: the length in bits no longer fits 32 bits, which a
    // 32-bit byte count would still hold. (A byte count beyond 32 bits is
    // checked with SHA-1, which shares the counting.) Values computed with
    // OpenSSL's libcrypto.
    const std::uint64_t length = (std::uint64_t{1} << 29) + 3;
    EXPECT_EQ(test::hexOfRepeated("SHA-512", "a", length),
              "5783CEEC8B9AD654C801BF9BB6F404075C5A99D60A09A493834517EFA6DFA6A1"
              "73EC39FB5A8A99FA1F7326B32CEE47E5B36EA3D9DD7C05DD08A14ECCFCB70DFD");
}

}  // namespace
}  // namespace sumwise
