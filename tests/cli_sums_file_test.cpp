// The sums-file reader on its own: bytes in, checks out. Which algorithm
// each line gets, what is passed over, and that no bytes at all make it fail.
#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <random>

#include "results/check_run.h"
#include "results/sums_check.h"
#include "results/sums_file.h"
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
        ReaderCase{"-a with several of one length: the common tools' one", "list", k40 + "  a\n",
                   {"SHA-1", "RIPEMD-160"}, {{Kind::Check, 1, "a", "SHA-1"}}},
        ReaderCase{"-a with several of one length, none the common one", "list", k40 + "  a\n",
                   {"SHA-0", "RIPEMD-160"}, {{Kind::Ambiguous, 1, "a"}}},
        ReaderCase{"length alone", "list", k56 + "  a\n" + k64 + "  b\n" + std::string(16, 'e') + "  c\n", {},
                   {{Kind::Check, 1, "a", "SHA-224"}, {Kind::Check, 2, "b", "SHA-256"}, {Kind::Ambiguous, 3, "c"}}},
        ReaderCase{"each shared length takes the common *sum tools' algorithm", "list",
                   k32 + "  a\n" + k40 + "  b\n" + std::string(96, 'e') + "  c\n" + std::string(128, 'f') + "  d\n",
                   {},
                   {{Kind::Check, 1, "a", "MD5"}, {Kind::Check, 2, "b", "SHA-1"}, {Kind::Check, 3, "c", "SHA-384"},
                    {Kind::Check, 4, "d", "SHA-512"}}},
        ReaderCase{"a shared length no common tool writes is undecided", "list",
                   "352441c2  a\n" + k32 + "  b\n", {}, {{Kind::Ambiguous, 1, "a"}, {Kind::Check, 2, "b", "MD5"}}},
        ReaderCase{"leading blanks and tabs, a tab after the digest", "list",
                   "  " + k32 + "  a\n\t" + k40 + " *b\n" + k64 + "\tc d\n \tSHA1 (e) = " + k40 + "\n", {},
                   {{Kind::Check, 1, "a", "MD5"}, {Kind::Check, 2, "b", "SHA-1"}, {Kind::Check, 3, "c d", "SHA-256"},
                    {Kind::Check, 4, "e", "SHA-1"}}},
        ReaderCase{"OpenSSL's tagged form and its kin", "list",
                   "MD5(a b)= " + k32 + "\nSHA256 (c)=" + k64 + "\nRIPEMD160(d) = " + k40 + "\nMD5(e)  = " + k32 + "\n",
                   {},
                   {{Kind::Check, 1, "a b", "MD5"}, {Kind::Check, 2, "c", "SHA-256"}, {Kind::Check, 3, "d", "RIPEMD-160"},
                    {Kind::Malformed, 4, ""}}},
        ReaderCase{"an SFV file", "disk.SFV", "; made by hand\n;\nabc.txt 352441C2\na b.txt\t352441c2 \nx 12\n", {},
                   {{Kind::Check, 3, "abc.txt", "CRC32"}, {Kind::Check, 4, "a b.txt", "CRC32"},
                    {Kind::Malformed, 5, ""}}},
        ReaderCase{"SFV lines under -a crc32, other lines too", "list",
                   "; c\nabc.txt 352441C2\n352441C2  b\n", {"CRC32"},
                   {{Kind::Check, 2, "abc.txt", "CRC32"}, {Kind::Check, 3, "b", "CRC32"}}},
        ReaderCase{"';' is no comment elsewhere", "list", "; c\n", {}, {{Kind::Malformed, 1, ""}}},
        ReaderCase{"tags with parameters", "list",
                   "HAVAL-128/3 (a) = " + k32 + "\nMD6-160 (b) = " + k40 + "\nmd6-256/L0/r50 (c) = " + k64 +
                       "\nHAVAL-128/3 (d) = " + k40 + "\nHAVAL-100/3 (e) = " + k32 + "\nHAVAL-128/6 (f) = " + k32 +
                       "\nMD6-0 (g) = " + k32 + "\nMD6-8/r1/r2 (h) = 00\nMD6-8/x1 (i) = 00\n",
                   {},
                   {{Kind::Check, 1, "a", "Haval"}, {Kind::Check, 2, "b", "MD6"}, {Kind::Check, 3, "c", "MD6"},
                    {Kind::Malformed, 4, "d"}, {Kind::Malformed, 5, "e"}, {Kind::Malformed, 6, "f"},
                    {Kind::Malformed, 7, "g"}, {Kind::Malformed, 8, "h"}, {Kind::Malformed, 9, "i"}}},
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
        ReaderCase{"a NUL in a name is a badly formatted line", "x.md5", k32 + "  a\0b\n"s + k32 + "  c\n", {},
                   {{Kind::Malformed, 1, ""}, {Kind::Check, 2, "c", "MD5"}}}),
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
                EXPECT_EQ(entry.digest.size(), entry.params ? entry.algorithm->digestBitsWith(*entry.params) / 4
                                                            : rules.digits[entry.algorithm - algorithms().data()]);
                EXPECT_EQ(entry.name.find('\0'), std::string::npos);
                EXPECT_FALSE(entry.name.empty());
            }
            if (entry.kind == Kind::Ambiguous) {
                EXPECT_GE(entry.candidates.size(), 2u);
            }
        }
    }
}

