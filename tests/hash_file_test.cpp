// Hash files and sums lines: naming, content, and reading a value back from
// whatever a user keeps beside an input.
#include <gtest/gtest.h>

#include <string>

#include "algorithms/algorithm_table.h"
#include "results/hash_file.h"
#include "results/sums_line.h"

namespace sumwise {
namespace {

using namespace std::string_literals;

TEST(HashFile, OtherToolsExtensionsOfAllAlgorithmsInTableOrder) {
    // Ours, and the one other tools' sums files carry (which the companion lookup tries too).
    const std::pair<const char*, const char*> expected[] = {
        {"adler32", "adler32"},       {"crc32", "crc32"},           {"crc64", "crc64"},
        {"gost", "gost"},             {"haval", "haval"},           {"md2", "md2"},
        {"md4", "md4"},               {"md5", "md5"},               {"md6", "md6"},
        {"ripemd-128", "ripemd128"},  {"ripemd-160", "ripemd160"},  {"ripemd-256", "ripemd256"},
        {"ripemd-320", "ripemd320"},  {"sha-0", "sha0"},            {"sha-1", "sha1"},
        {"sha-1-ime", "sha1ime"},     {"sha-224", "sha224"},        {"sha-256", "sha256"},
        {"sha-384", "sha384"},        {"sha-512", "sha512"},        {"tiger", "tiger"},
        {"whirlpool", "whirlpool"},   {"sha3-224", "sha3224"},      {"sha3-256", "sha3256"},
        {"sha3-384", "sha3384"},      {"sha3-512", "sha3512"},      {"blake2b", "blake2b"},
        {"blake2s", "blake2s"},       {"blake3", "blake3"},         {"xxh64", "xxh64"},
        {"xxh3", "xxh3"},             {"xxh128", "xxh128"},         {"crc32c", "crc32c"}};
    ASSERT_EQ(algorithms().size(), std::size(expected));
    std::size_t i = 0;
    for (const AlgorithmEntry& entry : algorithms()) {
        const auto& [ours, sums] = expected[i++];
        EXPECT_EQ(entry.extension, ours);
        EXPECT_EQ(sumsFileExtension(entry), sums);
        // Both read back as the algorithm they were made from.
        EXPECT_EQ(algorithmForSumsFileName("disk.iso."s + ours), &entry) << ours;
        EXPECT_EQ(algorithmForSumsFileName("disk.iso."s + sums), &entry) << sums;
    }
}

TEST(HashFile, ContentIsTheDigestAndCrLfOnly) {
    const std::string content = hashFileContent("900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(content.size(), 34u);
    EXPECT_EQ(content.substr(32), "\r\n");
}

struct ValueCase {
    const char* what;
    std::string bytes;
    std::string expected;
    TextEncoding encoding = TextEncoding::Ansi;
    bool sums = false;  // what other tools write as a sums file (or one digest alone)
};

constexpr bool kSums = true;
constexpr TextEncoding kAnsi = TextEncoding::Ansi;

// A sums file longer than the read limit, whose last line the limit cuts.
std::string longSumsFile() {
    std::string bytes;
    while (bytes.size() <= kHashFileReadLimit) bytes += "1111  a.iso\n";
    return bytes;
}

class HashFileValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(HashFileValueTest, GivesTheExpectedValue) {
    const ValueCase& c = GetParam();
    // The current input is called "disk.iso".
    const auto matcher = [](std::string_view name, TextEncoding) { return name == "disk.iso"; };
    const HashFileValue value = hashFileValue(c.bytes, matcher);
    EXPECT_EQ(value.text, c.expected) << c.what;
    EXPECT_EQ(value.encoding, c.encoding) << c.what;
    // Named like other tools' sums files, only such a file is taken for a hash file.
    EXPECT_EQ(holdsSumsLines(c.bytes.substr(0, kHashFileReadLimit)), c.sums) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HashFileValueTest,
    testing::Values(
        ValueCase{"our own file", "ABCDEF0123\r\n", "ABCDEF0123", kAnsi, kSums},
        ValueCase{"no line end", "abcdef", "abcdef", kAnsi, kSums},
        ValueCase{"LF only", "abcdef\nsecond\n", "abcdef"},
        ValueCase{"digest, two blanks, name", "abcdef  other.iso\n", "abcdef", kAnsi, kSums},
        ValueCase{"tab ends the token", "abc\tdef", "abc"},
        ValueCase{"NUL ends the token", "abc\0def"s, "abc"},
        ValueCase{"empty file", "", ""},
        ValueCase{"starts with a blank", " abc", ""},
        ValueCase{"only the first 129 bytes count", std::string(200, 'a'), std::string(129, 'a'), kAnsi, kSums},
        ValueCase{"UTF-8 mark skipped", "\xEF\xBB\xBF" "abc123\r\n", "abc123", TextEncoding::Utf8, kSums},
        ValueCase{"UTF-8 mark, malformed text stays within 129 characters",
                  "\xEF\xBB\xBF" "\xE0" + std::string(2000, '\x80'), "\xE0" + std::string(3 + 128 * 4, '\x80'),
                  TextEncoding::Utf8},
        ValueCase{"UTF-16 little-endian", "\xFF\xFE" "a\0b\0" "1\0\r\0\n\0"s, "ab1", TextEncoding::Utf8, kSums},
        ValueCase{"UTF-16 big-endian", "\xFE\xFF" "\0a\0b\0" "2\0 \0x"s, "ab2", TextEncoding::Utf8},
        ValueCase{"UTF-16 with an odd trailing byte", "\xFF\xFE" "a\0b"s, "a", TextEncoding::Utf8, kSums},
        ValueCase{"several lines, one names the input", "1111  a.iso\n2222 *disk.iso\n3333  c.iso\n", "2222", kAnsi,
                  kSums},
        ValueCase{"several lines, CR LF", "1111  a.iso\r\n2222  disk.iso\r\n", "2222", kAnsi, kSums},
        ValueCase{"tagged line names the input", "SHA256 (disk.iso) = 4444\n", "4444", kAnsi, kSums},
        ValueCase{"several lines, none names the input", "1111  a.iso\n2222  b.iso\n", "1111", kAnsi, kSums},
        ValueCase{"UTF-16 sums file", "\xFF\xFE" "1\0 \0 \0x\0\n\0" "2\0 \0 \0d\0i\0s\0k\0.\0i\0s\0o\0"s, "2",
                  TextEncoding::Utf8, kSums},
        // The first line's digest when no line names the input, whatever the layout.
        ValueCase{"tagged lines, none names the input", "MD5 (a.iso) = 1111\nMD5 (b.iso) = 2222\n", "1111", kAnsi,
                  kSums},
        ValueCase{"an escaped first line", "\\1111  a\\\\b.iso\n2222  c.iso\n", "1111", kAnsi, kSums},
        ValueCase{"comments and blank lines before it", "# by sha256sum\r\n\r\n1111  a.iso\r\n", "1111", kAnsi,
                  kSums},
        ValueCase{"a first line's digest is bounded too", std::string(300, 'b') + "  a.iso\n", std::string(129, 'b'),
                  kAnsi, kSums},
        // What is not a sums file: the first token, as ever.
        ValueCase{"a digest alone, then a sums line", "ABCD\n1111  a.iso\n", "ABCD"},
        ValueCase{"two digests alone", "1111\n2222\n", "1111"},
        ValueCase{"a sums line after text", "see below\n1111  a.iso\n", "see"},
        ValueCase{"only a comment", "# nothing here\n", "#"},
        ValueCase{"one blank between digest and name", "1111 a.iso\n", "1111"},
        ValueCase{"a program", "MZ\x90\0\3\0"s, "MZ\x90"},
        // The line the read limit cuts is not judged.
        ValueCase{"a sums file beyond the read limit", longSumsFile(), "1111", kAnsi, kSums}),
    [](const testing::TestParamInfo<ValueCase>& param) { return "case" + std::to_string(param.index); });

TEST(HashFile, Utf16SurrogatesAndStrayHalves) {
    EXPECT_EQ(utf16ToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16ToUtf8(u"\xD83Dx"), "\xEF\xBF\xBDx");
    EXPECT_EQ(utf16ToUtf8(u"\xDE00"), "\xEF\xBF\xBD");
    EXPECT_EQ(utf16ToUtf8(u"\x00E9\x65E5"), "\xC3\xA9\xE6\x97\xA5");
}

struct CompareCase {
    std::string typed;
    std::string expected;
};

class CompareValueTest : public testing::TestWithParam<CompareCase> {};

TEST_P(CompareValueTest, TakesTheDigestOfASumsLineAndLeavesEverythingElse) {
    EXPECT_EQ(compareValue(GetParam().typed), GetParam().expected) << GetParam().typed;
}

INSTANTIATE_TEST_SUITE_P(Pasted, CompareValueTest,
                         testing::Values(CompareCase{"ABCDEF", "ABCDEF"},
                                         CompareCase{"ABCDEF ", "ABCDEF "},    // a bare value keeps its blank
                                         CompareCase{" ABCDEF", " ABCDEF"},
                                         CompareCase{"ABCDEF  ", "ABCDEF  "},  // no name: not a sums line
                                         CompareCase{"abcdef  file.iso", "abcdef"},
                                         CompareCase{"abcdef *file name.iso", "abcdef"},
                                         CompareCase{"SHA256 (file.iso) = abcdef", "abcdef"},
                                         CompareCase{"SHA-1-IME (a (b).iso) = 0123", "0123"},
                                         CompareCase{"xyz  file.iso", "xyz  file.iso"},  // not hexadecimal
                                         CompareCase{"MD5 (file) = ", "MD5 (file) = "}));

struct LineCase {
    std::string line;
    bool valid;
    std::string digest;
    std::string name;
    std::string algorithm;
    bool binary = false;
};

class SumsLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(SumsLineTest, Parses) {
    const LineCase& c = GetParam();
    const auto parsed = parseSumsLine(c.line);
    ASSERT_EQ(parsed.has_value(), c.valid) << c.line;
    if (!parsed) return;
    EXPECT_EQ(parsed->digest, c.digest);
    EXPECT_EQ(parsed->name, c.name);
    EXPECT_EQ(parsed->algorithm, c.algorithm);
    EXPECT_EQ(parsed->binary, c.binary);
    EXPECT_EQ(parsed->tagged, !c.algorithm.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SumsLineTest,
    testing::Values(LineCase{"d41d8cd9  empty.txt", true, "d41d8cd9", "empty.txt", ""},
                    LineCase{"d41d8cd9 *empty.txt\r", true, "d41d8cd9", "empty.txt", "", true},
                    LineCase{"d41d8cd9  name with  blanks ", true, "d41d8cd9", "name with  blanks ", ""},
                    LineCase{"\\d41d8cd9  a\\\\b\\nc\\rd", true, "d41d8cd9", "a\\b\nc\rd", ""},
                    LineCase{"\\d41d8cd9  bad\\x", false, "", "", ""},
                    LineCase{"\\d41d8cd9  dangling\\", false, "", "", ""},
                    LineCase{"MD5 (x) = d41d8cd9", true, "d41d8cd9", "x", "MD5"},
                    LineCase{"\\SHA256 (a\\nb) = 00ff", true, "00ff", "a\nb", "SHA256"},
                    LineCase{"RIPEMD-160 (f) = ) = 12", true, "12", "f) = ", "RIPEMD-160"},
                    LineCase{"d41d8cd9 empty.txt", false, "", "", ""},
                    LineCase{"d41d8cd9", false, "", "", ""},
                    LineCase{"", false, "", "", ""},
                    LineCase{"# comment", false, "", "", ""},
                    LineCase{"MD 5 (x) = 00", false, "", "", ""}));

TEST(SumsLine, EscapingRoundTrips) {
    for (const std::string& name : {"plain.txt"s, "back\\slash"s, "new\nline"s, "cr\rname"s, "\\\n\r"s}) {
        bool escaped = false;
        const std::string written = escapeSumsName(name, escaped);
        EXPECT_EQ(escaped, name.find_first_of("\\\n\r") != std::string::npos);
        EXPECT_EQ(written.find_first_of("\n\r"), std::string::npos);
        EXPECT_EQ(unescapeSumsName(written), name);
    }
}

class SumsLineLenientTest : public testing::TestWithParam<LineCase> {};

TEST_P(SumsLineLenientTest, AlsoTakesOneBlank) {
    const LineCase& c = GetParam();
    const auto parsed = parseSumsLineLeniently(c.line);
    ASSERT_EQ(parsed.has_value(), c.valid) << c.line;
    if (!parsed) return;
    EXPECT_EQ(parsed->digest, c.digest);
    EXPECT_EQ(parsed->name, c.name);
    EXPECT_EQ(parsed->algorithm, c.algorithm);
    EXPECT_EQ(parsed->binary, c.binary);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SumsLineLenientTest,
    testing::Values(LineCase{"d41d8cd9 empty.txt", true, "d41d8cd9", "empty.txt", ""},
                    LineCase{"d41d8cd9  two.txt", true, "d41d8cd9", "two.txt", ""},
                    LineCase{"d41d8cd9   lead.txt", true, "d41d8cd9", " lead.txt", ""},
                    LineCase{"d41d8cd9 *bin.txt", true, "d41d8cd9", "bin.txt", "", true},
                    LineCase{"\\d41d8cd9 a\\nb\r", true, "d41d8cd9", "a\nb", ""},
                    // A tag that is also hexadecimal stays a tag.
                    LineCase{"ADD (x) = 12", true, "12", "x", "ADD"},
                    LineCase{"d41d8cd9 ", false, "", "", ""},
                    LineCase{"d41d8cd9  ", false, "", "", ""},
                    LineCase{"xyz name", false, "", "", ""}));

struct TagCase {
    std::string tag;
    const char* algorithm;  // null: none
    bool fileName = false;  // ask algorithmForSumsFileName instead
};

class SumsTagTest : public testing::TestWithParam<TagCase> {};

TEST_P(SumsTagTest, NamesTheAlgorithm) {
    const TagCase& c = GetParam();
    const AlgorithmEntry* entry = c.fileName ? algorithmForSumsFileName(c.tag) : algorithmForTag(c.tag);
    if (c.algorithm == nullptr) {
        EXPECT_EQ(entry, nullptr) << c.tag << " gave " << entry->name;
    } else {
        ASSERT_NE(entry, nullptr) << c.tag;
        EXPECT_EQ(entry->name, c.algorithm) << c.tag;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, SumsTagTest,
    testing::Values(TagCase{"SHA256", "SHA-256"}, TagCase{"sha-256", "SHA-256"}, TagCase{"Sha_256", "SHA-256"},
                    TagCase{"SHA1", "SHA-1"}, TagCase{"sha1-ime", "SHA-1-IME"}, TagCase{"MD5", "MD5"},
                    TagCase{"RIPEMD160", "RIPEMD-160"}, TagCase{"RMD160", "RIPEMD-160"}, TagCase{"rmd320", "RIPEMD-320"},
                    TagCase{"CRC32", "CRC32"}, TagCase{"ADLER32", "Adler32"}, TagCase{"WHIRLPOOL", "Whirlpool"},
                    TagCase{"TIGER", "Tiger"}, TagCase{"HAVAL", "Haval"}, TagCase{"BLAKE2x", nullptr},
                    TagCase{"BLAKE2b", "BLAKE2b"}, TagCase{"BLAKE2B", "BLAKE2b"}, TagCase{"BLAKE2S", "BLAKE2s"},
                    TagCase{"BLAKE3", "BLAKE3"}, TagCase{"SHA3-256", "SHA3-256"}, TagCase{"sha3_512", "SHA3-512"},
                    TagCase{"XXH64", "XXH64"}, TagCase{"XXH3", "XXH3"}, TagCase{"XXH3_64bits", "XXH3"},
                    TagCase{"XXH128", "XXH128"}, TagCase{"XXH32", nullptr}, TagCase{"CRC32C", "CRC32C"},
                    TagCase{"B2SUMS", "BLAKE2b", true}, TagCase{"B3SUMS", "BLAKE3", true},
                    TagCase{"b3sums.txt", "BLAKE3", true}, TagCase{"x.b3", "BLAKE3", true},
                    TagCase{"x.b2", "BLAKE2b", true}, TagCase{"x.xxh3", "XXH3", true},
                    TagCase{"x.xxh64", "XXH64", true}, TagCase{"x.XXH128", "XXH128", true},
                    TagCase{"x.sha3-256", "SHA3-256", true}, TagCase{"SHA3-256SUMS", "SHA3-256", true},
                    TagCase{"x.crc32c", "CRC32C", true}, TagCase{"x.xxh32", nullptr, true},
                    TagCase{"SHA", nullptr}, TagCase{"", nullptr}, TagCase{"-", nullptr},
                    TagCase{"SHA256SUMS", "SHA-256", true}, TagCase{"sha256sums.txt", "SHA-256", true},
                    TagCase{"MD5SUMS", "MD5", true}, TagCase{"x.md5", "MD5", true},
                    TagCase{"disk.iso.sha-256", "SHA-256", true}, TagCase{"y.md5sum", "MD5", true},
                    TagCase{"dir/SHA1SUMS", "SHA-1", true}, TagCase{"dir\\x.sha1", "SHA-1", true},
                    TagCase{"release.SHA512SUMS", "SHA-512", true}, TagCase{"CHECKSUMS", nullptr, true},
                    TagCase{"list.txt", nullptr, true}, TagCase{"SUMS", nullptr, true},
                    TagCase{".md5", nullptr, true}, TagCase{"md5.txt", nullptr, true}, TagCase{"", nullptr, true}),
    [](const testing::TestParamInfo<TagCase>& param) { return "case" + std::to_string(param.index); });

TEST(SumsLine, SplitsAtLineFeedsAndDropsTheCarriageReturnBeforeThem) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(splitSumsLines("a\r\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitSumsLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitSumsLines(""), Lines{});
    EXPECT_EQ(splitSumsLines("\n"), Lines{""});
    EXPECT_EQ(splitSumsLines("a\rb\r\r\n"), Lines{"a\rb\r"});
}

TEST(HashFile, DecodesTextFilesByTheirMark) {
    EXPECT_EQ(decodeTextFile("plain\xFF").text, "plain\xFF");
    EXPECT_EQ(decodeTextFile("plain").encoding, TextEncoding::Ansi);
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBFx").text, "x");
    EXPECT_EQ(decodeTextFile("\xFF\xFE" "\xE9\0"s).text, "\xC3\xA9");
    EXPECT_EQ(decodeTextFile("\xFE\xFF").text, "");
    EXPECT_EQ(decodeTextFile("\xFE\xFF").encoding, TextEncoding::Utf8);
}

}  // namespace
}  // namespace sumwise
