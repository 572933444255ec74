// SHA-0, SHA-1 and SHA-1-IME: published digests, the program's own SHA-1-IME
// values, padding edges against a peer library, splitting, every compression
// this processor runs, and a message above 4 GiB.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "algorithms/sha1/sha1.h"
#include "compression_check.h"
#include "peer_oracle.h"
#include "test_support.h"

namespace sumwise {
namespace {

using test::hexOf;

constexpr const char* kAbc = "abc";
constexpr const char* k448Bits = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
constexpr const char* k896Bits =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";

struct Vector {
    const char* message;
    const char* sha0;
    const char* sha1;
    const char* sha1Ime;
};

// SHA-0: FIPS 180 (1993), appendices A and B, and the published value of the
// empty message. SHA-1: FIPS 180-2, appendix A. SHA-1-IME: the program's own
// documented values; "abc" uses both halves of its schedule (words 16..35
// and 36..79), the 448-bit message needs two blocks in the finish step.
const Vector kVectors[] = {
    {"", "F96CEA198AD1DD5617AC084A3D92C6107708C0EF", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709",
     "08696597285D5AE6D25CCE092E94DAEEEF79ED6F"},
    {kAbc, "0164B8A914CD2A5E74C4F7FF082C4D97F1EDF880", "A9993E364706816ABA3E25717850C26C9CD0D89D",
     "3985C19044A607C4F6BE641DFBFE3B951BCCEE69"},
    {k448Bits, "D2516EE1ACFA5BAF33DFC1C471E438449EF134C8", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1",
     "488104310775A2DD091E096C7DB8C52802800E3C"},
};

TEST(Sha1Family, KnownDigests) {
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.message);
        EXPECT_EQ(hexOf("SHA-0", v.message), v.sha0);
        EXPECT_EQ(hexOf("SHA-1", v.message), v.sha1);
        EXPECT_EQ(hexOf("SHA-1-IME", v.message), v.sha1Ime);
    }
    // NIST's 896-bit example message for SHA-1.
    EXPECT_EQ(hexOf("SHA-1", k896Bits), "A49B2446A02C645BF419F995B67091253A04A259");
}

TEST(Sha1Family, OneMillionA) {
    // FIPS 180 (1993) appendix C and FIPS 180-2 appendix A.
    EXPECT_EQ(test::hexOfRepeated("SHA-0", "a", 1000000), "3232AFFA48628A26653B5AAA44541FD90D690603");
    EXPECT_EQ(test::hexOfRepeated("SHA-1", "a", 1000000), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

TEST(Sha1Family, LowerCaseChangesOnlyTheLetters) {
    EXPECT_EQ(hexOf("SHA-1-IME", kAbc, LetterCase::Lower), "3985c19044a607c4f6be641dfbfe3b951bccee69");
    EXPECT_EQ(hexOf("SHA-0", kAbc, LetterCase::Lower), "0164b8a914cd2a5e74c4f7ff082c4d97f1edf880");
}

TEST(Sha1Family, EveryLengthUpTo300MatchesThePeer) {
    // Covers the padding edges (55, 56, 63, 64 bytes and their multiples).
    const auto data = test::randomBytes(300, 3);
    for (std::size_t length = 0; length <= 300; ++length) {
        const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        const auto peer = test::peerHex("SHA-1", message);
        if (!peer) GTEST_SKIP() << "no peer library in this build";
        ASSERT_EQ(hexOf("SHA-1", message), *peer) << "length " << length;
    }
}

TEST(Sha1Family, InputsAroundTheReadBlockMatchThePeer) {
    // One whole read block of 524288 bytes, and one byte more.
    const auto data = test::randomBytes(524289, 5);
    for (std::size_t length : {std::size_t{524288}, std::size_t{524289}}) {
        const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        const auto peer = test::peerHex("SHA-1", message);
        if (!peer) GTEST_SKIP() << "no peer library in this build";
        EXPECT_EQ(hexOf("SHA-1", message), *peer) << "length " << length;
        EXPECT_EQ(test::hexOfPieces("SHA-1", message, {524288}), *peer) << "length " << length;
    }
}

TEST(Sha1Family, AnySplitGivesTheOnePieceDigest) {
    const auto data = test::randomBytes(600000, 9);
    std::mt19937 random(17);
    for (const char* name : {"SHA-0", "SHA-1", "SHA-1-IME"}) {
        for (int round = 0; round < 6; ++round) {
            const std::size_t length = random() % data.size();
            const std::vector<std::uint8_t> message(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
            const std::string whole = hexOf(name, message);
            EXPECT_EQ(test::hexOfPieces(name, message, {1, 63, 64, 65, 127, 4096, 55}), whole) << name << " " << length;
            EXPECT_EQ(test::hexOfPieces(name, message, {random() % 1000 + 1, random() % 100000 + 1}), whole)
                << name << " " << length;
        }
    }
}

TEST(Sha1Family, EveryImplementationGivesTheSameState) {
    for (Sha1Schedule schedule : {Sha1Schedule::Sha0, Sha1Schedule::Sha1, Sha1Schedule::Ime}) {
        test::expectCompressionsAgree<std::uint32_t, 5>(sha1Variants(schedule), 64,
                                                        "schedule " + std::to_string(static_cast<int>(schedule)));
    }
}

TEST(Sha1Family, ContextsKeepTheirOwnState) {
    // Two computations interleaved, as a job's worker and the update check
    // may run them, and a context reused after finishing.
    const auto first = test::algorithm("SHA-1").newHasher({});
    const auto second = test::algorithm("SHA-1").newHasher({});
    first->init();
    second->init();
    const std::string a(1000, 'a');
    const auto bytes = test::bytesOf(k448Bits);
    for (int i = 0; i < 1000; ++i) {
        first->update(reinterpret_cast<const std::uint8_t*>(a.data()), a.size());
        if (i == 0) second->update(bytes.data(), bytes.size());
    }
    EXPECT_EQ(digestText(second->finish(), LetterCase::Upper), "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
    EXPECT_EQ(digestText(first->finish(), LetterCase::Upper), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");

    second->init();
    second->update(reinterpret_cast<const std::uint8_t*>(kAbc), 3);
    EXPECT_EQ(digestText(second->finish(), LetterCase::Upper), "A9993E364706816ABA3E25717850C26C9CD0D89D");
}

TEST(Sha1Family, MessageAbove4GiB) {
    // 2^32 + 3 bytes: the byte count no longer fits 32 bits. Value computed
    // with OpenSSL's libcrypto.
    EXPECT_EQ(test::hexOfRepeated("SHA-1", "a", (std::uint64_t{1} << 32) + 3),
              "A4E3FE44137C0347FCDB7E4298E6F3FACA26F665");
}

}  // namespace
}  // namespace sumwise