// What the check window and -c share once a file is read: each line's
// status, the line told for it, the paths named and the summary.
TEST(SumsCheck, StatusesReportLinesAndSummary) {
    SumsEntry md5;
    md5.kind = Kind::Check;
    md5.name = "a b.txt";
    md5.digest = "900150983cd24fb0d6963f7d28e17f72";
    md5.algorithm = algorithmNamed(std::wstring_view(L"MD5"));
    SumsEntry bad;
    FileRead read;
    read.algorithms = {algorithmNamed(std::wstring_view(L"CRC32")), md5.algorithm};
    read.digests = {hashText(*read.algorithms[0], "abc", {}), hashText(*read.algorithms[1], "abc", {})};
    FileRead other = read;
    other.digests[1] = hashText(*read.algorithms[1], "abd", {});
    FileRead missing;
    missing.failure = FileRead::Failure::Open;
    missing.error = std::make_error_code(std::errc::no_such_file_or_directory);
    FileRead denied = missing;
    denied.error = std::make_error_code(std::errc::permission_denied);
    FileRead broken;
    broken.failure = FileRead::Failure::Read;
    broken.error = std::make_error_code(std::errc::io_error);
    FileRead without;  // read, but not for this line's algorithm
    without.algorithms = {algorithmNamed(std::wstring_view(L"CRC32"))};
    without.digests = {read.digests[0]};
    struct Case {
        const SumsEntry* entry;
        const FileRead* read;
        LineStatus status;
        const char* told;
    };
    const Case cases[] = {
        {&md5, &read, LineStatus::Ok, "a b.txt: OK"},
        {&md5, &other, LineStatus::Failed, "a b.txt: FAILED"},
        {&md5, &missing, LineStatus::Missing, "a b.txt: FAILED open or read"},
        {&md5, &denied, LineStatus::Unreadable, "a b.txt: FAILED open or read"},
        {&md5, &broken, LineStatus::Unreadable, "a b.txt: FAILED open or read"},
        {&md5, &without, LineStatus::Unreadable, "a b.txt: FAILED open or read"},
        {&bad, &read, LineStatus::BadLine, ""},
    };
    CheckCounts counts;
    for (const Case& c : cases) {
        const LineStatus status = lineStatus(*c.entry, *c.read);
        EXPECT_EQ(status, c.status) << c.told;
        bool escaped = false;
        const std::string shown = printableSumsName(c.entry->name, escaped);
        EXPECT_EQ(checkReportLine(shown, escaped, status), c.told);
        counts.add(status);
    }
    EXPECT_EQ(checkSummary(counts), "1 OK, 1 failed, 1 missing, 3 unreadable, 1 bad line");
    EXPECT_EQ(checkSummary({}), "");
    EXPECT_EQ(checkSummary({0, 0, 2, 0, 2}), "2 missing, 2 bad lines");
    EXPECT_EQ(checkReportLine("x", true, LineStatus::Ok), "\\x: OK");
    EXPECT_EQ(checkReportLine("x", false, LineStatus::Waiting), "");
    EXPECT_TRUE(sameDigest("ab12", "AB12"));
    EXPECT_FALSE(sameDigest("ab1", "AB12"));

    // Names relative to a folder; the program's own hash file beside its sums file.
    const std::filesystem::path sums = std::filesystem::path("dir") / "disk.iso.md5";
    EXPECT_EQ(namedPath(md5, sums, "dir", "a b.txt"), std::filesystem::path("dir") / "a b.txt");
    EXPECT_EQ(namedPath(md5, sums, {}, "a b.txt"), std::filesystem::path("a b.txt"));
    const std::filesystem::path absolute = std::filesystem::current_path() / "x";
    EXPECT_EQ(namedPath(md5, sums, "dir", absolute), absolute);
    SumsEntry own = md5;
    own.besideSumsFile = true;
    EXPECT_EQ(namedPath(own, sums, "dir", {}), std::filesystem::path("dir") / "disk.iso");
}

