// sumwise-cli -c: sums files in every common layout, checked against what
// the common *sum -c tools do with the same files. Where such a tool is on
// the machine (coreutils on Linux), each row also runs it side by side and
// holds it to the reference column.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "cli_support.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace sumwise::cli {
namespace {

using namespace std::string_literals;
using test::CliOutcome;

// Digests of "abc".
const std::string kSha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kMd5 = "900150983cd24fb0d6963f7d28e17f72";
const std::string kSha1 = "a9993e364706816aba3e25717850c26c9cd0d89d";
const std::string kSha224 = "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7";
const std::string kWrong256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ae";
const std::string kMd5Upper = "900150983CD24FB0D6963F7D28E17F72";
const std::string kSha384 =
    "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7";
const std::string kSha512 =
    "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f";
const std::string kRipemd320 = "de4c01b3054f8930a79d09ae738e92301e5a17085beffdc1b8d116713e74f82fa942d64cdbc4682d";
const std::string kSha3_256 = "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532";
const std::string kBlake2b = "ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d1"
                             "7d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923";
const std::string kBlake2s = "508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982";
const std::string kBlake3 = "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85";
const std::string kXxh64 = "44bc2cf5ad770999";
const std::string kXxh3 = "78af5f94892f3950";
const std::string kXxh128 = "06b05ab6733a618578af5f94892f3950";

// What a reference tool does with the same file: `tool` empty when none fits.
struct Reference {
    std::string tool;
    std::vector<std::string> options;
    int status = 0;
    bool sameOutput = true;  // false where we depart on purpose (see `what`)
};

enum Platforms { kAll, kPosixOnly, kWindowsOnly };

struct CheckCase {
    std::string what;
    std::string sumsName;  // "-": given on standard input
    std::string sums;
    std::vector<std::string> options;  // ours, besides -c
    int status;
    std::string out;
    std::string errHas;  // a part of standard error; "" for none at all
    Reference reference;
    Platforms platforms = kAll;
};

std::string utf16le(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// The folder every row starts from.
void lay(const std::filesystem::path& dir) {
    test::writeFile(dir / "abc.txt", "abc");
    test::writeFile(dir / "a b.txt", "abc");
    std::filesystem::create_directory(dir / "sub");
    test::writeFile(dir / "sub" / "abc.txt", "abc");
    std::filesystem::create_directory(dir / "folder");
#ifndef _WIN32
    test::writeFile(dir / "back\\slash", "abc");
    test::writeFile(dir / "new\nline", "abc");
    test::writeFile(dir / "cr\rname", "abc");
#endif
}

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.what; }

class CheckTest : public testing::TestWithParam<CheckCase> {};

#ifndef _WIN32
std::string quoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) out += c == '\'' ? "'\\''"s : std::string(1, c);
    return out + "'";
}

bool haveTool(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }

CliOutcome runReference(const CheckCase& c, const std::filesystem::path& dir, const std::filesystem::path& scratch) {
    std::string command = "cd " + quoted(dir.string()) + " && " + c.reference.tool + " -c";
    for (const std::string& option : c.reference.options) command += " " + quoted(option);
    const std::filesystem::path out = scratch / "out";
    const std::filesystem::path err = scratch / "err";
    command += c.sumsName == "-" ? " - < " + quoted((scratch / "stdin").string()) : " " + quoted(c.sumsName);
    command += " > " + quoted(out.string()) + " 2> " + quoted(err.string());
    if (c.sumsName == "-") test::writeFile(scratch / "stdin", c.sums);
    const int raw = std::system(command.c_str());
    CliOutcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = test::readFile(out);
    outcome.err = test::readFile(err);
    return outcome;
}
#endif

