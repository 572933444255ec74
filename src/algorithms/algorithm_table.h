// The algorithm table: one row per algorithm, and the one place that says
// what an algorithm is called, how it is written elsewhere, how big its
// digest is, which parameters it takes, which variants it has and how a
// context is made. The list, /H, sumwise-cli's -a, --tag and -c, hash files,
// the log, the benchmark and the tests all read it from here. A row's index
// is its bit in an AlgorithmMask; the rows' order is the order in which a job
// takes its algorithms and sumwise-cli prints them.
//
// Adding an algorithm: its own folder under src/algorithms/ (a factory and a
// variant table), one row at the end of the table below, and rows in the
// test tables (its known answers in a test file of its own, the expected
// rows of tests/registry_test.cpp, the peer oracle where a peer library has
// it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "algorithms/blake2/blake2.h"
#include "algorithms/blake3/blake3.h"
#include "algorithms/checksums/checksums.h"
#include "algorithms/gost/gost.h"
#include "algorithms/hasher.h"
#include "algorithms/haval/haval.h"
#include "algorithms/md/md.h"
#include "algorithms/md6/md6.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/sha1/sha1.h"
#include "algorithms/sha2/sha2.h"
#include "algorithms/sha3/sha3.h"
#include "algorithms/tiger/tiger.h"
#include "algorithms/variant.h"
#include "algorithms/whirlpool/whirlpool.h"
#include "algorithms/xxhash/xxhash.h"

namespace sumwise {

// A set of algorithms: bit i is the table's row i.
using AlgorithmMask = std::uint64_t;

// Which of the parameter records in AlgorithmParams an algorithm reads.
enum class ParameterKind { None, Haval, Md6 };

// An algorithm's variants seen alike whatever their function's type: their
// names and predicates, and a context on any one of them. The tests check
// each against the portable one; the benchmark names the one it measures.
struct HasherVariants {
    std::vector<VariantInfo> variants;  // portable first, fastest last
    // A context on variant `index`, whatever the processor admits.
    std::unique_ptr<Hasher> (*create)(const AlgorithmParams& params, std::size_t index);

    // The variant the dispatch takes under `cpu`.
    std::size_t best(const CpuFeatures& cpu = cpuFeatures()) const;
};

// The variants of an algorithm whose contexts take one of `Table()`'s functions.
template <auto Table, auto CreateWith>
const HasherVariants& variantsOf() {
    static const HasherVariants variants{variantInfos(Table()), [](const AlgorithmParams& params, std::size_t index) {
                                             return CreateWith(params, Table()[index].function);
                                         }};
    return variants;
}

// An algorithm with one implementation.
template <HasherFactory Create>
const HasherVariants& portableOnly() {
    static const HasherVariants variants{{{"portable", anyProcessor}},
                                         [](const AlgorithmParams& params, std::size_t) { return Create(params); }};
    return variants;
}

inline constexpr std::size_t kMaxSpellings = 3;
// The digest size of an algorithm whose parameters choose it.
inline constexpr unsigned kBitsFromParameters = 0;

struct AlgorithmEntry {
    std::string_view name;  // as the list shows it; also the /H and -a token and the log's name
    // Other tools' names for it, where they differ from `name` by more than
    // letter case: what a sums file's tags and file names may say.
    std::array<std::string_view, kMaxSpellings> spellings;
    // The name of its "NAME (FILE) = DIGEST" lines: the spelling the peers'
    // checkers read (sha256sum -c, md5sum -c, RHash), ours where no peer has it.
    std::string_view tag;
    std::string_view extension;  // of its hash files: INPUT.EXTENSION
    unsigned digestBits;         // or kBitsFromParameters
    ParameterKind parameters;
    const HasherVariants& (*variants)();
    HasherFactory create;        // a context on the fastest variant the processor admits

    constexpr std::size_t index() const;
    constexpr AlgorithmMask flag() const { return AlgorithmMask{1} << index(); }
    // The bits of its digest under `params`.
    unsigned digestBitsWith(const AlgorithmParams& params) const;
    // Its hexadecimal digits under `params`: MD6's d need not be a multiple of 4.
    unsigned digestDigitsWith(const AlgorithmParams& params) const { return (digestBitsWith(params) + 3) / 4; }
    // `name` and `extension` as wide text, for the program's window and files.
    std::wstring_view wideName() const;
    std::wstring_view wideExtension() const;

