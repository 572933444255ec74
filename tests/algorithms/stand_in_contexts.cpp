#include "stand_in_contexts.h"

#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "algorithms/blake2/blake2_internal.h"
#include "algorithms/bytes.h"
#include "algorithms/gost/gost.h"
#include "algorithms/haval/haval.h"
#include "algorithms/md/md.h"
#include "algorithms/md6/md6.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/sha1/sha1.h"
#include "algorithms/sha2/sha2.h"
#include "algorithms/tiger/tiger.h"
#include "algorithms/whirlpool/whirlpool.h"
#include "test_support.h"

namespace sumwise::test {

namespace {

// The words of every block XORed into the first state word: a length field
// that differs changes one word of the last blocks, and so the digest.
template <typename Word, std::size_t BlockBytes>
void foldBlocks(Word* state, const std::uint8_t* blocks, std::size_t count) {
    Word folded = 0;
    for (std::size_t i = 0; i < count * BlockBytes; i += sizeof(Word)) folded ^= bytes::loadNative<Word>(blocks + i);
    state[0] ^= folded;
}

void foldGost(GostWords& h, const GostWords& m) {
    for (int i = 0; i < 8; ++i) h[i] ^= m[i];
}

// Output word j takes every input word i with i = j modulo 16.
void foldMd6(const std::uint64_t* input, std::uint64_t* output, unsigned) {
    std::memset(output, 0, 16 * sizeof(std::uint64_t));
    for (std::size_t i = 0; i < md6::kInputWords; ++i) output[i % 16] ^= input[i];
}

// BLAKE2's counter is the real one; the mixing only folds the blocks in, and
// the counter at the last block, so a carry lost at 2^32 bytes (BLAKE2s's
// low word) gives the short message's digest.
template <typename Word>
void foldBlake2(Word* h, Word* t, const std::uint8_t* blocks, std::size_t count, Word increment, bool last) {
    for (; count > 0; --count, blocks += 16 * sizeof(Word)) {
        blake2::advance(t, increment);
        for (std::size_t i = 0; i < 16 * sizeof(Word); i += sizeof(Word)) h[0] ^= bytes::loadNative<Word>(blocks + i);
        if (last) {
            h[1] ^= t[0];
            h[2] ^= t[1];
        }
    }
}

using Factory = std::function<std::unique_ptr<Hasher>()>;

const std::map<std::string, Factory, std::less<>>& factories() {
    constexpr auto fold32 = foldBlocks<std::uint32_t, 64>;
    constexpr auto fold64 = foldBlocks<std::uint64_t, 64>;
    static const std::map<std::string, Factory, std::less<>> table = {
        {"Adler32", [] { return algorithm("Adler32").newHasher({}); }},
        {"CRC32", [] { return algorithm("CRC32").newHasher({}); }},
        {"CRC64", [] { return algorithm("CRC64").newHasher({}); }},
        {"Gost", [] { return newGostWith({}, foldGost); }},
        {"Haval", [] { return newHavalWith({}, foldBlocks<std::uint32_t, 128>); }},
        {"MD4", [=] { return newMd4With({}, fold32); }},
        {"MD5", [=] { return newMd5With({}, fold32); }},
        {"MD6", [] { return newMd6With({}, foldMd6); }},
        {"RIPEMD-128", [=] { return newRipemd128With({}, fold32); }},
        {"RIPEMD-160", [=] { return newRipemd160With({}, fold32); }},
        {"RIPEMD-256", [=] { return newRipemd256With({}, fold32); }},
        {"RIPEMD-320", [=] { return newRipemd320With({}, fold32); }},
        {"SHA-0", [=] { return newSha1FamilyWith({}, fold32); }},
        {"SHA-1", [=] { return newSha1FamilyWith({}, fold32); }},
        {"SHA-1-IME", [=] { return newSha1FamilyWith({}, fold32); }},
        {"SHA-224", [=] { return newSha224With({}, fold32); }},
        {"SHA-256", [=] { return newSha256With({}, fold32); }},
        {"SHA-384", [] { return newSha384With({}, foldBlocks<std::uint64_t, 128>); }},
        {"SHA-512", [] { return newSha512With({}, foldBlocks<std::uint64_t, 128>); }},
        {"Tiger", [=] { return newTigerWith({}, fold64); }},
        {"Whirlpool", [=] { return newWhirlpoolWith({}, fold64); }},
        // SHA-3 counts no length. The others are fast enough to take 4 GiB as they are.
        {"BLAKE2b", [] { return newBlake2bWith({}, foldBlake2<std::uint64_t>); }},
        {"BLAKE2s", [] { return newBlake2sWith({}, foldBlake2<std::uint32_t>); }},
        {"BLAKE3", [] { return algorithm("BLAKE3").newHasher({}); }},
        {"XXH64", [] { return algorithm("XXH64").newHasher({}); }},
        {"XXH3", [] { return algorithm("XXH3").newHasher({}); }},
        {"XXH128", [] { return algorithm("XXH128").newHasher({}); }},
        {"CRC32C", [] { return algorithm("CRC32C").newHasher({}); }},
    };
    return table;
}

}  // namespace

std::unique_ptr<Hasher> standInContext(std::string_view algorithmName) {
    const auto found = factories().find(algorithmName);
    return found == factories().end() ? nullptr : found->second();
}

}  // namespace sumwise::test
