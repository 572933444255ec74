// SHA-0, SHA-1 and SHA-1-IME contexts: the same frame, each with its compression.
#include "algorithms/md_hasher.h"
#include "algorithms/sha1/sha1.h"

namespace sumwise {

namespace {

constexpr MdHasher<std::uint32_t, 5>::State kInitial = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};

using Sha1Hasher = MdHasher<std::uint32_t, 5>;

}  // namespace

std::unique_ptr<Hasher> newSha1FamilyWith(const AlgorithmParams&, Sha1Compress compress) {
    return std::make_unique<Sha1Hasher>(kInitial, compress, kBigEndianFrame);
}

std::unique_ptr<Hasher> newSha0(const AlgorithmParams& params) {
    return newSha1FamilyWith(params, bestVariant(sha1Variants(Sha1Schedule::Sha0)));
}

std::unique_ptr<Hasher> newSha1(const AlgorithmParams& params) {
    return newSha1FamilyWith(params, bestVariant(sha1Variants(Sha1Schedule::Sha1)));
}

std::unique_ptr<Hasher> newSha1Ime(const AlgorithmParams& params) {
    return newSha1FamilyWith(params, bestVariant(sha1Variants(Sha1Schedule::Ime)));
}

}  // namespace sumwise
