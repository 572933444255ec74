// sumwise-cli run in-process: output layouts, inputs, exit statuses.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "cli/progress_line.h"
#include "test_support.h"

namespace sumwise::cli {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome runCli(const std::vector<std::string>& words, std::string standardInput = "",
           std::optional<std::size_t> stdinFailsAfter = std::nullopt) {
    std::vector<Argument> arguments;
    for (const std::string& word : words) arguments.push_back({word, std::filesystem::path(word), word});
    std::ostringstream out;
    std::ostringstream err;
    Environment environment{out, err,
                            [&] {
                                return std::make_unique<test::MemorySource>(test::bytesOf(standardInput),
                                                                            stdinFailsAfter);
                            },
                            false, 2};
    Outcome run;
    run.status = cli::run(arguments, environment);
    run.out = out.str();
    run.err = err.str();
    return run;
}

class CliTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string abc = dir.write("abc.txt", "abc").string();
    std::string nine = dir.write("nine.txt", "123456789").string();
};

TEST_F(CliTest, OneAlgorithmPrintsDigestTwoSpacesAndName) {
    const Outcome run = runCli({"-a", "CRC32", abc, nine});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "352441C2  " + abc + "\nCBF43926  " + nine + "\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliTest, SeveralAlgorithmsPrintTheNameThenAlignedLinesInRegistryOrder) {
    const Outcome run = runCli({"-a", "crc64,ADLER32,crc32", abc});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, abc + "\n    Adler32: 024D0127\n      CRC32: 352441C2\n      CRC64: 048B813AF9F49702\n");
}

TEST_F(CliTest, SmallCapsOptionWritesLowerCase) {
    EXPECT_EQ(runCli({"-s", "-aCRC64", abc}).out, "048b813af9f49702  " + abc + "\n");
    EXPECT_EQ(runCli({"--algorithms=crc32", "-s", abc}).out, "352441c2  " + abc + "\n");
}

TEST_F(CliTest, StandardInputWhenNoFileOrDash) {
    EXPECT_EQ(runCli({"-a", "CRC32"}, "abc").out, "352441C2  -\n");
    EXPECT_EQ(runCli({"-a", "CRC32", "-"}, "123456789").out, "CBF43926  -\n");
}

TEST_F(CliTest, TextInputIsQuotedAndHashedAsBytes) {
    const Outcome run = runCli({"-a", "Adler32", "--text", "abc", "--text", ""});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "024D0127  \"abc\"\n00000001  \"\"\n");
}

TEST_F(CliTest, InputsKeepCommandLineOrder) {
    const Outcome run = runCli({"-a", "CRC32", "--text", "abc", abc, "-"}, "123456789");
    EXPECT_EQ(run.out, "352441C2  \"abc\"\n352441C2  " + abc + "\nCBF43926  -\n");
}

TEST_F(CliTest, AllSelectsEveryAlgorithm) {
    const Outcome run = runCli({"-a", "all", "--text", "abc"});
    EXPECT_EQ(run.status, kExitSuccess);
    std::size_t lines = 0;
    for (char c : run.out) lines += c == '\n';
    EXPECT_EQ(lines, 1u + kAlgorithmCount);
}

TEST_F(CliTest, AllAnywhereInTheListMeansEveryAlgorithm) {
    EXPECT_EQ(runCli({"-a", "all,md5", "--text", "abc"}).out, runCli({"-a", "all", "--text", "abc"}).out);
    EXPECT_EQ(runCli({"-a", "CRC32,ALL", "--text", "abc"}).out, runCli({"-a", "all", "--text", "abc"}).out);
}

