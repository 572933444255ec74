// The sums-file reader on its own: bytes in, checks out. Which algorithm
// each line gets, what is passed over, and that no bytes at all make it fail.
#include <gtest/gtest.h>

#include <random>

#include "cli/sums_file.h"
#include "test_support.h"

namespace sumwise::cli {
namespace {

using namespace std::string_literals;
using Kind = SumsEntry::Kind;

struct Expected {
    Kind kind;
    std::size_t line;
    std::string name;
    const char* algorithm = nullptr;  // for Check
};

struct ReaderCase {
    std::string what;
    std::string fileName;
    std::string bytes;
    std::vector<std::string> forced;
    std::vector<Expected> entries;
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.what; }

SumsFileRules rulesFor(const ReaderCase& c) {
    SumsFileRules rules;
    rules.fileName = c.fileName;
    rules.digits = digestDigitCounts(AlgorithmParams{});
    for (const std::string& name : c.forced) rules.forced.push_back(&sumwise::test::algorithm(name));
    return rules;
}

class SumsFileTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(SumsFileTest, ReadsTheEntries) {
    const ReaderCase& c = GetParam();
    const SumsFile file = readSumsFile(c.bytes, rulesFor(c));
    ASSERT_EQ(file.entries.size(), c.entries.size());
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
        const SumsEntry& got = file.entries[i];
        const Expected& want = c.entries[i];
        EXPECT_EQ(got.kind, want.kind) << "entry " << i;
        EXPECT_EQ(got.line, want.line) << "entry " << i;
        EXPECT_EQ(got.name, want.name) << "entry " << i;
        if (want.algorithm != nullptr) {
            ASSERT_NE(got.algorithm, nullptr) << "entry " << i;
            EXPECT_EQ(got.algorithm->name, want.algorithm) << "entry " << i;
        }
    }
}

const std::string k32(32, 'a');
const std::string k40(40, 'b');
const std::string k56(56, 'c');
const std::string k64(64, 'd');

INSTANTIATE_TEST_SUITE_P(
    Files, SumsFileTest,
    testing::Values(
        ReaderCase{"line numbers count blank lines and comments", "x.md5",
                   "# c\n\n" + k32 + "  a\n  \n" + k32 + " *b\n", {},
                   {{Kind::Check, 3, "a", "MD5"}, {Kind::Malformed, 4, ""}, {Kind::Check, 5, "b", "MD5"}}},
        ReaderCase{"a tag beats the file name", "x.md5", "SHA1 (a) = " + k40 + "\n" + k32 + "  b\n", {},
                   {{Kind::Check, 1, "a", "SHA-1"}, {Kind::Check, 2, "b", "MD5"}}},
        ReaderCase{"-a beats the file name", "SHA256SUMS", k40 + "  a\n", {"SHA-1"}, {{Kind::Check, 1, "a", "SHA-1"}}},
        ReaderCase{"-a with several: by length", "list", k40 + "  a\n" + k56 + "  b\n" + k32 + "  c\n",
                   {"SHA-1", "SHA-224"},
                   {{Kind::Check, 1, "a", "SHA-1"}, {Kind::Check, 2, "b", "SHA-224"}, {Kind::Malformed, 3, "c"}}},
        ReaderCase{"-a with several of one length", "list", k40 + "  a\n", {"SHA-1", "RIPEMD-160"},
                   {{Kind::Ambiguous, 1, "a"}}},
        ReaderCase{"length alone", "list", std::string(48, 'e') + "  a\n" + k64 + "  b\n" + std::string(80, 'e') +
                       "  c\n" + k56 + "  d\n" + std::string(16, 'e') + "  e\n", {},
                   {{Kind::Check, 1, "a", "Tiger"}, {Kind::Ambiguous, 2, "b"}, {Kind::Check, 3, "c", "RIPEMD-320"},
                    {Kind::Ambiguous, 4, "d"}, {Kind::Ambiguous, 5, "e"}}},
        ReaderCase{"the peers' file names", "B2SUMS", std::string(128, 'e') + "  a\n", {},
                   {{Kind::Check, 1, "a", "BLAKE2b"}}},
        ReaderCase{"B3SUMS", "dir/B3SUMS", k64 + "  a\n", {}, {{Kind::Check, 1, "a", "BLAKE3"}}},
        ReaderCase{".b3", "x.b3", k64 + "  a\n", {}, {{Kind::Check, 1, "a", "BLAKE3"}}},
        ReaderCase{".xxh3", "x.xxh3", std::string(16, 'e') + "  a\n", {}, {{Kind::Check, 1, "a", "XXH3"}}},
        ReaderCase{".xxh64", "x.xxh64", std::string(16, 'e') + "  a\n", {}, {{Kind::Check, 1, "a", "XXH64"}}},
        ReaderCase{".xxh128", "x.XXH128", k32 + "  a\n", {}, {{Kind::Check, 1, "a", "XXH128"}}},
        ReaderCase{".xxh64 of the wrong length", "x.xxh64", k32 + "  a\n", {}, {{Kind::Malformed, 1, "a"}}},
        ReaderCase{"xxhsum's tags in a file named for another", "x.xxh64",
                   "XXH3 (a) = " + std::string(16, 'e') + "\nXXH128 (b) = " + k32 + "\n", {},
                   {{Kind::Check, 1, "a", "XXH3"}, {Kind::Check, 2, "b", "XXH128"}}},
        ReaderCase{"the file name's algorithm, wrong length", "SHA1SUMS", k32 + "  a\n", {}, {{Kind::Malformed, 1, "a"}}},
        ReaderCase{"a tag of the wrong length", "list", "MD5 (a) = " + k40 + "\n", {}, {{Kind::Malformed, 1, "a"}}},
        ReaderCase{"our hash file", "dir/disk.iso.sha-1", k40 + "\r\n\r\n", {},
                   {{Kind::Check, 1, "dir/disk.iso", "SHA-1"}}},
        ReaderCase{"our hash file, digest with trailing blanks", "disk.iso.md5", "\n" + k32 + " \t\n", {},
                   {{Kind::Check, 2, "disk.iso", "MD5"}}},
        ReaderCase{"our hash file, wrong length", "disk.iso.md5", k40 + "\r\n", {}, {{Kind::Malformed, 1, "disk.iso"}}},
        ReaderCase{"a bare digest from standard input", "", k40 + "\n", {}, {{Kind::Malformed, 1, ""}}},
        ReaderCase{"two bare digests", "disk.iso.md5", k32 + "\n" + k32 + "\n", {},
                   {{Kind::Malformed, 1, ""}, {Kind::Malformed, 2, ""}}},
        ReaderCase{"UTF-16 names decoded to UTF-8", "x.md5", "\xFF\xFE"s + [] {
                       std::string out;
                       for (const char c : k32 + "  \xE9\n") out += c, out += '\0';
                       return out;
                   }(),
                   {}, {{Kind::Check, 1, "\xC3\xA9", "MD5"}}},
        ReaderCase{"a NUL in a name is kept, not an end", "x.md5", k32 + "  a\0b\n"s, {},
                   {{Kind::Check, 1, "a\0b"s, "MD5"}}}),
    [](const testing::TestParamInfo<ReaderCase>& param) { return "case" + std::to_string(param.index); });

// Whatever the bytes, the reader gives entries that hold together, and
// never crashes: random files, and valid files with bytes changed.
TEST(SumsFile, AnyBytesGiveSoundEntries) {
    SumsFileRules rules;
    rules.digits = digestDigitCounts(AlgorithmParams{});
    const std::string valid = "\xEF\xBB\xBF" "SHA256 (a) = " + k64 + "\r\n\\" + k32 + "  b\\\\c\n" + k40 + " *d\n";
    std::mt19937 random(2024);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = valid;
        if (round % 2 == 0) {
            bytes.resize(random() % 200);
            for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? "\n\r\\ *()=#"[random() % 10] : random());
        } else {
            for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
                bytes[random() % bytes.size()] = static_cast<char>(random());
            }
        }
        rules.fileName = round % 3 == 0 ? "x.md5" : round % 3 == 1 ? "list" : "disk.iso.sha-1";
        const SumsFile file = readSumsFile(bytes, rules);
        for (const SumsEntry& entry : file.entries) {
            EXPECT_GE(entry.line, 1u);
            if (entry.kind == Kind::Check) {
                ASSERT_NE(entry.algorithm, nullptr);
                EXPECT_EQ(entry.digest.size(), rules.digits[entry.algorithm - algorithms().data()]);
                EXPECT_FALSE(entry.name.empty());
            }
            if (entry.kind == Kind::Ambiguous) {
                EXPECT_GE(entry.candidates.size(), 2u);
            }
        }
    }
}

}  // namespace
}  // namespace sumwise::cli
