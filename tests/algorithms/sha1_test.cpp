// SHA-0, SHA-1 and SHA-1-IME: published digests, the program's own SHA-1-IME
// values, every compression this processor runs from arbitrary states, and a
// message above 4 GiB.
// The checks every algorithm shares are in contract_test.cpp.
#include <gtest/gtest.h>

#include "algorithms/sha1/sha1.h"
#include "compression_check.h"
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

TEST(Sha1Family, EveryImplementationGivesTheSameState) {
    for (Sha1Schedule schedule : {Sha1Schedule::Sha0, Sha1Schedule::Sha1, Sha1Schedule::Ime}) {
        test::expectCompressionsAgree<std::uint32_t, 5>(sha1Variants(schedule), 64,
                                                        "schedule " + std::to_string(static_cast<int>(schedule)));
    }
}

TEST(Sha1Family, MessageAbove4GiB) {
    // 2^32 + 3 bytes: the byte count no longer fits 32 bits. Value computed
    // with OpenSSL's libcrypto.
    EXPECT_EQ(test::hexOfRepeated("SHA-1", "a", (std::uint64_t{1} << 32) + 3),
              "A4E3FE44137C0347FCDB7E4298E6F3FACA26F665");
}

}  // namespace
}  // namespace sumwise