TEST_P(CheckTest, ChecksAsTheTableSays) {
    const CheckCase& c = GetParam();
#ifdef _WIN32
    if (c.platforms == kPosixOnly) GTEST_SKIP() << "names Windows cannot hold";
#else
    if (c.platforms == kWindowsOnly) GTEST_SKIP() << "Windows names";
#endif
    sumwise::test::TempDir dir;
    lay(dir.path());
    if (c.sumsName != "-") test::writeFile(dir.path() / test::pathOf(c.sumsName), c.sums);

    CliOutcome ours;
    {
        test::WorkingFolder working(dir.path());
        std::vector<std::string> words = c.options;
        words.push_back("-c");
        if (c.sumsName != "-") words.push_back(c.sumsName);
        ours = test::runCli(words, c.sums);
    }
    EXPECT_EQ(ours.status, c.status) << ours.err;
    EXPECT_EQ(ours.out, c.out);
    if (c.errHas.empty()) {
        EXPECT_EQ(ours.err, "");
    } else {
        EXPECT_NE(ours.err.find(c.errHas), std::string::npos) << ours.err;
    }

#ifndef _WIN32
    if (c.reference.tool.empty()) return;
    if (!haveTool(c.reference.tool)) GTEST_SKIP() << c.reference.tool << " is not installed";
    sumwise::test::TempDir scratch;
    const CliOutcome theirs = runReference(c, dir.path(), scratch.path());
    EXPECT_EQ(theirs.status, c.reference.status) << c.reference.tool << ": " << theirs.err;
    if (c.reference.sameOutput) {
        EXPECT_EQ(theirs.out, ours.out) << c.reference.tool;
    } else {
        EXPECT_NE(theirs.out, ours.out) << c.reference.tool << " now agrees: update the table";
    }
#endif
}

const Reference kSha256sum{"sha256sum", {}};
Reference sha256sum(int status, bool sameOutput = true, std::vector<std::string> options = {}) {
    return {"sha256sum", std::move(options), status, sameOutput};
}
Reference md5sum(int status, bool sameOutput = true, std::vector<std::string> options = {}) {
    return {"md5sum", std::move(options), status, sameOutput};
}
// The peers' checkers of the newer algorithms; RHash prints a report of its own.
const Reference kB2sum{"b2sum", {}};
const Reference kB3sum{"b3sum", {}};
const Reference kXxhsum{"xxhsum", {}};
const Reference kRhash{"rhash", {}, 0, false};

