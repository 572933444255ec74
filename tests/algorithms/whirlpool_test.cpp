// Whirlpool (ISO/IEC 10118-3:2004): the NESSIE vectors, the pad and the
// 256-bit length at the block edges, every compression this processor runs,
// and a bit count beyond 32 bits.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include "algorithms/whirlpool/whirlpool.h"
#include "compression_check.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

struct Vector {
    const char* message;
    const char* digest;
};

// NESSIE set 1 for the final (ISO/IEC 10118-3:2004) Whirlpool; the first
// three are also in the standard's examples.
const Vector kVectors[] = {
    {"",
     "19FA61D75522A4669B44E39C1D2E1726C530232130D407F89AFEE0964997F7A7"
     "3E83BE698B288FEBCF88E3E03C4F0757EA8964E59B63D93708B138CC42A66EB3"},
    {"a",
     "8ACA2602792AEC6F11A67206531FB7D7F0DFF59413145E6973C45001D0087B42"
     "D11BC645413AEFF63A42391A39145A591A92200D560195E53B478584FDAE231A"},
    {"abc",
     "4E2448A4C6F486BB16B6562C73B4020BF3043E3A731BCE721AE1B303D97E6D4C"
     "7181EEBDB6C57E277D0E34957114CBD6C797FC9D95D8B582D225292076D4EEF5"},
    {"message digest",
     "378C84A4126E2DC6E56DCC7458377AAC838D00032230F53CE1F5700C0FFB4D3B"
     "8421557659EF55C106B4B52AC5A4AAA692ED920052838F3362E86DBD37A8903E"},
    {"abcdefghijklmnopqrstuvwxyz",
     "F1D754662636FFE92C82EBB9212A484A8D38631EAD4238F5442EE13B8054E41B"
     "08BF2A9251C30B6A0B8AAE86177AB4A6F68F673E7207865D5D9819A3DBA4EB3B"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "526B2394D85683E24B29ACD0FD37F7D5027F61366A1407262DC2A6A345D9E240"
     "C017C1833DB1E6DB6A46BD444B0C69520C856E7C6E9C366D150A7DA3AEB160D1"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "DC37E008CF9EE69BF11F00ED9ABA26901DD7C28CDEC066CC6AF42E40F82F3A1E"
     "08EBA26629129D8FB7CB57211B9281A65517CC879D7B962142C65F5A7AF01467"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "466EF18BABB0154D25B9D38A6414F5C08784372BCCB204D6549C4AFADB601429"
     "4D5BD8DF2A6C44E538CD047B2681A51A2C60481E88C5A20B2C2A80CF3A9A083B"},
    // Wikipedia, "Whirlpool (hash function)".
    {"The quick brown fox jumps over the lazy dog",
     "B97DE512E91E3828B40D2B0FDCE9CEB3C4A71F9BEA8D88E75C4FA854DF36725F"
     "D2B52EB6544EDCACD6F8BEDDFEA403CB55AE31F03AD62A5EF54E42EE82C3FB35"},
};

TEST(Whirlpool, NessieVectors) {
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.message);
        EXPECT_EQ(hexOf("Whirlpool", v.message), v.digest);
    }
    // NESSIE set 1: one million 'a'.
    EXPECT_EQ(test::hexOfRepeated("Whirlpool", "a", 1000000),
              "0C99005BEB57EFF50A7CF005560DDF5D29057FD86B20BFD62DECA0F1CCEA4AF5"
              "1FC15490EDDC47AF32BB2B66C34FF9AD8C6008AD677F77126953B226E4ED8B01");
}

// The message padded by hand: 0x80, zeros up to 32 modulo 64, the bit count
// as 32 bytes most significant first; the digest is the chaining words, each
// most significant byte first.
std::string padAndCompress(WhirlpoolCompress compress, const std::vector<std::uint8_t>& message) {
    std::vector<std::uint8_t> padded = message;
    padded.push_back(0x80);
    while (padded.size() % 64 != 32) padded.push_back(0);
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    for (int i = 0; i < 24; ++i) padded.push_back(0);
    for (int i = 7; i >= 0; --i) padded.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    WhirlpoolState hash = {};
    compress(hash, padded.data(), padded.size() / 64);
    std::uint8_t digest[64];
    for (int i = 0; i < 64; ++i) digest[i] = static_cast<std::uint8_t>(hash[i / 8] >> (8 * (7 - i % 8)));
    return digestText(Digest::fromBytes(digest, 64), LetterCase::Upper);
}

TEST(Whirlpool, PadAndLengthAtEveryBlockEdge) {
    // 31 bytes leave room for the pad and the 32-byte length in one block,
    // 32 to 63 need a second block, 64 a block of padding only.
    const auto data = test::randomBytes(200, 4);
    const WhirlpoolCompress portable = whirlpoolVariants().front().function;
    for (std::size_t length : {0, 1, 30, 31, 32, 33, 62, 63, 64, 65, 95, 96, 97, 127, 128, 129}) {
        const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(hexOf("Whirlpool", message), padAndCompress(portable, message)) << "length " << length;
    }
}

TEST(Whirlpool, EveryCompressionThisProcessorRunsAgrees) {
    for (const WhirlpoolVariant& variant : test::runnableVariants(whirlpoolVariants())) {
        SCOPED_TRACE(variant.name);
        // From the zero chaining value, as in the digest above...
        EXPECT_EQ(padAndCompress(variant.function, test::bytesOf("abc")), hexOf("Whirlpool", "abc"));
    }
    // ...and from arbitrary ones, over runs of several blocks.
    test::expectCompressionsAgree<std::uint64_t, 8>(whirlpoolVariants(), 64);
}

TEST(Whirlpool, BitCountBeyond32Bits) {
    // 2^29 + 3 bytes: the bit count needs 33 bits. Digest by OpenSSL's
    // libcrypto and librhash alike.
    EXPECT_EQ(test::hexOfRepeated("Whirlpool", "Sumwise", 76695845),
              "CA03BA8D8E8E2676CFCBCB1370A67E5EEF1FCAD610C4F0902742ED48F7905C73"
              "898AF111667A03B70D688D6A3DFA295D52413B9ECFA1FD83CDE98613E364F69F");
}

}  // namespace
}  // namespace sumwise
