// SHA-0, SHA-1 and SHA-1-IME contexts: the same frame, each with its compression.
#include "algorithms/md_hasher.h"
#include "algorithms/sha1/sha1.h"

namespace sumwise {

namespace {

constexpr MdHasher<std::uint32_t, 5>::State kInitial = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};

using Sha1Hasher = MdHasher<std::uint32_t, 5>;

}  // namespace

std::unique_ptr<Hasher> newSha0(const AlgorithmParams&) {
    return std::make_unique<Sha1Hasher>(kInitial, sha1Compress(Sha1Schedule::Sha0), kBigEndianFrame);
}

std::unique_ptr<Hasher> newSha1(const AlgorithmParams&) {
    return std::make_unique<Sha1Hasher>(kInitial, sha1Compress(Sha1Schedule::Sha1), kBigEndianFrame);
}

std::unique_ptr<Hasher> newSha1Ime(const AlgorithmParams&) {
    return std::make_unique<Sha1Hasher>(kInitial, sha1Compress(Sha1Schedule::Ime), kBigEndianFrame);
}

}  // namespace sumwise