TEST_F(CliTest, UnreadableInputsSayWhyAndTheOthersAreStillHashed) {
    const std::string missing = (dir.path() / "missing.bin").string();
    const Outcome run = runCli({"-a", "CRC32", missing, abc, dir.path().string()});
    EXPECT_EQ(run.status, kExitUnreadable);
    EXPECT_EQ(run.out, "352441C2  " + abc + "\n");
    EXPECT_NE(run.err.find(missing + ": No such file or directory\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(dir.path().string() + ": Is a directory\n"), std::string::npos) << run.err;
}

TEST_F(CliTest, NamesThatWouldBreakALineAreEscapedInEveryLayout) {
    auto crc = [](std::string_view text) { return test::hexOf("CRC32", text); };
    auto adler = [](std::string_view text) { return test::hexOf("Adler32", text); };
    struct Case {
        std::vector<std::string> words;
        std::string out;
    };
    const Case cases[] = {
        {{"-a", "crc32", "--text", "a\nb"}, "\\" + crc("a\nb") + "  \"a\\nb\"\n"},
        // Where the backslash separates folders, it alone calls for no escapes.
        {{"-a", "crc32", "--tag", "--text", "a\\b"},
         std::filesystem::path::preferred_separator == '\\' ? "CRC32 (\"a\\b\") = " + crc("a\\b") + "\n"
                                                         : "\\CRC32 (\"a\\\\b\") = " + crc("a\\b") + "\n"},
        {{"-a", "crc32,adler32", "--text", "a\rb"},
         "\\\"a\\rb\"\n    Adler32: " + adler("a\rb") + "\n      CRC32: " + crc("a\rb") + "\n"},
        {{"-a", "crc32,adler32", "--tag", "--text", "x"},
         "Adler32 (\"x\") = " + adler("x") + "\nCRC32 (\"x\") = " + crc("x") + "\n"},
        {{"-a", "crc32", "--text", "plain name"}, crc("plain name") + "  \"plain name\"\n"},
    };
    for (const Case& c : cases) {
        const Outcome run = runCli(c.words);
        EXPECT_EQ(run.status, kExitSuccess);
        EXPECT_EQ(run.out, c.out);
    }
}

TEST_F(CliTest, ReadErrorPrintsNoDigest) {
    const Outcome run = runCli({"-a", "CRC32,Adler32"}, std::string(1000, 'x'), 100);
    EXPECT_EQ(run.status, kExitUnreadable);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("read error after 100 bytes"), std::string::npos);
}

TEST_F(CliTest, UsageErrorsNameTheProblem) {
    struct Case {
        std::vector<std::string> words;
        const char* mentions;
    };
    const Case cases[] = {
        {{"-a", "CRC33", "x"}, "CRC33"},
        {{"-a", "SHA"}, "SHA"},  // no name nor spelling (SHA1, b3, xxh3_64 are spellings)
        {{"-a"}, "-a"},
        {{"-a", ","}, "no algorithm"},
        {{"--text"}, "--text"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"-c", "--text", "abc"}, "--text cannot be given with -c"},
        {{"-c", "--tag", "x"}, "--tag is meaningless when checking"},
        {{"-c", "--save", "x"}, "--save cannot be given with -c"},
        {{"-c", "-r", "x"}, "-r cannot be given with -c"},
        {{"--status", "x"}, "--status is meaningful only with -c"},
        {{"--ignore-missing", "x"}, "--ignore-missing is meaningful only with -c"},
        {{"--save"}, "--save needs files"},
        {{"--save", "--text", "abc"}, "--save needs files"},
        {{"-a", "all,CRC33"}, "CRC33"},
    };
    for (const Case& c : cases) {
        const Outcome run = runCli(c.words);
        EXPECT_EQ(run.status, kExitUsage) << c.mentions;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliTest, DoubleDashEndsOptions) {
    const std::string dashed = dir.write("-odd", "abc").string();
    test::TempDir cwdLess;
    const Outcome run = runCli({"-a", "CRC32", "--", dashed});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "352441C2  " + dashed + "\n");
}

TEST_F(CliTest, HelpAndVersion) {
    const Outcome help = runCli({"--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_EQ(help.out.rfind("Usage: sumwise-cli [OPTION]... [FILE]...\n", 0), 0u);
    EXPECT_NE(help.out.find("CRC64"), std::string::npos);
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
    const Outcome version = runCli({"--version"});
    EXPECT_EQ(version.status, kExitSuccess);
    EXPECT_EQ(version.out, std::string("sumwise-cli ") + SUMWISE_PROJECT_VERSION + "\n");
}

TEST_F(CliTest, DefaultAlgorithmsAreCrc32Md5Sha1) {
    const Outcome run = runCli({abc});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, abc + "\n      CRC32: 352441C2\n        MD5: 900150983CD24FB0D6963F7D28E17F72\n"
                             "      SHA-1: A9993E364706816ABA3E25717850C26C9CD0D89D\n");
}

TEST(ProgressLine, TextShowsShareOfKnownSizeOrBytesRead) {
    EXPECT_EQ(ProgressLine::text("disk.iso", 536870912, 1073741824), "disk.iso: 50% (512 MB of 1024 MB)");
    EXPECT_EQ(ProgressLine::text("-", 1536, std::nullopt), "-: 1.50 KB read");
    EXPECT_EQ(ProgressLine::text("x", 7, 0), "x: 7 B read");
}

TEST(ProgressLine, QuietForQuickInputsThenRedrawnAndCleared) {
    std::ostringstream terminal;
    const auto start = ProgressLine::Clock::now();
    {
        ProgressLine line(terminal, "big", 1000, start);
        line.update(100, start + std::chrono::milliseconds(100));
        EXPECT_EQ(terminal.str(), "");
        line.update(500, start + std::chrono::seconds(2));
        EXPECT_EQ(terminal.str(), "\rbig: 50% (500 B of 1000 B)");
        line.update(600, start + std::chrono::milliseconds(2050));  // too soon to redraw
        EXPECT_EQ(terminal.str(), "\rbig: 50% (500 B of 1000 B)");
    }
    // Going out of scope blanks the line it drew.
    EXPECT_EQ(terminal.str(), "\rbig: 50% (500 B of 1000 B)\r" + std::string(26, ' ') + "\r");
}

}  // namespace
}  // namespace sumwise::cli