// The check window's worker without the window: the lines of a sums file
// checked from its folder, only the failed ones again, and a stop.
TEST(SumsCheck, RunChecksFromTheSumsFilesFolder) {
    sumwise::test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "sums");
    dir.write("good.txt", "abc");
    dir.write("changed.txt", "abd");
    const std::string sha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const auto sums = dir.write("sums/SHA256SUMS", sha256 + "  ../good.txt\n" + sha256 + "  ../changed.txt\n" +
                                                         sha256 + " *../gone.txt\nbad\n");
    std::mutex mutex;
    std::condition_variable changed;
    int ended = 0;
    CheckRun run(
        sums, {}, [](const std::string& name) { return std::filesystem::path(name); },
        [&](CheckRun::Event event) {
            if (event != CheckRun::Event::Ended) return;
            std::lock_guard lock(mutex);
            ++ended;
            changed.notify_all();
        });
    auto waitForEnd = [&](int count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30), [&] { return ended >= count; });
    };
    struct Pass {
        bool onlyFailed;
        const char* fix;  // written to changed.txt first
        std::vector<LineStatus> statuses;
        const char* summary;
    };
    const Pass passes[] = {
        {false, nullptr, {LineStatus::Ok, LineStatus::Failed, LineStatus::Missing, LineStatus::BadLine},
         "1 OK, 1 failed, 1 missing, 1 bad line"},
        {true, "abc", {LineStatus::Ok, LineStatus::Ok, LineStatus::Missing, LineStatus::BadLine},
         "2 OK, 1 missing, 1 bad line"},
        {false, "abd", {LineStatus::Ok, LineStatus::Failed, LineStatus::Missing, LineStatus::BadLine},
         "1 OK, 1 failed, 1 missing, 1 bad line"},
    };
    int passed = 0;
    for (const Pass& pass : passes) {
        if (pass.fix != nullptr) dir.write("changed.txt", pass.fix);
        run.start(pass.onlyFailed);
        ASSERT_TRUE(waitForEnd(++passed));
        run.join();
        ASSERT_EQ(run.rowCount(), pass.statuses.size());
        for (std::size_t i = 0; i < pass.statuses.size(); ++i) EXPECT_EQ(run.row(i).status, pass.statuses[i]) << i;
        EXPECT_EQ(checkSummary(run.counts()), pass.summary);
        EXPECT_FALSE(run.sumsFailed());
    }
    EXPECT_EQ(run.totalBytes(), 6u);  // the last pass read good.txt and changed.txt
    EXPECT_EQ(run.doneBytes(), 6u);
}

TEST(SumsCheck, ProbeTellsWhyASumsFileCannotBeChecked) {
    sumwise::test::TempDir dir;
    struct Case {
        const char* name;
        const char* bytes;  // null: no such file
        SumsProbe::Result result;
    };
    const Case cases[] = {
        {"SHA256SUMS", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  a\n",
         SumsProbe::Result::Readable},
        {"x.md5", "# comment\n\nnot a line\n900150983cd24fb0d6963f7d28e17f72 *a\n", SumsProbe::Result::Readable},
        {"comments", "# comment\nnot a line\n", SumsProbe::Result::NoLines},
        {"empty", "", SumsProbe::Result::NoLines},
        // An untagged digest several algorithms share is no line to check here.
        {"ambiguous", "352441c2  a\n",
         SumsProbe::Result::NoLines},
        {"absent", nullptr, SumsProbe::Result::CannotOpen},
    };
    for (const Case& c : cases) {
        const auto path = c.bytes != nullptr ? dir.write(c.name, c.bytes) : dir.path() / c.name;
        const SumsProbe probe = probeSumsFile(path);
        EXPECT_EQ(probe.result, c.result) << c.name;
        EXPECT_EQ(static_cast<bool>(probe.error), c.result == SumsProbe::Result::CannotOpen) << c.name;
    }
    // A sums file naming one file twice is the compare box's; two files make it the check window's.
    EXPECT_FALSE(namesSeveralFiles(dir.write("one.md5", "900150983cd24fb0d6963f7d28e17f72  a\n"
                                                        "900150983cd24fb0d6963f7d28e17f72  a\n")));
    EXPECT_TRUE(namesSeveralFiles(dir.write("two.md5", "900150983cd24fb0d6963f7d28e17f72  a\n"
                                                        "900150983cd24fb0d6963f7d28e17f72  b\n")));
    EXPECT_FALSE(namesSeveralFiles(dir.write("data.bin", std::string(100000, 'x'))));
}

}  // namespace
}  // namespace sumwise::cli
