// SHA-224, SHA-256, SHA-384 and SHA-512 contexts: one frame per engine, told
// its initial value and digest length.
#include "algorithms/md_hasher.h"
#include "algorithms/sha2/sha2.h"
#include "algorithms/variant_choice.h"

namespace sumwise {

namespace {

using Sha256State = MdHasher<std::uint32_t, 8>::State;
using Sha512State = MdHasher<std::uint64_t, 8>::State;

constexpr Sha256State kSha224Initial = {0xC1059ED8, 0x367CD507, 0x3070DD17, 0xF70E5939,
                                        0xFFC00B31, 0x68581511, 0x64F98FA7, 0xBEFA4FA4};
constexpr Sha256State kSha256Initial = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                                        0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};
constexpr Sha512State kSha384Initial = {0xCBBB9D5DC1059ED8, 0x629A292A367CD507, 0x9159015A3070DD17,
                                        0x152FECD8F70E5939, 0x67332667FFC00B31, 0x8EB44A8768581511,
                                        0xDB0C2E0D64F98FA7, 0x47B5481DBEFA4FA4};
constexpr Sha512State kSha512Initial = {0x6A09E667F3BCC908, 0xBB67AE8584CAA73B, 0x3C6EF372FE94F82B,
                                        0xA54FF53A5F1D36F1, 0x510E527FADE682D1, 0x9B05688C2B3E6C1F,
                                        0x1F83D9ABFB41BD6B, 0x5BE0CD19137E2179};

// The 64-bit engine ends its padding with a 128-bit length field.
constexpr MdFrame kSha512Frame{0x80, 16, ByteOrder::Big};

using Sha256Engine = MdHasher<std::uint32_t, 8>;
using Sha512Engine = MdHasher<std::uint64_t, 8>;

}  // namespace

std::unique_ptr<Hasher> newSha224With(const AlgorithmParams&, Sha256Compress compress) {
    return std::make_unique<Sha256Engine>(kSha224Initial, compress, kBigEndianFrame, 28);
}

std::unique_ptr<Hasher> newSha256With(const AlgorithmParams&, Sha256Compress compress) {
    return std::make_unique<Sha256Engine>(kSha256Initial, compress, kBigEndianFrame, 32);
}

std::unique_ptr<Hasher> newSha384With(const AlgorithmParams&, Sha512Compress compress) {
    return std::make_unique<Sha512Engine>(kSha384Initial, compress, kSha512Frame, 48);
}

std::unique_ptr<Hasher> newSha512With(const AlgorithmParams&, Sha512Compress compress) {
    return std::make_unique<Sha512Engine>(kSha512Initial, compress, kSha512Frame, 64);
}

std::unique_ptr<Hasher> newSha224(const AlgorithmParams& params) {
    return newSha224With(params, bestVariant(sha256Variants()));
}

std::unique_ptr<Hasher> newSha256(const AlgorithmParams& params) {
    return newSha256With(params, bestVariant(sha256Variants()));
}

// Timed at first use (see variant_choice.h); shared by SHA-384 and SHA-512.
static Sha512Compress timedSha512Compress() {
    static const Sha512Compress chosen = sha512Variants()[fastestCompressionIndex<8, 128>(sha512Variants())].function;
    return chosen;
}

std::unique_ptr<Hasher> newSha384(const AlgorithmParams& params) {
    return newSha384With(params, timedSha512Compress());
}

std::unique_ptr<Hasher> newSha512(const AlgorithmParams& params) {
    return newSha512With(params, timedSha512Compress());
}

}  // namespace sumwise
