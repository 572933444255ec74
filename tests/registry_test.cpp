// The algorithm table: its rows as the list, hash files and --tag lines show
// them, every field filled in, no name one row answers to shared with
// another, and the lookups built on it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "algorithms/algorithm_table.h"

namespace sumwise {
namespace {

struct ExpectedRow {
    const char* name;
    const char* tag;
    const char* extension;
    unsigned bits;  // at the default parameters
    ParameterKind parameters = ParameterKind::None;
};

// In table order, which is the list's order; a new algorithm adds its row here.
constexpr ExpectedRow kExpected[] = {
    {"Adler32", "Adler32", "adler32", 32},
    {"CRC32", "CRC32", "crc32", 32},
    {"CRC64", "CRC64", "crc64", 64},
    {"Gost", "Gost", "gost", 256},
    {"Haval", "Haval", "haval", 256, ParameterKind::Haval},
    {"MD2", "MD2", "md2", 128},
    {"MD4", "MD4", "md4", 128},
    {"MD5", "MD5", "md5", 128},
    {"MD6", "MD6", "md6", 256, ParameterKind::Md6},
    {"RIPEMD-128", "RIPEMD-128", "ripemd-128", 128},
    {"RIPEMD-160", "RMD160", "ripemd-160", 160},
    {"RIPEMD-256", "RIPEMD-256", "ripemd-256", 256},
    {"RIPEMD-320", "RIPEMD-320", "ripemd-320", 320},
    {"SHA-0", "SHA-0", "sha-0", 160},
    {"SHA-1", "SHA1", "sha-1", 160},
    {"SHA-1-IME", "SHA-1-IME", "sha-1-ime", 160},
    {"SHA-224", "SHA224", "sha-224", 224},
    {"SHA-256", "SHA256", "sha-256", 256},
    {"SHA-384", "SHA384", "sha-384", 384},
    {"SHA-512", "SHA512", "sha-512", 512},
    {"Tiger", "Tiger", "tiger", 192},
    {"Whirlpool", "Whirlpool", "whirlpool", 512},
    {"SHA3-224", "SHA3-224", "sha3-224", 224},
    {"SHA3-256", "SHA3-256", "sha3-256", 256},
    {"SHA3-384", "SHA3-384", "sha3-384", 384},
    {"SHA3-512", "SHA3-512", "sha3-512", 512},
    {"BLAKE2b", "BLAKE2b", "blake2b", 512},
    {"BLAKE2s", "BLAKE2s", "blake2s", 256},
    {"BLAKE3", "BLAKE3", "blake3", 256},
    {"XXH64", "XXH64", "xxh64", 64},
    {"XXH3", "XXH3", "xxh3", 64},
    {"XXH128", "XXH128", "xxh128", 128},
    {"CRC32C", "CRC32C", "crc32c", 32},
};

// How a sums file's reader compares names: letter case, hyphens, underscores and slashes aside.
std::string loose(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '-' || c == '_' || c == '/') continue;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

std::wstring widened(std::string_view text) { return std::wstring(text.begin(), text.end()); }

TEST(AlgorithmTable, RowsAreInOrderAsTheListFilesAndTagLinesShowThem) {
    ASSERT_EQ(algorithms().size(), std::size(kExpected));
    for (std::size_t i = 0; i < algorithms().size(); ++i) {
        const AlgorithmEntry& entry = algorithms()[i];
        const ExpectedRow& expected = kExpected[i];
        EXPECT_EQ(entry.index(), i);
        EXPECT_EQ(entry.flag(), AlgorithmMask{1} << i);
        EXPECT_EQ(entry.name, expected.name);
        EXPECT_EQ(entry.tag, expected.tag);
        EXPECT_EQ(entry.extension, expected.extension);
        EXPECT_EQ(entry.parameters, expected.parameters) << entry.name;
        EXPECT_EQ(entry.digestBitsWith({}), expected.bits) << entry.name;
        EXPECT_EQ(entry.wideName(), widened(expected.name));
        EXPECT_EQ(entry.wideExtension(), widened(expected.extension));
    }
}

TEST(AlgorithmTable, EveryRowHasEveryField) {
    for (const AlgorithmEntry& entry : algorithms()) {
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_FALSE(entry.name.empty());
        EXPECT_FALSE(entry.tag.empty());
        EXPECT_FALSE(entry.extension.empty());
        for (const std::string_view text : {entry.name, entry.tag, entry.extension}) {
            for (const char c : text) EXPECT_TRUE(c > ' ' && c < 0x7F) << text;  // a file name, a token, a tag
        }
        // A fixed size, or parameters that set it.
        EXPECT_EQ(entry.digestBits == kBitsFromParameters, entry.parameters != ParameterKind::None);
        ASSERT_NE(entry.create, nullptr);
        ASSERT_NE(entry.variants, nullptr);
        const HasherVariants& variants = entry.variants();
        ASSERT_FALSE(variants.variants.empty());
        EXPECT_STREQ(variants.variants.front().name, "portable");
        ASSERT_NE(variants.create, nullptr);

        // The size the row states is the size its contexts give, at the default
        // parameters and at others for the rows that take them.
        std::vector<AlgorithmParams> settings(1);
        if (entry.parameters == ParameterKind::Haval) {
            settings.push_back({});
            settings.back().haval = {3, 128};
            settings.push_back({});
            settings.back().haval = {4, 224};
        } else if (entry.parameters == ParameterKind::Md6) {
            for (const std::uint32_t d : {1u, 10u, 160u, 512u}) {
                settings.push_back({});
                settings.back().md6.d = d;
                settings.back().md6.r = md6DefaultRounds(d, false);
            }
        }
        for (const AlgorithmParams& params : settings) {
            const auto hasher = entry.newHasher(params);
            ASSERT_NE(hasher, nullptr);
            hasher->init();
            EXPECT_EQ(hasher->finish().hexDigits, (entry.digestBitsWith(params) + 3) / 4);
            const auto first = variants.create(params, 0);
            ASSERT_NE(first, nullptr);
        }
    }
}

TEST(AlgorithmTable, NoNameOneRowAnswersToBelongsToAnother) {
    // Every name, tag, extension and spelling, as loosely as a sums file's
    // reader takes them (so also without regard to letter case).
    std::map<std::string, std::size_t> owner;
    for (const AlgorithmEntry& entry : algorithms()) {
        std::vector<std::string_view> texts{entry.name, entry.tag, entry.extension};
        for (const std::string_view spelling : entry.spellings) {
            if (!spelling.empty()) texts.push_back(spelling);
        }
        for (const std::string_view text : texts) {
            const std::string key = loose(text);
            EXPECT_FALSE(key.empty()) << entry.name;
            const auto [it, added] = owner.emplace(key, entry.index());
            EXPECT_TRUE(added || it->second == entry.index())
                << text << " of " << entry.name << " is also " << algorithms()[it->second].name << "'s";
        }
    }
}

TEST(AlgorithmTable, LookupsFindEveryRowByWhatItAnswersTo) {
    for (const AlgorithmEntry& entry : algorithms()) {
        EXPECT_EQ(algorithmForFlag(entry.flag()), &entry);
        EXPECT_EQ(algorithmNamed(entry.name), &entry);
        EXPECT_EQ(algorithmNamed(lowered(entry.name)), &entry);
        EXPECT_EQ(algorithmNamed(entry.wideName()), &entry);
        EXPECT_EQ(algorithmWithExtension(entry.extension), &entry);
        EXPECT_EQ(algorithmWithExtension(entry.wideExtension()), &entry);
        EXPECT_EQ(algorithmSpelled(entry.name), &entry);
        EXPECT_EQ(algorithmSpelled(entry.tag), &entry);
        EXPECT_EQ(algorithmSpelled(lowered(entry.extension)), &entry);
        for (const std::string_view spelling : entry.spellings) {
            if (spelling.empty()) continue;
            EXPECT_EQ(algorithmSpelled(lowered(spelling)), &entry) << spelling;
        }
    }
}

TEST(AlgorithmTable, FlagsNeedExactlyOneBitOfARow) {
    EXPECT_EQ(algorithmForFlag(2097152)->name, "Whirlpool");
    EXPECT_EQ(algorithmForFlag(1)->name, "Adler32");
    EXPECT_EQ(algorithmForFlag(3), nullptr);
    EXPECT_EQ(algorithmForFlag(0), nullptr);
    EXPECT_EQ(algorithmForFlag(AlgorithmMask{1} << kAlgorithmCount), nullptr);
    EXPECT_EQ(algorithmForFlag(AlgorithmMask{1} << 63), nullptr);
    EXPECT_EQ(algorithmForFlag(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(algorithmForFlag(~AlgorithmMask{0}), nullptr);
}

TEST(AlgorithmTable, NamesIgnoreLetterCaseButNotSpelling) {
    EXPECT_EQ(algorithmNamed(std::wstring_view(L"sha-1-ime"))->flag(), 32768u);
    EXPECT_EQ(algorithmNamed(std::wstring_view(L"SHA-1-IME"))->flag(), 32768u);
    EXPECT_EQ(algorithmNamed(std::string_view("wHiRlPoOl"))->flag(), 2097152u);
    EXPECT_EQ(algorithmNamed(std::string_view("crc32"))->flag(), 2u);
    EXPECT_EQ(algorithmNamed(std::wstring_view(L"SHA1")), nullptr);  // a spelling, not a name
    EXPECT_EQ(algorithmNamed(std::wstring_view(L"SHA-1 ")), nullptr);
    EXPECT_EQ(algorithmNamed(std::wstring_view(L"")), nullptr);
    EXPECT_EQ(algorithmNamed(std::string_view("MD5\xC3\xA9")), nullptr);
    // Characters beyond ASCII never fold onto a name's letters.
    EXPECT_EQ(algorithmNamed(std::wstring_view(L"M\u0110" L"5")), nullptr);
    EXPECT_EQ(algorithmNamed(std::string_view("M\xC4" "5")), nullptr);
    EXPECT_EQ(algorithmWithExtension(std::wstring_view(L"SHA-256"))->name, "SHA-256");
    EXPECT_EQ(algorithmWithExtension(std::string_view("sha256")), nullptr);
    EXPECT_EQ(algorithmWithExtension(std::string_view("")), nullptr);
    EXPECT_EQ(algorithmSpelled("RMD160")->name, "RIPEMD-160");
    // The other tools' names of the newer rows: OpenSSL, b2sum, b3sum, xxhsum, RHash.
    for (const auto& [spelling, name] : {std::pair{"sha3_256", "SHA3-256"}, std::pair{"sha3256", "SHA3-256"},
                                         std::pair{"blake2b512", "BLAKE2b"}, std::pair{"b2", "BLAKE2b"},
                                         std::pair{"BLAKE2B", "BLAKE2b"}, std::pair{"blake2s256", "BLAKE2s"},
                                         std::pair{"b3", "BLAKE3"}, std::pair{"xxh3_64", "XXH3"},
                                         std::pair{"XXH3-64", "XXH3"}, std::pair{"xxh128", "XXH128"},
                                         std::pair{"XXH3_128", "XXH128"}, std::pair{"crc-32c", "CRC32C"}}) {
        ASSERT_NE(algorithmSpelled(spelling), nullptr) << spelling;
        EXPECT_EQ(algorithmSpelled(spelling)->name, name) << spelling;
    }
    EXPECT_EQ(algorithmSpelled("b"), nullptr);
    EXPECT_EQ(algorithmSpelled("XXH"), nullptr);
    EXPECT_EQ(algorithmSpelled("-_/"), nullptr);
    EXPECT_EQ(algorithmSpelled("SHA"), nullptr);
    EXPECT_EQ(algorithmWithParameters(ParameterKind::Haval)->name, "Haval");
    EXPECT_EQ(algorithmWithParameters(ParameterKind::Md6)->name, "MD6");
    EXPECT_EQ(algorithmWithParameters(ParameterKind::None), nullptr);
}

TEST(AlgorithmTable, MasksAndCounts) {
    EXPECT_EQ(kAlgorithmCount, std::size(kExpected));
    EXPECT_EQ(algorithmCount(0), 0);
    EXPECT_EQ(algorithmCount(kAllAlgorithms), static_cast<int>(kAlgorithmCount));
    EXPECT_EQ(algorithmCount(~AlgorithmMask{0}), static_cast<int>(kAlgorithmCount));
    EXPECT_EQ(algorithmCount(1 | 4 | 128), 3);
    EXPECT_EQ(kDefaultAlgorithms, algorithmNamed(std::string_view("CRC32"))->flag() |
                                      algorithmNamed(std::string_view("MD5"))->flag() |
                                      algorithmNamed(std::string_view("SHA-1"))->flag());
    AlgorithmMask every = 0;
    for (const AlgorithmEntry& entry : algorithms()) every |= entry.flag();
    EXPECT_EQ(every, kAllAlgorithms);
}

}  // namespace
}  // namespace sumwise
