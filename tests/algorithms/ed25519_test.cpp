// Ed25519 verification: RFC 8032's test vectors, signatures the openssl
// program makes at test time, and every malformed form refused.
#include <gtest/gtest.h>

#include <string>

#include "algorithms/ed25519/ed25519.h"
#include "algorithms/ed25519/edwards_point.h"
#include "openssl_signer.h"
#include "test_support.h"
#include "update/update_signature.h"

namespace sumwise {
namespace {

std::vector<std::uint8_t> bytesFromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes(hex.size() / 2);
    EXPECT_TRUE(decodeHex(hex, bytes)) << hex;
    return bytes;
}

bool verifyHex(const std::string& key, const std::string& message, const std::string& signature) {
    Ed25519PublicKey keyBytes{};
    Ed25519Signature signatureBytes{};
    EXPECT_TRUE(decodeHex(key, keyBytes));
    EXPECT_TRUE(decodeHex(signature, signatureBytes));
    const std::vector<std::uint8_t> bytes = bytesFromHex(message);
    return verifyEd25519(keyBytes, bytes.data(), bytes.size(), signatureBytes);
}

std::string flipBit(std::string hex, std::size_t bit) {
    std::vector<std::uint8_t> bytes = bytesFromHex(hex);
    bytes[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    return test::hexText(bytes);
}

// R unchanged, S replaced by S + L: the same point, a non-canonical scalar.
std::string withSPlusL(const std::string& signature) {
    std::vector<std::uint8_t> bytes = bytesFromHex(signature);
    const ed25519::Scalar& order = ed25519::groupOrder();
    unsigned carry = 0;
    for (std::size_t i = 0; i < 32; ++i) {
        const unsigned sum = bytes[32 + i] + order[i] + carry;
        bytes[32 + i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
    return test::hexText(bytes);
}

std::string withR(const std::string& signature, const std::string& r) { return r + signature.substr(64); }
std::string withS(const std::string& signature, const std::string& s) { return signature.substr(0, 64) + s; }

// RFC 8032 section 7.1.
const std::string kKey1 = "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a";
const std::string kSignature1 =
    "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe24"
    "655141438e7a100b";
const std::string kKey2 = "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c";
const std::string kSignature2 =
    "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aee"
    "b00d291612bb0c00";
const std::string kKey3 = "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025";
const std::string kSignature3 =
    "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc6594a7c15e9716ed28d"
    "c027beceea1ec40a";
const std::string kMessage1024 =
    "08b8b2b733424243760fe426a4b54908632110a66c2f6591eabd3345e3e4eb98"
    "fa6e264bf09efe12ee50f8f54e9f77b1e355f6c50544e23fb1433ddf73be84d8"
    "79de7c0046dc4996d9e773f4bc9efe5738829adb26c81b37c93a1b270b20329d"
    "658675fc6ea534e0810a4432826bf58c941efb65d57a338bbd2e26640f89ffbc"
    "1a858efcb8550ee3a5e1998bd177e93a7363c344fe6b199ee5d02e82d522c4fe"
    "ba15452f80288a821a579116ec6dad2b3b310da903401aa62100ab5d1a36553e"
    "06203b33890cc9b832f79ef80560ccb9a39ce767967ed628c6ad573cb116dbef"
    "efd75499da96bd68a8a97b928a8bbc103b6621fcde2beca1231d206be6cd9ec7"
    "aff6f6c94fcd7204ed3455c68c83f4a41da4af2b74ef5c53f1d8ac70bdcb7ed1"
    "85ce81bd84359d44254d95629e9855a94a7c1958d1f8ada5d0532ed8a5aa3fb2"
    "d17ba70eb6248e594e1a2297acbbb39d502f1a8c6eb6f1ce22b3de1a1f40cc24"
    "554119a831a9aad6079cad88425de6bde1a9187ebb6092cf67bf2b13fd65f270"
    "88d78b7e883c8759d2c4f5c65adb7553878ad575f9fad878e80a0c9ba63bcbcc"
    "2732e69485bbc9c90bfbd62481d9089beccf80cfe2df16a2cf65bd92dd597b07"
    "07e0917af48bbb75fed413d238f5555a7a569d80c3414a8d0859dc65a46128ba"
    "b27af87a71314f318c782b23ebfe808b82b0ce26401d2e22f04d83d1255dc51a"
    "ddd3b75a2b1ae0784504df543af8969be3ea7082ff7fc9888c144da2af58429e"
    "c96031dbcad3dad9af0dcbaaaf268cb8fcffead94f3c7ca495e056a9b47acdb7"
    "51fb73e666c6c655ade8297297d07ad1ba5e43f1bca32301651339e22904cc8c"
    "42f58c30c04aafdb038dda0847dd988dcda6f3bfd15c4b4c4525004aa06eeff8"
    "ca61783aacec57fb3d1f92b0fe2fd1a85f6724517b65e614ad6808d6f6ee34df"
    "f7310fdc82aebfd904b01e1dc54b2927094b2db68d6f903b68401adebf5a7e08"
    "d78ff4ef5d63653a65040cf9bfd4aca7984a74d37145986780fc0b16ac451649"
    "de6188a7dbdf191f64b5fc5e2ab47b57f7f7276cd419c17a3ca8e1b939ae49e4"
    "88acba6b965610b5480109c8b17b80e1b7b750dfc7598d5d5011fd2dcc5600a3"
    "2ef5b52a1ecc820e308aa342721aac0943bf6686b64b2579376504ccc493d97e"
    "6aed3fb0f9cd71a43dd497f01f17c0e2cb3797aa2a2f256656168e6c496afc5f"
    "b93246f6b1116398a346f1a641f3b041e989f7914f90cc2c7fff357876e506b5"
    "0d334ba77c225bc307ba537152f3f1610e4eafe595f6d9d90d11faa933a15ef1"
    "369546868a7f3a45a96768d40fd9d03412c091c6315cf4fde7cb68606937380d"
    "b2eaaa707b4c4185c32eddcdd306705e4dc1ffc872eeee475a64dfac86aba41c"
    "0618983f8741c5ef68d3a101e8a3b8cac60c905c15fc910840b94c00a0b9d0";
// SHA-512("abc").
const std::string kMessageAbc =
    "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a"
    "9ac94fa54ca49f";

// Encodings that name no point: y = 2 has no x on the curve; p is y = 0
// written non-canonically; p + 1 is y = 1 so; (0, 1) with the sign bit set.
const std::string kYTwo = "0200000000000000000000000000000000000000000000000000000000000000";
const std::string kYIsP = "edffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f";
const std::string kYIsPPlusOne = "eeffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f";
const std::string kNegativeZeroX = "0100000000000000000000000000000000000000000000000000000000000080";
const std::string kGroupOrder = "edd3f55c1a631258d69cf7a2def9de1400000000000000000000000000000010";

struct VerifyCase {
    const char* what;
    std::string key;
    std::string message;
    std::string signature;
    bool valid;
};

class Ed25519VerifyTest : public testing::TestWithParam<VerifyCase> {};

TEST_P(Ed25519VerifyTest, AcceptsExactlyTheValidSignatures) {
    const VerifyCase& c = GetParam();
    EXPECT_EQ(verifyHex(c.key, c.message, c.signature), c.valid) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rfc8032, Ed25519VerifyTest,
    testing::Values(
        VerifyCase{"TEST 1", kKey1, "", kSignature1, true},
        VerifyCase{"TEST 2", kKey2, "72", kSignature2, true},
        VerifyCase{"TEST 3", kKey3, "af82", kSignature3, true},
        VerifyCase{"TEST 1024", "278117fc144c72340f67d0f2316e8386ceffbf2b2428c9c51fef7c597f1d426e", kMessage1024,
                   "0aab4c900501b3e24d7cdf4663326a3a87df5e4843b2cbdb67cbf6e460fec350aa5371b1508f9f4528ecea23c436d94b"
                   "5e8fcd4f681e30a6ac00a9704a188a03",
                   true},
        VerifyCase{"TEST SHA(abc)", "ec172b93ad5e563bf4932c70e1245034c35467ef2efd4d64ebf819683467e2bf", kMessageAbc,
                   "dc2a4459e7369633a52b1bf277839a00201009a3efbf3ecb69bea2186c26b58909351fc9ac90b3ecfdfbc7c66431e030"
                   "3dca179c138ac17ad9bef1177331a704",
                   true},
        VerifyCase{"flipped bit in the message", kKey2, "73", kSignature2, false},
        VerifyCase{"one more byte of message", kKey2, "7200", kSignature2, false},
        VerifyCase{"flipped bit in R", kKey1, "", flipBit(kSignature1, 0), false},
        VerifyCase{"flipped bit in S", kKey3, "af82", flipBit(kSignature3, 300), false},
        VerifyCase{"flipped top bit of S", kKey3, "af82", flipBit(kSignature3, 511), false},
        VerifyCase{"another key", kKey1, "72", kSignature2, false},
        VerifyCase{"non-canonical S (S + L)", kKey2, "72", withSPlusL(kSignature2), false},
        VerifyCase{"S = L", kKey2, "72", withS(kSignature2, kGroupOrder), false},
        VerifyCase{"S all ones", kKey2, "72", withS(kSignature2, std::string(64, 'f')), false},
        VerifyCase{"R not on the curve", kKey2, "72", withR(kSignature2, kYTwo), false},
        VerifyCase{"R with y = p + 1", kKey2, "72", withR(kSignature2, kYIsPPlusOne), false},
        VerifyCase{"R with x = 0 and the sign bit set", kKey2, "72", withR(kSignature2, kNegativeZeroX), false},
        VerifyCase{"A not on the curve", kYTwo, "72", kSignature2, false},
        VerifyCase{"A with y = p", kYIsP, "72", kSignature2, false},
        VerifyCase{"A with x = 0 and the sign bit set", kNegativeZeroX, "", kSignature1, false},
        VerifyCase{"all zero", std::string(64, '0'), "", std::string(128, '0'), false}),
    [](const testing::TestParamInfo<VerifyCase>& row) { return "Row" + std::to_string(row.index); });

TEST(Ed25519Points, BaseHasTheGroupOrderAndEncodingsRoundTrip) {
    using namespace ed25519;
    EXPECT_EQ(encodePoint(scalarMultiply(basePoint(), groupOrder())), encodePoint(neutralPoint()));
    for (const std::string& key : {kKey1, kKey2, kKey3}) {
        PointBytes bytes{};
        ASSERT_TRUE(decodeHex(key, bytes));
        const auto point = decodePoint(bytes);
        ASSERT_TRUE(point.has_value()) << key;
        EXPECT_EQ(encodePoint(*point), bytes) << key;
        EXPECT_EQ(encodePoint(pointAdd(*point, *point)), encodePoint(pointDouble(*point))) << key;
    }
}

// Signatures by the openssl program (which signs no empty file), across
// SHA-512's block edges (the message follows 64 bytes of R and A).
class Ed25519OpensslTest : public testing::TestWithParam<std::size_t> {};

TEST_P(Ed25519OpensslTest, VerifiesOpensslSignatures) {
    if (!test::OpensslSigner::available()) GTEST_SKIP() << "no openssl program here";
    static const test::OpensslSigner signer;
    ASSERT_TRUE(signer.ready());
    const std::vector<std::uint8_t> bytes = test::randomBytes(GetParam(), static_cast<std::uint32_t>(GetParam()));
    const std::string message(bytes.begin(), bytes.end());
    const std::string signature = signer.signHex(message);
    ASSERT_EQ(signature.size(), 128u);
    const std::string hex = test::hexText(bytes);
    EXPECT_TRUE(verifyHex(signer.publicKeyHex(), hex, signature));
    EXPECT_FALSE(verifyHex(signer.publicKeyHex(), hex, flipBit(signature, 257)));
    EXPECT_FALSE(verifyHex(signer.publicKeyHex(), hex, withSPlusL(signature)));
    if (!bytes.empty()) {
        EXPECT_FALSE(verifyHex(signer.publicKeyHex(), flipBit(hex, bytes.size() * 8 - 1), signature));
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, Ed25519OpensslTest, testing::Values(1, 63, 64, 65, 127, 128, 129, 511, 4000));

}  // namespace
}  // namespace sumwise