    std::unique_ptr<Hasher> newHasher(const AlgorithmParams& params) const { return create(params); }
};

// clang-format off
inline constexpr AlgorithmEntry kAlgorithmTable[] = {
    // name         spellings                   tag           extension     bits  parameters
    {"Adler32",     {},                         "Adler32",    "adler32",    32,   ParameterKind::None,
     variantsOf<adler32Variants, newAdler32With>, newAdler32},
    {"CRC32",       {},                         "CRC32",      "crc32",      32,   ParameterKind::None,
     variantsOf<crc32Variants, newCrc32With>, newCrc32},
    {"CRC64",       {},                         "CRC64",      "crc64",      64,   ParameterKind::None,
     variantsOf<crc64Variants, newCrc64With>, newCrc64},
    {"Gost",        {},                         "Gost",       "gost",       256,  ParameterKind::None,
     portableOnly<newGost>, newGost},
    {"Haval",       {},                         "Haval",      "haval",      kBitsFromParameters, ParameterKind::Haval,
     portableOnly<newHaval>, newHaval},
    {"MD2",         {},                         "MD2",        "md2",        128,  ParameterKind::None,
     portableOnly<newMd2>, newMd2},
    {"MD4",         {},                         "MD4",        "md4",        128,  ParameterKind::None,
     portableOnly<newMd4>, newMd4},
    {"MD5",         {},                         "MD5",        "md5",        128,  ParameterKind::None,
     portableOnly<newMd5>, newMd5},
    {"MD6",         {},                         "MD6",        "md6",        kBitsFromParameters, ParameterKind::Md6,
     variantsOf<md6::compressVariants, newMd6With>, newMd6},
    {"RIPEMD-128",  {"RIPEMD128", "RMD128"},    "RIPEMD-128", "ripemd-128", 128,  ParameterKind::None,
     portableOnly<newRipemd128>, newRipemd128},
    {"RIPEMD-160",  {"RIPEMD160", "RMD160"},    "RMD160",     "ripemd-160", 160,  ParameterKind::None,
     portableOnly<newRipemd160>, newRipemd160},
    {"RIPEMD-256",  {"RIPEMD256", "RMD256"},    "RIPEMD-256", "ripemd-256", 256,  ParameterKind::None,
     portableOnly<newRipemd256>, newRipemd256},
    {"RIPEMD-320",  {"RIPEMD320", "RMD320"},    "RIPEMD-320", "ripemd-320", 320,  ParameterKind::None,
     portableOnly<newRipemd320>, newRipemd320},
    {"SHA-0",       {"SHA0"},                   "SHA-0",      "sha-0",      160,  ParameterKind::None,
     variantsOf<sha1VariantsOf<Sha1Schedule::Sha0>, newSha1FamilyWith>, newSha0},
    {"SHA-1",       {"SHA1"},                   "SHA1",       "sha-1",      160,  ParameterKind::None,
     variantsOf<sha1VariantsOf<Sha1Schedule::Sha1>, newSha1FamilyWith>, newSha1},
    {"SHA-1-IME",   {},                         "SHA-1-IME",  "sha-1-ime",  160,  ParameterKind::None,
     variantsOf<sha1VariantsOf<Sha1Schedule::Ime>, newSha1FamilyWith>, newSha1Ime},
    {"SHA-224",     {"SHA224"},                 "SHA224",     "sha-224",    224,  ParameterKind::None,
     variantsOf<sha256Variants, newSha224With>, newSha224},
    {"SHA-256",     {"SHA256"},                 "SHA256",     "sha-256",    256,  ParameterKind::None,
     variantsOf<sha256Variants, newSha256With>, newSha256},
    {"SHA-384",     {"SHA384"},                 "SHA384",     "sha-384",    384,  ParameterKind::None,
     variantsOf<sha512Variants, newSha384With>, newSha384},
    {"SHA-512",     {"SHA512"},                 "SHA512",     "sha-512",    512,  ParameterKind::None,
     variantsOf<sha512Variants, newSha512With>, newSha512},
    {"Tiger",       {},                         "Tiger",      "tiger",      192,  ParameterKind::None,
     variantsOf<tigerVariants, newTigerWith>, newTiger},
    {"Whirlpool",   {},                         "Whirlpool",  "whirlpool",  512,  ParameterKind::None,
     variantsOf<whirlpoolVariants, newWhirlpoolWith>, newWhirlpool},
    {"SHA3-224",    {"SHA3_224"},               "SHA3-224",   "sha3-224",   224,  ParameterKind::None,
     variantsOf<keccakVariants, newSha3_224With>, newSha3_224},
    {"SHA3-256",    {"SHA3_256"},               "SHA3-256",   "sha3-256",   256,  ParameterKind::None,
     variantsOf<keccakVariants, newSha3_256With>, newSha3_256},
    {"SHA3-384",    {"SHA3_384"},               "SHA3-384",   "sha3-384",   384,  ParameterKind::None,
     variantsOf<keccakVariants, newSha3_384With>, newSha3_384},
    {"SHA3-512",    {"SHA3_512"},               "SHA3-512",   "sha3-512",   512,  ParameterKind::None,
     variantsOf<keccakVariants, newSha3_512With>, newSha3_512},
    {"BLAKE2b",     {"BLAKE2b512", "B2"},       "BLAKE2b",    "blake2b",    512, ParameterKind::None,
     variantsOf<blake2bVariants, newBlake2bWith>, newBlake2b},
    {"BLAKE2s",     {"BLAKE2s256"},             "BLAKE2s",    "blake2s",    256,  ParameterKind::None,
     variantsOf<blake2sVariants, newBlake2sWith>, newBlake2s},
    {"BLAKE3",      {"B3"},                     "BLAKE3",     "blake3",     256,  ParameterKind::None,
     variantsOf<blake3Variants, newBlake3With>, newBlake3},
    {"XXH64",       {"XXHASH64"},               "XXH64",      "xxh64",      64,   ParameterKind::None,
     variantsOf<xxh64Variants, newXxh64With>, newXxh64},
    {"XXH3",        {"XXH3_64", "XXH3-64", "XXH3_64bits"}, "XXH3", "xxh3",  64,   ParameterKind::None,
     variantsOf<xxh3Variants, newXxh3With>, newXxh3},
    {"XXH128",      {"XXH3_128", "XXH3-128", "XXH3_128bits"}, "XXH128", "xxh128", 128, ParameterKind::None,
     variantsOf<xxh3Variants, newXxh128With>, newXxh128},
    {"CRC32C",      {"CRC-32C", "CRC32-C"},     "CRC32C",     "crc32c",     32,   ParameterKind::None,
     variantsOf<crc32cVariants, newCrc32cWith>, newCrc32c},
};
// clang-format on

inline constexpr std::size_t kAlgorithmCount = std::size(kAlgorithmTable);
static_assert(kAlgorithmCount <= 64, "an AlgorithmMask has a bit for each row");
inline constexpr AlgorithmMask kAllAlgorithms =
    kAlgorithmCount == 64 ? ~AlgorithmMask{0} : (AlgorithmMask{1} << kAlgorithmCount) - 1;

constexpr std::size_t AlgorithmEntry::index() const { return static_cast<std::size_t>(this - kAlgorithmTable); }

// The flag of the row named exactly `name`; a name not in the table does not compile.
consteval AlgorithmMask flagNamed(std::string_view name) {
    for (const AlgorithmEntry& entry : kAlgorithmTable) {
        if (entry.name == name) return entry.flag();
    }
    throw "no such algorithm";
}

// What a fresh start ticks and sumwise-cli computes without -a.
inline constexpr AlgorithmMask kDefaultAlgorithms = flagNamed("CRC32") | flagNamed("MD5") | flagNamed("SHA-1");

// The rows in table order.
constexpr std::span<const AlgorithmEntry, kAlgorithmCount> algorithms() { return kAlgorithmTable; }

// The row whose flag is exactly `flag`, or null (also for several bits).
const AlgorithmEntry* algorithmForFlag(AlgorithmMask flag);
// The row whose name is `name` in any letter case, or null. Characters
// beyond ASCII never fold onto a name's letters.
const AlgorithmEntry* algorithmNamed(std::string_view name);
const AlgorithmEntry* algorithmNamed(std::wstring_view name);
// The row whose hash files have this extension (without its dot), in any letter case.
const AlgorithmEntry* algorithmWithExtension(std::string_view extension);
const AlgorithmEntry* algorithmWithExtension(std::wstring_view extension);
// The row that answers to `text` as its name, tag or one of its spellings,
// with letter case, hyphens, underscores and slashes ignored ("sha_256",
// "SHA256" and "sha-256" meet). Null when none.
const AlgorithmEntry* algorithmSpelled(std::string_view text);
// The row that takes these parameters, or null for ParameterKind::None.
const AlgorithmEntry* algorithmWithParameters(ParameterKind kind);

// The number of algorithms in `mask`.
int algorithmCount(AlgorithmMask mask);

}  // namespace sumwise
