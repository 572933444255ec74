#include "jobs/registry.h"

#include <bit>

#include "algorithms/checksums/checksums.h"
#include "algorithms/gost/gost.h"
#include "algorithms/haval/haval.h"
#include "algorithms/md/md.h"
#include "algorithms/md6/md6.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/sha1/sha1.h"
#include "algorithms/sha2/sha2.h"
#include "algorithms/tiger/tiger.h"
#include "algorithms/whirlpool/whirlpool.h"
#include "text/ascii_case.h"

namespace sumwise {

namespace {

constexpr std::array<AlgorithmEntry, kAlgorithmCount> kRegistry{{
    {1u << 0, L"Adler32", 9, newAdler32},
    {1u << 1, L"CRC32", 9, newCrc32},
    {1u << 2, L"CRC64", 17, newCrc64},
    {1u << 3, L"Gost", 65, newGost},
    {1u << 4, L"Haval", 65, newHaval},
    {1u << 5, L"MD2", 33, newMd2},
    {1u << 6, L"MD4", 33, newMd4},
    {1u << 7, L"MD5", 33, newMd5},
    {1u << 8, L"MD6", 129, newMd6},
    {1u << 9, L"RIPEMD-128", 33, newRipemd128},
    {1u << 10, L"RIPEMD-160", 41, newRipemd160},
    {1u << 11, L"RIPEMD-256", 65, newRipemd256},
    {1u << 12, L"RIPEMD-320", 81, newRipemd320},
    {1u << 13, L"SHA-0", 41, newSha0},
    {1u << 14, L"SHA-1", 41, newSha1},
    {1u << 15, L"SHA-1-IME", 41, newSha1Ime},
    {1u << 16, L"SHA-224", 57, newSha224},
    {1u << 17, L"SHA-256", 65, newSha256},
    {1u << 18, L"SHA-384", 97, newSha384},
    {1u << 19, L"SHA-512", 129, newSha512},
    {1u << 20, L"Tiger", 49, newTiger},
    {1u << 21, L"Whirlpool", 129, newWhirlpool},
}};

static_assert(kRegistry[1].name == L"CRC32" && kRegistry[7].name == L"MD5" && kRegistry[14].name == L"SHA-1",
              "the default algorithms' flags");

template <typename Char>
const AlgorithmEntry* findByName(std::basic_string_view<Char> name) {
    for (const AlgorithmEntry& entry : kRegistry) {
        if (equalsIgnoringAsciiCase(entry.name, name)) return &entry;
    }
    return nullptr;
}

}  // namespace

std::string AlgorithmEntry::asciiName() const {
    std::string text;
    text.reserve(name.size());
    for (wchar_t c : name) text.push_back(static_cast<char>(c));
    return text;
}

const std::array<AlgorithmEntry, kAlgorithmCount>& algorithms() { return kRegistry; }

const AlgorithmEntry* entryForFlag(std::uint32_t flag) {
    for (const AlgorithmEntry& entry : kRegistry) {
        if (entry.flag == flag) return &entry;
    }
    return nullptr;
}

std::optional<std::wstring_view> nameForFlag(std::uint32_t flag) {
    if (const AlgorithmEntry* entry = entryForFlag(flag)) return entry->name;
    return std::nullopt;
}

const AlgorithmEntry* entryForName(std::wstring_view name) { return findByName(name); }

std::optional<std::uint32_t> flagForName(std::wstring_view name) {
    if (const AlgorithmEntry* entry = findByName(name)) return entry->flag;
    return std::nullopt;
}

std::optional<std::uint32_t> flagForName(std::string_view name) {
    if (const AlgorithmEntry* entry = findByName(name)) return entry->flag;
    return std::nullopt;
}

int algorithmCount(std::uint32_t mask) { return std::popcount(mask & kAllAlgorithms); }


}  // namespace sumwise
