// SHA3-224, SHA3-256, SHA3-384 and SHA3-512: NIST's example values, every
// Keccak variant this processor runs against the portable one, and the
// libcrypto oracle over random messages.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "algorithms/sha3/sha3.h"
#include "compression_check.h"
#include "peer_oracle.h"
#include "test_support.h"

namespace sumwise {
namespace {

using Factory = std::unique_ptr<Hasher> (*)(const AlgorithmParams&, KeccakAbsorb);

struct Algorithm {
    const char* name;
    Factory factory;
    std::size_t rate;
};

const Algorithm kAlgorithms[] = {
    {"SHA3-224", newSha3_224With, 144},
    {"SHA3-256", newSha3_256With, 136},
    {"SHA3-384", newSha3_384With, 104},
    {"SHA3-512", newSha3_512With, 72},
};

// `bytes` given in pieces of `piece` bytes (0: in one piece), `copies` times over.
std::string digestOf(const Algorithm& algorithm, KeccakAbsorb absorb, std::string_view bytes, std::size_t piece = 0,
                     std::size_t copies = 1) {
    const auto hasher = algorithm.factory({}, absorb);
    for (int pass = 0; pass < 2; ++pass) {  // the second pass checks the context is reusable
        hasher->init();
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (std::size_t copy = 0; copy < copies; ++copy) {
            const std::size_t step = piece == 0 ? std::max<std::size_t>(bytes.size(), 1) : piece;
            for (std::size_t offset = 0; offset < bytes.size(); offset += step) {
                hasher->update(data + offset, std::min(step, bytes.size() - offset));
                hasher->update(nullptr, 0);  // an empty piece, even with no buffer, changes nothing
            }
        }
        if (pass == 1) return digestText(hasher->finish(), LetterCase::Upper);
        hasher->finish();
    }
    return {};
}

std::string_view text(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

constexpr const char* k448Bits = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
constexpr const char* k896Bits =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";

struct Vector {
    const char* message;
    std::size_t copies;
    const char* digests[4];  // SHA3-224, SHA3-256, SHA3-384, SHA3-512
};

// NIST's example values for FIPS 202 (the SHA-3 examples of the Cryptographic
// Standards and Guidelines pages): the empty message, "abc", the 448- and
// 896-bit messages and one million 'a'.
const Vector kVectors[] = {
    {"",
     1,
     {"6B4E03423667DBB73B6E15454F0EB1ABD4597F9A1B078E3F5B5A6BC7",
      "A7FFC6F8BF1ED76651C14756A061D662F580FF4DE43B49FA82D80A4B80F8434A",
      "0C63A75B845E4F7D01107D852E4C2485C51A50AAAA94FC61995E71BBEE983A2AC3713831264ADB47FB6BD1E058D5F004",
      "A69F73CCA23A9AC5C8B567DC185A756E97C982164FE25859E0D1DCC1475C80A6"
      "15B2123AF1F5F94C11E3E9402C3AC558F500199D95B6D3E301758586281DCD26"}},
    {"abc",
     1,
     {"E642824C3F8CF24AD09234EE7D3C766FC9A3A5168D0C94AD73B46FDF",
      "3A985DA74FE225B2045C172D6BD390BD855F086E3E9D525B46BFE24511431532",
      "EC01498288516FC926459F58E2C6AD8DF9B473CB0FC08C2596DA7CF0E49BE4B298D88CEA927AC7F539F1EDF228376D25",
      "B751850B1A57168A5693CD924B6B096E08F621827444F70D884F5D0240D2712E"
      "10E116E9192AF3C91A7EC57647E3934057340B4CF408D5A56592F8274EEC53F0"}},
    {k448Bits,
     1,
     {"8A24108B154ADA21C9FD5574494479BA5C7E7AB76EF264EAD0FCCE33",
      "41C0DBA2A9D6240849100376A8235E2C82E1B9998A999E21DB32DD97496D3376",
      "991C665755EB3A4B6BBDFB75C78A492E8C56A22C5C4D7E429BFDBC32B9D4AD5AA04A1F076E62FEA19EEF51ACD0657C22",
      "04A371E84ECFB5B8B77CB48610FCA8182DD457CE6F326A0FD3D7EC2F1E91636D"
      "EE691FBE0C985302BA1B0D8DC78C086346B533B49C030D99A27DAF1139D6E75E"}},
    {k896Bits,
     1,
     {"543E6868E1666C1A643630DF77367AE5A62A85070A51C14CBF665CBC",
      "916F6061FE879741CA6469B43971DFDB28B1A32DC36CB3254E812BE27AAD1D18",
      "79407D3B5916B59C3E30B09822974791C313FB9ECC849E406F23592D04F625DC8C709B98B43B3852B337216179AA7FC7",
      "AFEBB2EF542E6579C50CAD06D2E578F9F8DD6881D7DC824D26360FEEBF18A4FA"
      "73E3261122948EFCFD492E74E82E2189ED0FB440D187F382270CB455F21DD185"}},
    {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
     10000,
     {"D69335B93325192E516A912E6D19A15CB51C6ED5C15243E7A7FD653C",
      "5C8875AE474A3634BA4FD55EC85BFFD661F32ACA75C6D699D0CDCB6C115891C1",
      "EEE9E24D78C1855337983451DF97C8AD9EEDF256C6334F8E948D252D5E0E76847AA0774DDB90A842190D2C558B4B8340",
      "3C3A876DA14034AB60627C077BB98F7E120A2A5370212DFFB3385A18D4F38859"
      "ED311D0A9D5141CE9CC5C66EE689B266A8AA18ACE8282A0E0DB596C90B0A7B87"}},
};

TEST(Sha3, KnownDigestsOnEveryVariant) {
    for (const auto& variant : test::runnableVariants(keccakVariants())) {
        for (const Vector& v : kVectors) {
            for (std::size_t i = 0; i < 4; ++i) {
                EXPECT_EQ(digestOf(kAlgorithms[i], variant.function, v.message, 0, v.copies), v.digests[i])
                    << kAlgorithms[i].name << " " << variant.name << " of " << v.message;
            }
        }
    }
}

TEST(Sha3, EveryVariantAndSplitAgreesAroundTheRate) {
    const auto variants = test::runnableVariants(keccakVariants());
    ASSERT_STREQ(variants.front().name, "portable");
    const auto data = test::randomBytes(3 * 144 + 2, 11);
    for (const Algorithm& algorithm : kAlgorithms) {
        const std::size_t r = algorithm.rate;
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, r - 2, r - 1, r, r + 1, 2 * r - 1, 2 * r, 2 * r + 1,
                                 3 * r + 2}) {
            const std::string_view message = text(data).substr(0, size);
            const std::string expected = digestOf(algorithm, variants.front().function, message);
            for (const auto& variant : variants) {
                for (std::size_t piece : {0, 1, 7, 64, 143}) {
                    EXPECT_EQ(digestOf(algorithm, variant.function, message, piece), expected)
                        << algorithm.name << " " << variant.name << " size " << size << " piece " << piece;
                }
            }
        }
    }
}

TEST(Sha3, AgreesWithThePeerOnRandomMessages) {
    for (const Algorithm& algorithm : kAlgorithms) {
        for (std::size_t size = 0; size <= 300; ++size) {
            const auto bytes = test::randomBytes(size, static_cast<std::uint32_t>(size));
            const auto peer = test::peerHex(algorithm.name, bytes);
            if (!peer) GTEST_SKIP() << "no peer library in this build";
            ASSERT_EQ(digestOf(algorithm, bestVariant(keccakVariants()), text(bytes)), *peer)
                << algorithm.name << " size " << size;
        }
        for (std::size_t size : {(1u << 20) - 1, 1u << 20, (1u << 20) + 73}) {
            const auto bytes = test::randomBytes(size, 5);
            EXPECT_EQ(digestOf(algorithm, bestVariant(keccakVariants()), text(bytes), 4093),
                      test::peerHex(algorithm.name, bytes).value_or("?"))
                << algorithm.name << " size " << size;
        }
    }
}

}  // namespace
}  // namespace sumwise