INSTANTIATE_TEST_SUITE_P(
    Layouts, CheckTest,
    testing::Values(
        CheckCase{"text mode", "SHA256SUMS", kSha256 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", kSha256sum},
        CheckCase{"binary mode", "SHA256SUMS", kSha256 + " *abc.txt\n", {}, 0, "abc.txt: OK\n", "", kSha256sum},
        CheckCase{"one blank, as some tools write", "SHA256SUMS", kSha256 + " abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  kSha256sum},
        CheckCase{"tagged", "SHA256SUMS", "SHA256 (abc.txt) = " + kSha256 + "\n", {}, 0, "abc.txt: OK\n", "",
                  kSha256sum},
        CheckCase{"tagged with our name, any file name", "list", "sha-256 (abc.txt) = " + kSha256 + "\n", {}, 0,
                  "abc.txt: OK\n", "", {}},
        CheckCase{"digest in upper case", "SHA256SUMS", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD  abc.txt\n",
                  {}, 0, "abc.txt: OK\n", "", kSha256sum},
        CheckCase{"CR LF line ends, no final line end", "SHA256SUMS",
                  kSha256 + "  abc.txt\r\n" + kSha256 + "  a b.txt", {}, 0, "abc.txt: OK\na b.txt: OK\n", "",
                  kSha256sum},
        CheckCase{"blank lines and comments", "SHA256SUMS", "# made by hand\n\n" + kSha256 + "  abc.txt\n\n", {},
                  0, "abc.txt: OK\n", "", kSha256sum},
        CheckCase{"a line of blanks is badly formatted", "SHA256SUMS", "   \n" + kSha256 + "  abc.txt\n", {}, 0,
                  "abc.txt: OK\n", "WARNING: 1 line is improperly formatted", kSha256sum},
        CheckCase{"names in a folder, and with blanks", "SHA256SUMS",
                  kSha256 + "  sub/abc.txt\n" + kSha256 + "  a b.txt\n", {}, 0, "sub/abc.txt: OK\na b.txt: OK\n",
                  "", kSha256sum},
        CheckCase{"UTF-8 mark (the reference reads it as part of the digest)", "SHA256SUMS",
                  "\xEF\xBB\xBF" + kSha256 + "  abc.txt\r\n", {}, 0, "abc.txt: OK\n", "", sha256sum(1, false)},
        CheckCase{"UTF-16 with a mark (unknown to the reference)", "SHA256SUMS", utf16le(kSha256 + "  abc.txt\r\n"),
                  {}, 0, "abc.txt: OK\n", "", sha256sum(1, false)},
        CheckCase{"UTF-16 big-endian, tagged", "list",
                  "\xFE\xFF\0M\0D\0""5\0 \0(\0a\0b\0c\0.\0t\0x\0t\0)\0 \0=\0 "s + [] {
                      std::string out;
                      for (const char c : kMd5) out += "\0"s + c;
                      return out;
                  }(),
                  {}, 0, "abc.txt: OK\n", "", {}},
        CheckCase{"wrong digest", "SHA256SUMS", kWrong256 + "  abc.txt\n" + kSha256 + "  a b.txt\n", {}, 1,
                  "abc.txt: FAILED\na b.txt: OK\n", "WARNING: 1 computed checksum did NOT match", sha256sum(1)},
        CheckCase{"digest of the wrong length only", "SHA256SUMS", kSha256.substr(2) + "  abc.txt\n", {}, 1, "",
                  "SHA256SUMS: no properly formatted checksum lines found", sha256sum(1)},
        CheckCase{"digest of the wrong length beside a good line", "SHA256SUMS",
                  kSha256.substr(2) + "  abc.txt\n" + kSha256 + "  a b.txt\n", {}, 0, "a b.txt: OK\n",
                  "WARNING: 1 line is improperly formatted", kSha256sum},
        CheckCase{"not hexadecimal", "SHA256SUMS", "x" + kSha256.substr(1) + "  abc.txt\n", {}, 1, "",
                  "no properly formatted checksum lines found", sha256sum(1)},
        CheckCase{"empty sums file", "SHA256SUMS", "", {}, 1, "", "no properly formatted checksum lines found",
                  sha256sum(1)},
        CheckCase{"--strict fails on a badly formatted line", "SHA256SUMS", "junk\n" + kSha256 + "  abc.txt\n",
                  {"--strict"}, 1, "abc.txt: OK\n", "WARNING: 1 line is improperly formatted",
                  sha256sum(1, true, {"--strict"})},
        CheckCase{"--warn names the line", "SHA256SUMS", kSha256 + "  abc.txt\njunk\n", {"--warn"}, 0,
                  "abc.txt: OK\n", "SHA256SUMS: 2: improperly formatted checksum line",
                  sha256sum(0, true, {"--warn"})},
        CheckCase{"missing file", "SHA256SUMS", kSha256 + "  missing.txt\n" + kSha256 + "  abc.txt\n", {}, 1,
                  "missing.txt: FAILED open or read\nabc.txt: OK\n", "missing.txt: No such file or directory",
                  sha256sum(1)},
        CheckCase{"--ignore-missing", "SHA256SUMS", kSha256 + "  missing.txt\n" + kSha256 + "  abc.txt\n",
                  {"--ignore-missing"}, 0, "abc.txt: OK\n", "", sha256sum(0, true, {"--ignore-missing"})},
        CheckCase{"--ignore-missing with nothing left", "SHA256SUMS", kSha256 + "  missing.txt\n",
                  {"--ignore-missing"}, 1, "", "SHA256SUMS: no file was verified",
                  sha256sum(1, true, {"--ignore-missing"})},
        CheckCase{"--ignore-missing still reports a folder", "SHA256SUMS", kSha256 + "  folder\n",
                  {"--ignore-missing"}, 1, "folder: FAILED open or read\n", "folder: Is a directory",
                  sha256sum(1, true, {"--ignore-missing"})},
        CheckCase{"--quiet prints failures only", "SHA256SUMS", kSha256 + "  abc.txt\n" + kWrong256 + "  a b.txt\n",
                  {"--quiet"}, 1, "a b.txt: FAILED\n", "did NOT match", sha256sum(1, true, {"--quiet"})},
        CheckCase{"--status prints nothing", "SHA256SUMS", kWrong256 + "  abc.txt\n" + kSha256 + "  missing\n",
                  {"--status"}, 1, "", "", sha256sum(1, true, {"--status"})},
        CheckCase{"--status, all good", "SHA256SUMS", kSha256 + "  abc.txt\n", {"--status"}, 0, "", "",
                  sha256sum(0, true, {"--status"})},
        CheckCase{"escaped backslash (the reference prints it unescaped)", "SHA256SUMS",
                  "\\" + kSha256 + "  back\\\\slash\n", {}, 0, "\\back\\\\slash: OK\n", "", sha256sum(0, false),
                  kPosixOnly},
        CheckCase{"escaped line feed", "SHA256SUMS", "\\" + kSha256 + "  new\\nline\n", {}, 0, "\\new\\nline: OK\n",
                  "", kSha256sum, kPosixOnly},
        CheckCase{"escaped carriage return", "SHA256SUMS", "\\" + kSha256 + "  cr\\rname\n", {}, 0,
                  "\\cr\\rname: OK\n", "", {}, kPosixOnly},
        CheckCase{"escaped tagged", "SHA256SUMS", "\\SHA256 (new\\nline) = " + kSha256 + "\n", {}, 0,
                  "\\new\\nline: OK\n", "", kSha256sum, kPosixOnly},
        CheckCase{"unknown escape", "SHA256SUMS", "\\" + kSha256 + "  a\\tb\n", {}, 1, "",
                  "no properly formatted checksum lines found", sha256sum(1)},
        CheckCase{"a folder listed", "SHA256SUMS", kSha256 + "  folder\n", {}, 1, "folder: FAILED open or read\n",
                  "folder: Is a directory", sha256sum(1)},
        CheckCase{"name too long", "SHA256SUMS", kSha256 + "  " + std::string(300, 'n') + "\n", {}, 1,
                  std::string(300, 'n') + ": FAILED open or read\n", "File name too long", sha256sum(1),
                  kPosixOnly},
        CheckCase{"MD5 by extension", "abc.md5", kMd5 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", md5sum(0)},
        CheckCase{"MD5SUMS", "MD5SUMS", kMd5 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", md5sum(0)},
        CheckCase{"sha1sums.txt", "sha1sums.txt", kSha1 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  {"sha1sum", {}}},
        CheckCase{"extension .sha-256", "list.sha-256", kSha256 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", {}},
        CheckCase{"tagged MD5 in a SHA-256 list (the reference knows one algorithm)", "SHA256SUMS",
                  "MD5 (abc.txt) = " + kMd5 + "\n" + kSha256 + "  a b.txt\n", {}, 0,
                  "abc.txt: OK\na b.txt: OK\n", "", sha256sum(0, false)},
        CheckCase{"peers' spellings", "list",
                  "SHA1 (abc.txt) = " + kSha1 + "\nRIPEMD160 (abc.txt) = 8eb208f7e05d987a9b044a8e98c6b087f15a0bfc\n"
                  "CRC32 (abc.txt) = 352441c2\nADLER32 (abc.txt) = 024d0127\nRMD160 (abc.txt) = "
                  "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc\n",
                  {}, 0, "abc.txt: OK\nabc.txt: OK\nabc.txt: OK\nabc.txt: OK\nabc.txt: OK\n", "", {}},
        CheckCase{"a tag we do not know", "list", "BLAKE2x (abc.txt) = " + kMd5 + "\n", {}, 1, "",
                  "no properly formatted checksum lines found", {}},
        CheckCase{"the length decides when only one algorithm has it", "list", kRipemd320 + "  abc.txt\n", {}, 0,
                  "abc.txt: OK\n", "", {}},
        CheckCase{"md5sum's output: a length several share takes MD5", "list", kMd5 + "  abc.txt\n", {}, 0,
                  "abc.txt: OK\n", "", md5sum(0)},
        CheckCase{"sha1sum's output", "list", kSha1 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", {"sha1sum", {}}},
        CheckCase{"sha256sum's output", "-", kSha256 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", kSha256sum},
        CheckCase{"sha512sum's output", "list", kSha512 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  {"sha512sum", {}}},
        CheckCase{"sha384sum's output", "list", kSha384 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  {"sha384sum", {}}},
        CheckCase{"--warn says which algorithm the length chose", "list", kMd5 + "  abc.txt\n", {"--warn"}, 0,
                  "abc.txt: OK\n",
                  "list: 1: a digest of 32 digits taken as MD5 (MD2, MD4, RIPEMD-128 and XXH128 have that length too", {}},
        CheckCase{"a length no common tool writes is a badly formatted line", "list",
                  "352441c2  abc.txt\n" + kMd5 + "  a b.txt\n", {"--warn"}, 0, "a b.txt: OK\n",
                  "list: 1: improperly formatted checksum line: a digest of 8 digits may be Adler32, CRC32 and CRC32C", {}},
        CheckCase{"... and fails --strict, the other lines checked", "list",
                  "352441c2  abc.txt\n" + kMd5 + "  a b.txt\n", {"--strict"}, 1, "a b.txt: OK\n",
                  "WARNING: 1 line is improperly formatted", {}},
        CheckCase{"leading blanks and a tab", "list", "  \t" + kMd5 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  md5sum(0)},
        CheckCase{"a tab after the digest", "list", kMd5 + "\tabc.txt\n", {}, 0, "abc.txt: OK\n", "", md5sum(0)},
        CheckCase{"OpenSSL's form", "list", "MD5(abc.txt)= " + kMd5 + "\n", {}, 0, "abc.txt: OK\n", "", md5sum(0)},
        CheckCase{"a name holding NUL is badly formatted, never shown (the reference cuts the name at it)", "list",
                  kMd5 + "  abc\0.txt\n"s + kMd5 + "  abc.txt\n", {"--warn"}, 0, "abc.txt: OK\n",
                  "list: 1: improperly formatted checksum line\n", md5sum(1, false, {"--warn"})},
        CheckCase{"an SFV file", "files.sfv", "; made by hand\nabc.txt 352441C2\na b.txt 352441c3\n", {}, 1,
                  "abc.txt: OK\na b.txt: FAILED\n", "WARNING: 1 computed checksum did NOT match", {}},
        CheckCase{"SFV lines under -a crc32", "list", "; made by hand\nabc.txt 352441C2\n", {"-a", "crc32"}, 0,
                  "abc.txt: OK\n", "", {}},
        CheckCase{"HAVAL's parameters in its tag", "list", "HAVAL-128/3 (abc.txt) = 9e40ed883fb63e985d299b40cda2b8f2\n",
                  {}, 0, "abc.txt: OK\n", "", {}},
        CheckCase{"MD6's parameters in its tag", "list", "MD6-160 (abc.txt) = b5c2d6a7ce6be0c18c9a38b17a0db705c81ab6b5\n", {}, 0,
                  "abc.txt: OK\n", "", {}},
        CheckCase{"MD6's tag, a d that is no multiple of 4", "list",
                  "MD6-170 (abc.txt) = 479F5C6634FAA8970974E082A3E36B71F10A007B3DC\n", {}, 0, "abc.txt: OK\n", "", {}},
        CheckCase{"MD6's tag, another d", "list", "MD6-256 (abc.txt) = b5c2d6a7ce6be0c18c9a38b17a0db705c81ab6b5\n", {}, 1, "",
                  "no properly formatted checksum lines found", {}},
        CheckCase{"SHA-224's length is SHA3-224's too: sha224sum's algorithm", "list", kSha224 + "  abc.txt\n", {},
                  0, "abc.txt: OK\n", "", {}},
        CheckCase{"b2sum's lines", "B2SUMS", kBlake2b + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", kB2sum},
        CheckCase{"b2sum --tag", "list", "BLAKE2b (abc.txt) = " + kBlake2b + "\n", {}, 0, "abc.txt: OK\n", "",
                  kB2sum},
        CheckCase{"b3sum's lines", "B3SUMS", kBlake3 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "", kB3sum},
        CheckCase{"b3sum's lines in a .b3 file", "list.b3", kBlake3 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  kB3sum},
        CheckCase{"xxhsum -H1 in a .xxh64 file", "list.xxh64", kXxh64 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  kXxhsum},
        CheckCase{"xxhsum -H2 in a .xxh128 file", "list.xxh128", kXxh128 + "  abc.txt\n", {}, 0, "abc.txt: OK\n",
                  "", kXxhsum},
        CheckCase{"XXH3 untagged in a .xxh3 file", "list.xxh3", kXxh3 + "  abc.txt\n", {}, 0, "abc.txt: OK\n", "",
                  {}},
        CheckCase{"xxhsum --tag", "list",
                  "XXH64 (abc.txt) = " + kXxh64 + "\nXXH3 (abc.txt) = " + kXxh3 + "\nXXH128 (abc.txt) = " + kXxh128 +
                      "\n",
                  {}, 0, "abc.txt: OK\nabc.txt: OK\nabc.txt: OK\n", "", kXxhsum},
        CheckCase{"64 bits untagged may be CRC64 or xxHash: badly formatted", "list", kXxh64 + "  abc.txt\n", {}, 1,
                  "", "no properly formatted checksum lines found", {}},
        CheckCase{"rhash --bsd", "list",
                  "SHA3-256 (abc.txt) = " + kSha3_256 + "\nBLAKE2S (abc.txt) = " + kBlake2s +
                      "\nBLAKE2B (abc.txt) = " + kBlake2b + "\nCRC32C (abc.txt) = 364b3fb7\n",
                  {}, 0, "abc.txt: OK\nabc.txt: OK\nabc.txt: OK\nabc.txt: OK\n", "", kRhash},
        CheckCase{"a wrong BLAKE2b", "B2SUMS", kBlake2b.substr(0, 127) + "0  abc.txt\n", {}, 1, "abc.txt: FAILED\n",
                  "did NOT match", {"b2sum", {}, 1}},
        CheckCase{"-a decides", "list", kMd5 + "  abc.txt\n", {"-a", "md5"}, 0, "abc.txt: OK\n", "", {}},
        CheckCase{"-a with several, told apart by length", "list", kMd5 + "  abc.txt\n" + kSha1 + "  abc.txt\n",
                  {"-a", "sha-1,MD5"}, 0, "abc.txt: OK\nabc.txt: OK\n", "", {}},
        CheckCase{"-a of another length", "list", kMd5 + "  abc.txt\n", {"-a", "sha-1"}, 1, "",
                  "no properly formatted checksum lines found", {}},
        CheckCase{"-a over the file name", "SHA256SUMS", kMd5 + "  abc.txt\n", {"-a", "md5"}, 0, "abc.txt: OK\n",
                  "", {}},
        CheckCase{"HAVAL with its parameters", "list", "HAVAL (abc.txt) = 9e40ed883fb63e985d299b40cda2b8f2\n",
                  {"--haval", "3,128"}, 0, "abc.txt: OK\n", "", {}},
        CheckCase{"HAVAL of other parameters is badly formatted", "list",
                  "HAVAL (abc.txt) = 9e40ed883fb63e985d299b40cda2b8f2\n", {}, 1, "",
                  "no properly formatted checksum lines found", {}},
        CheckCase{"our hash file", "abc.txt.sha-256", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD\r\n",
                  {}, 0, "abc.txt: OK\n", "", {}},
        CheckCase{"our hash file, lower case, LF, in UTF-16", "abc.txt.md5", utf16le(kMd5 + "\n"), {}, 0,
                  "abc.txt: OK\n", "", {}},
        CheckCase{"our hash file in a folder", "sub/abc.txt.crc32", "352441C2\r\n", {}, 0, "sub/abc.txt: OK\n", "", {}},
        CheckCase{"our hash file, a peer's extension", "abc.txt.sha256", kSha256 + "\n", {}, 0, "abc.txt: OK\n",
                  "", {}},
        CheckCase{"our hash file, wrong digest", "abc.txt.md5", "900150983CD24FB0D6963F7D28E17F73\r\n", {}, 1,
                  "abc.txt: FAILED\n", "did NOT match", {}},
        CheckCase{"our hash file, no input beside it", "gone.txt.md5", kMd5Upper + "\r\n", {}, 1,
                  "gone.txt: FAILED open or read\n", "gone.txt: No such file or directory", {}},
        CheckCase{"a bare digest without an algorithm's extension", "abc.txt.txt", kMd5Upper + "\r\n", {}, 1, "",
                  "no properly formatted checksum lines found", {}},
        CheckCase{"standard input", "-", kSha256 + "  abc.txt\n", {"-a", "sha-256"}, 0, "abc.txt: OK\n", "",
                  kSha256sum},
        CheckCase{"standard input, badly formatted", "-", "junk\n", {}, 1, "",
                  "standard input: no properly formatted checksum lines found", sha256sum(1)},
        CheckCase{"sums file that cannot be read", "folder", "", {}, 2, "", "folder: Is a directory",
                  sha256sum(1)},
        CheckCase{"names with a backslash on Windows", "SHA256SUMS", kSha256 + "  sub\\abc.txt\n", {}, 0,
                  "sub\\abc.txt: OK\n", "", {}, kWindowsOnly}),
    [](const testing::TestParamInfo<CheckCase>& param) { return "case" + std::to_string(param.index); });

struct RoundTripCase {
    std::string what;
    std::string name;  // UTF-8 on Windows, any bytes elsewhere
    std::vector<std::string> options;
    Platforms platforms = kAll;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.what; }

class RoundTripTest : public testing::TestWithParam<RoundTripCase> {};

// What we print for a name, our -c reads back: every line checks out.
TEST_P(RoundTripTest, OurOutputChecksOut) {
    const RoundTripCase& c = GetParam();
#ifdef _WIN32
    if (c.platforms == kPosixOnly) GTEST_SKIP() << "a name Windows cannot hold";
#endif
    sumwise::test::TempDir dir;
    test::writeFile(dir.path() / test::pathOf(c.name), "abc");
    test::WorkingFolder working(dir.path());

    std::vector<std::string> words = c.options;
    words.push_back(c.name);
    const CliOutcome hashed = test::runCli(words);
    ASSERT_EQ(hashed.status, kExitSuccess) << hashed.err;
    const std::size_t lines = static_cast<std::size_t>(std::count(hashed.out.begin(), hashed.out.end(), '\n'));
    const bool tagged = std::find(c.options.begin(), c.options.end(), "--tag") != c.options.end();
    const auto list = std::find(c.options.begin(), c.options.end(), "-a") + 1;
    const std::size_t algorithmsGiven = static_cast<std::size_t>(std::count(list->begin(), list->end(), ',')) + 1;
    ASSERT_EQ(lines, tagged ? algorithmsGiven : 1u) << hashed.out;  // one line per algorithm
    test::writeFile("sums.txt", hashed.out);

    std::vector<std::string> check = {"-c", "sums.txt"};
    if (!tagged) check.insert(check.begin(), c.options.begin(), c.options.end());
    const CliOutcome checked = test::runCli(check);
    EXPECT_EQ(checked.status, kExitSuccess) << checked.out << checked.err;
    const bool escaped = hashed.out.front() == '\\';
    const std::size_t nameStart = tagged ? hashed.out.find(" (") + 2 : hashed.out.find("  ") + 2;
    const std::size_t nameEnd = tagged ? hashed.out.rfind(") = ", hashed.out.find('\n')) : hashed.out.find('\n');
    std::string okLine = (escaped ? "\\" : "") + hashed.out.substr(nameStart, nameEnd - nameStart) + ": OK\n";
    std::string expected;
    for (std::size_t i = 0; i < lines; ++i) expected += okLine;
    EXPECT_EQ(checked.out, expected);

#ifndef _WIN32
    // The peers read our lines of their algorithm back too, tagged or not.
    const std::string tool = *list == "sha-256" ? "sha256sum" : *list == "sha-1" ? "sha1sum" : *list == "md5" ? "md5sum" : "";
    if (tool.empty() || !haveTool(tool)) return;
    const int raw = std::system((tool + " -c --strict --status sums.txt").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << tool << " -c rejects our output";
#endif
}

const std::vector<std::string> kSha256Option = {"-a", "sha-256"};
const std::vector<std::string> kTagged = {"--tag", "-s", "-a", "md5,sha-256"};

INSTANTIATE_TEST_SUITE_P(
    Names, RoundTripTest,
    testing::Values(RoundTripCase{"blanks", "two  blanks.txt", kSha256Option},
                    RoundTripCase{"leading blank", " lead.txt", kSha256Option},
                    RoundTripCase{"trailing blank", "trail.txt ", kSha256Option, kPosixOnly},
                    RoundTripCase{"what a tagged line holds", "x) = y (z", kSha256Option},
                    RoundTripCase{"what a tagged line holds, tagged", "x) = y (z", kTagged},
                    RoundTripCase{"backslash", "back\\slash", kSha256Option, kPosixOnly},
                    RoundTripCase{"backslash, tagged", "back\\slash", kTagged, kPosixOnly},
                    RoundTripCase{"line feed", "new\nline", kSha256Option, kPosixOnly},
                    RoundTripCase{"line feed, tagged", "new\nline", kTagged, kPosixOnly},
                    RoundTripCase{"carriage return", "cr\rname", kSha256Option, kPosixOnly},
                    RoundTripCase{"all three", "\\\n\r", {"-s", "-a", "sha-256"}, kPosixOnly},
                    RoundTripCase{"bytes that are not UTF-8", "\xFF\xFE\x80 raw", kSha256Option, kPosixOnly},
                    RoundTripCase{"bytes that are not UTF-8, tagged", "\xC3(\xA9", kTagged, kPosixOnly},
                    RoundTripCase{"Latin letters", "\xC3\xBC" "n\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9.txt", kSha256Option},
                    RoundTripCase{"outside any ANSI code page", "\xE6\x97\xA5\xE6\x9C\xAC \xCE\xB1\xCE\xB2.txt",
                                  kSha256Option},
                    RoundTripCase{"outside the basic plane, tagged", "\xF0\x9F\x98\x80.txt", kTagged},
                    RoundTripCase{"star and hash", "*#star", {"-a", "crc32"}, kPosixOnly},
                    RoundTripCase{"tagged for sha256sum", "x) = y (z", {"--tag", "-a", "sha-256"}},
                    RoundTripCase{"tagged for sha1sum", "back\\slash", {"--tag", "-a", "sha-1"}, kPosixOnly},
                    RoundTripCase{"tagged for md5sum", " lead.txt", {"--tag", "-s", "-a", "md5"}},
                    RoundTripCase{"untagged for md5sum", "two  blanks.txt", {"-a", "md5"}},
                    RoundTripCase{"HAVAL and MD6 with their parameters", "h.txt",
                                  {"--tag", "--haval", "3,160", "--md6", "d=160,L=0", "-a", "haval,md6"}},
                    RoundTripCase{"MD6 with other rounds", "m.txt", {"--tag", "--md6", "d=48,r=9", "-a", "md6"}},
                    RoundTripCase{"newer algorithms, tagged", "x) = y (z", {"--tag", "-s", "-a", "BLAKE2b,XXH128"}},
                    RoundTripCase{"newer algorithms, tagged in small letters", "a b", {"--tag", "-s", "-a", "b3,crc32c"}},
                    RoundTripCase{"BLAKE3 untagged", "back\\slash", {"-a", "blake3"}, kPosixOnly}),
    [](const testing::TestParamInfo<RoundTripCase>& param) { return "case" + std::to_string(param.index); });

}  // namespace
}  // namespace sumwise::cli
