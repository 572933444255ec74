// HAVAL: the authors' certification values for all fifteen pass and length
// pairs, padding and block edges against the step-by-step definition, split
// input, parameters taken once, and pairs that are not valid.
#include <gtest/gtest.h>

#include "algorithms/block_buffer.h"
#include "algorithms/haval/haval.h"
#include "test_support.h"

namespace sumwise {
namespace {

AlgorithmParams havalParams(unsigned passes, unsigned bits) {
    AlgorithmParams params;
    params.haval = {static_cast<std::uint16_t>(passes), static_cast<std::uint16_t>(bits)};
    return params;
}

std::string haval(unsigned passes, unsigned bits, std::string_view text, LetterCase letterCase = LetterCase::Upper) {
    return test::hexOf("Haval", text, letterCase, havalParams(passes, bits));
}

std::string reference(unsigned passes, unsigned bits, const std::vector<std::uint8_t>& bytes) {
    const HavalParams params{static_cast<std::uint16_t>(passes), static_cast<std::uint16_t>(bits)};
    return digestText(havalReference(params, bytes.data(), bytes.size()), LetterCase::Upper);
}

struct Vector {
    unsigned passes;
    unsigned bits;
    const char* message;
    const char* digest;
};

// The certification data of the HAVAL authors' reference release (haval-1.1,
// "certified md" for each pass count and length), as reproduced in the
// Cryptix test suite.
const Vector kCertified[] = {
    {3, 128, "", "C68F39913F901F3DDF44C707357A7D70"},
    {3, 160, "", "D353C3AE22A25401D257643836D7231A9A95F953"},
    {3, 192, "", "E9C48D7903EAF2A91C5B350151EFCB175C0FC82DE2289A4E"},
    {3, 224, "", "C5AAE9D47BFFCAAF84A8C6E7CCACD60A0DD1932BE7B1A192B9214B6D"},
    {3, 256, "", "4F6938531F0BC8991F62DA7BBD6F7DE3FAD44562B8C6F4EBF146D5B4E46F7C17"},
    {4, 128, "", "EE6BBF4D6A46A679B3A856C88538BB98"},
    {4, 160, "", "1D33AAE1BE4146DBAACA0B6E70D7A11F10801525"},
    {4, 192, "", "4A8372945AFA55C7DEAD800311272523CA19D42EA47B72DA"},
    {4, 224, "", "3E56243275B3B81561750550E36FCD676AD2F5DD9E15F2E89E6ED78E"},
    {4, 256, "", "C92B2E23091E80E375DADCE26982482D197B1A2521BE82DA819F8CA2C579B99B"},
    {5, 128, "", "184B8482A0C050DCA54B59C7F05BF5DD"},
    {5, 160, "", "255158CFC1EED1A7BE7C55DDD64D9790415B933B"},
    {5, 192, "", "4839D0626F95935E17EE2FC4509387BBE2CC46CB382FFE85"},
    {5, 224, "", "4A0513C032754F5582A758D35917AC9ADF3854219B39E3AC77D1837E"},
    {5, 256, "", "BE417BB4DD5CFB76C7126F4F8EEB1553A449039307B1A3CD451DBFDC0FBBE330"},
    {3, 128, "a", "0CD40739683E15F01CA5DBCEEF4059F1"},
    {3, 160, "a", "4DA08F514A7275DBC4CECE4A347385983983A830"},
    {3, 192, "a", "B359C8835647F5697472431C142731FF6E2CDDCACC4F6E08"},
    {3, 224, "a", "731814BA5605C59B673E4CAAE4AD28EEB515B3ABC2B198336794E17B"},
    {3, 256, "a", "47C838FBB4081D9525A0FF9B1E2C05A98F625714E72DB289010374E27DB021D8"},
    {4, 128, "a", "5CD07F03330C3B5020B29BA75911E17D"},
    {4, 160, "a", "E0A5BE29627332034D4DD8A910A1A0E6FE04084D"},
    {4, 192, "a", "856C19F86214EA9A8A2F0C4B758B973CCE72A2D8FF55505C"},
    {4, 224, "a", "742F1DBEEAF17F74960558B44F08AA98BDC7D967E6C0AB8F799B3AC1"},
    {4, 256, "a", "E686D2394A49B44D306ECE295CF9021553221DB132B36CC0FF5B593D39295899"},
    {5, 128, "a", "F23FBE704BE8494BFA7A7FB4F8AB09E5"},
    {5, 160, "a", "F5147DF7ABC5E3C81B031268927C2B5761B5A2B5"},
    {5, 192, "a", "5FFA3B3548A6E2CFC06B7908CEB5263595DF67CF9C4B9341"},
    {5, 224, "a", "67B3CB8D4068E3641FA4F156E03B52978B421947328BFB9168C7655D"},
    {5, 256, "a", "DE8FD5EE72A5E4265AF0A756F4E1A1F65C9B2B2F47CF17ECF0D1B88679A3E22F"},
    {3, 128, "HAVAL", "DC1F3C893D17CC4EDD9AE94AF76A0AF0"},
    {4, 160, "HAVAL", "221BA4DD206172F12C2EBA3295FDE08D25B2F982"},
    {5, 192, "HAVAL", "794A896D1780B76E2767CC4011BAD8885D5CE6BD835A71B8"},
    {3, 224, "0123456789", "EE345C97A58190BF0F38BF7CE890231AA5FCF9862BF8E7BEBBF76789"},
    {4, 256, "abcdefghijklmnopqrstuvwxyz", "124F6EB645DC407637F8F719CC31250089C89903BF1DB8FAC21EA4614DF4E99A"},
    {5, 256, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "B45CB6E62F2B1320E4F8F1B0B273D45ADD47C321FD23999DCF403AC37636D963"},
    // "abc" as the program documents it.
    {5, 256, "abc", "976CD6254C337969E5913B158392A2921AF16FCA51F5601D486E0A9DE01156E7"},
    {3, 128, "abc", "9E40ED883FB63E985D299B40CDA2B8F2"},
    {4, 192, "abc", "7E29881ED05C915903DD5E24A8E81CDE5D910142AE66207C"},
    {5, 160, "abc", "AE646B04845E3351F00C5161D138940E1FA0C11C"},
    {3, 224, "abc", "5BC955220BA2346A948D2848ECA37BDD5ECA6ECCA7B594BD32923FAB"},
    // Wikipedia, "HAVAL".
    {5, 256, "The quick brown fox jumps over the lazy dog",
     "B89C551CDFE2E06DBD4CEA2BE1BC7D557416C58EBB4D07CBC94E49F710C55BE4"},
};

TEST(Haval, CertifiedValuesForEveryPassCountAndLength) {
    for (const Vector& v : kCertified) {
        SCOPED_TRACE(testing::Message() << v.passes << " passes, " << v.bits << " bits, \"" << v.message << "\"");
        EXPECT_EQ(haval(v.passes, v.bits, v.message), v.digest);
        EXPECT_EQ(reference(v.passes, v.bits, test::bytesOf(v.message)), v.digest);
    }
}

TEST(Haval, DefaultsAreFivePassesAnd256BitsAndLowerCaseChangesOnlyLetters) {
    EXPECT_EQ(test::hexOf("Haval", ""), "BE417BB4DD5CFB76C7126F4F8EEB1553A449039307B1A3CD451DBFDC0FBBE330");
    EXPECT_EQ(haval(3, 128, "", LetterCase::Lower), "c68f39913f901f3ddf44c707357a7d70");
}

TEST(Haval, PaddingAndBlockEdgesMatchTheDefinition) {
    // 117 modulo 128 leaves room for the pad byte and the tail in the same
    // block; 118 needs a whole further block.
    const auto data = test::randomBytes(1200, 3);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
    for (std::size_t n : {373, 374, 383, 384, 385, 501, 502, 511, 512, 1024, 1141, 1142, 1200}) lengths.push_back(n);
    for (unsigned passes = 3; passes <= 5; ++passes) {
        for (unsigned bits = 128; bits <= 256; bits += 32) {
            for (std::size_t n : lengths) {
                const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
                ASSERT_EQ(test::hexOf("Haval", message, LetterCase::Upper, havalParams(passes, bits)),
                          reference(passes, bits, message))
                    << passes << " passes, " << bits << " bits, " << n << " bytes";
            }
        }
    }
}

TEST(Haval, PiecesGiveTheOnePieceDigestAcrossTheStreamingBlock) {
    const auto data = test::randomBytes(524288 * 2 + 1000, 17);
    for (unsigned passes = 3; passes <= 5; ++passes) {
        const AlgorithmParams params = havalParams(passes, passes == 4 ? 160 : 256);
        const std::string whole = test::hexOf("Haval", data, LetterCase::Upper, params);
        EXPECT_EQ(whole, reference(passes, passes == 4 ? 160 : 256, data));
        EXPECT_EQ(test::hexOfPieces("Haval", data, {1, 127, 128, 129, 117, 524288, 3}, params), whole);
        EXPECT_EQ(test::hexOfPieces("Haval", data, {524288}, params), whole);
    }
}

TEST(Haval, ParametersAreTakenWhenTheContextIsMadeAndKeptAcrossReuse) {
    AlgorithmParams params = havalParams(3, 128);
    const auto hasher = test::algorithm("Haval").newHasher(params);
    params.haval = {5, 256};  // a later change does not reach the running context
    for (int round = 0; round < 2; ++round) {
        hasher->init();
        hasher->update(reinterpret_cast<const std::uint8_t*>("a"), 1);
        EXPECT_EQ(digestText(hasher->finish(), LetterCase::Upper), "0CD40739683E15F01CA5DBCEEF4059F1");
    }
}

TEST(Haval, PairsOutsideTheRangesGiveAnEmptyDigest) {
    const std::pair<unsigned, unsigned> invalid[] = {{0, 256}, {2, 256}, {6, 256}, {65535, 256}, {5, 0},
                                                     {5, 96}, {5, 288}, {3, 129}, {4, 255}, {5, 65535}};
    const auto data = test::randomBytes(1000, 5);
    for (const auto& [passes, bits] : invalid) {
        SCOPED_TRACE(testing::Message() << passes << " passes, " << bits << " bits");
        const auto hasher = test::algorithm("Haval").newHasher(havalParams(passes, bits));
        hasher->init();
        hasher->update(data.data(), data.size());
        const Digest digest = hasher->finish();
        EXPECT_TRUE(digest.empty());
        EXPECT_EQ(digestText(digest, LetterCase::Upper), "");
        EXPECT_TRUE(havalReference({static_cast<std::uint16_t>(passes), static_cast<std::uint16_t>(bits)},
                                   data.data(), data.size())
                        .empty());
    }
    EXPECT_TRUE(havalParamsValid({3, 128}));
    EXPECT_TRUE(havalParamsValid({5, 224}));
}

TEST(Haval, LengthCounterKeepsCountingPastFourGiB) {
    // The bit count in the tail is taken from this counter; feeding it more
    // than 4 GiB without compressing shows it does not wrap at 32 bits.
    BlockBuffer<128> buffer;
    const std::vector<std::uint8_t> piece(1 << 20, 0x5A);
    std::uint64_t blocks = 0;
    auto count = [&](const std::uint8_t*, std::size_t n) { blocks += n; };
    for (int i = 0; i < 4097; ++i) buffer.update(piece.data(), piece.size(), count);
    buffer.update(piece.data(), 5, count);
    const std::uint64_t expected = 4097ull * (1 << 20) + 5;
    EXPECT_EQ(buffer.totalBytes(), expected);
    EXPECT_EQ(blocks, expected / 128);
    EXPECT_EQ(buffer.pending(), 5u);
}

}  // namespace
}  // namespace sumwise
