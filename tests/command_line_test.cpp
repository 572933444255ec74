#include <gtest/gtest.h>

#include "algorithms/algorithm_table.h"
#include "text/check_option.h"
#include "text/command_line.h"

namespace sumwise {
namespace {

using Kind = CommandLine::Step::Kind;
using Step = CommandLine::Step;

AlgorithmMask flag(const char* name) { return algorithmNamed(std::string_view(name))->flag(); }

TEST(CommandLine, EmptyHasNothing) {
    const CommandLine parsed = parseCommandLine(L"");
    EXPECT_TRUE(parsed.steps.empty());
    EXPECT_EQ(parsed.tickedMask, 0u);
    EXPECT_FALSE(parsed.md6D || parsed.md6L || parsed.md6R || parsed.md6Key);
}

TEST(CommandLine, HashListWithSmallCapsAndQuotedPathWithBlank) {
    const CommandLine parsed = parseCommandLine(L"/H:md5,SHA-1 /S \"C:\\My Files\\a b.iso\"");
    EXPECT_EQ(parsed.tickedMask, flag("MD5") | flag("SHA-1"));
    EXPECT_EQ(parsed.steps, (std::vector<Step>{{Kind::SmallCaps, L""}, {Kind::Input, L"C:\\My Files\\a b.iso"}}));
}

TEST(CommandLine, UnquotedPathTakesBlanksUpToTheNextOption) {
    EXPECT_EQ(parseCommandLine(L"/H:MD5 C:\\My Files\\a b.iso").steps,
              (std::vector<Step>{{Kind::Input, L"C:\\My Files\\a b.iso"}}));
    EXPECT_EQ(parseCommandLine(L"C:\\x y.txt /S").steps,
              (std::vector<Step>{{Kind::Input, L"C:\\x y.txt"}, {Kind::SmallCaps, L""}}));
    EXPECT_EQ(parseCommandLine(L"C:\\x\ty.txt").steps, (std::vector<Step>{{Kind::Input, L"C:\\x"}}));
}

TEST(CommandLine, HashListEndsAtTheFirstNameWithoutComma) {
    EXPECT_EQ(parseCommandLine(L"/H:MD5,foo,SHA-256").tickedMask, flag("MD5") | flag("SHA-256"));
    const CommandLine parsed = parseCommandLine(L"/H:MD5 SHA-256");
    EXPECT_EQ(parsed.tickedMask, flag("MD5"));
    EXPECT_EQ(parsed.steps, (std::vector<Step>{{Kind::Input, L"SHA-256"}}));
    EXPECT_EQ(parseCommandLine(L"/h  whirlpool,crc32/S").tickedMask, flag("Whirlpool") | flag("CRC32"));
    EXPECT_EQ(parseCommandLine(L"/H:MD5/H:Tiger").tickedMask, flag("MD5") | flag("Tiger"));
    EXPECT_EQ(parseCommandLine(L"/H:SHA1,,MD4\"x\"").tickedMask, flag("MD4"));
}

TEST(CommandLine, ModesAfterTheInputComeAfterIt) {
    EXPECT_EQ(parseCommandLine(L"file.txt /T").steps,
              (std::vector<Step>{{Kind::Input, L"file.txt"}, {Kind::TextMode, L""}}));
    EXPECT_EQ(parseCommandLine(L"/V \"x\"").steps, (std::vector<Step>{{Kind::DiskMode, L""}, {Kind::Input, L"x"}}));
    EXPECT_EQ(parseCommandLine(L"/a/t").steps, (std::vector<Step>{{Kind::ShowAll, L""}, {Kind::TextMode, L""}}));
}

TEST(CommandLine, LogAndLangAreNotMd6L) {
    EXPECT_EQ(parseCommandLine(L"/T /LOG").steps,
              (std::vector<Step>{{Kind::TextMode, L""}, {Kind::LogEveryJob, L""}}));
    EXPECT_EQ(parseCommandLine(L"/LOG/T").steps,
              (std::vector<Step>{{Kind::LogEveryJob, L""}, {Kind::TextMode, L""}}));
    EXPECT_TRUE(parseCommandLine(L"/LOGFILE").steps.empty());
    EXPECT_FALSE(parseCommandLine(L"/LOGFILE").md6L.has_value());
    EXPECT_FALSE(parseCommandLine(L"/LANG:pl").md6L.has_value());
    EXPECT_EQ(parseCommandLine(L"/L:0").md6L, 0);
    EXPECT_EQ(parseCommandLine(L"/L 12").md6L, 12);
    EXPECT_EQ(parseCommandLine(L"/L7").md6L, 7);
    EXPECT_EQ(parseCommandLine(L"/L").md6L, 0);
    // /LANG's code is skipped; the input after it still counts.
    EXPECT_EQ(parseCommandLine(L"/LANG:de C:\\a.txt").steps, (std::vector<Step>{{Kind::Input, L"C:\\a.txt"}}));
}

TEST(CommandLine, Md6Values) {
    const CommandLine parsed = parseCommandLine(L"/D:384 /K secret/R 200 /D 512");
    EXPECT_EQ(parsed.md6D, 512);  // the last one counts
    EXPECT_EQ(parsed.md6R, 200);
    EXPECT_EQ(parsed.md6Key, L"secret");
    EXPECT_EQ(parseCommandLine(L"/D:-5").md6D, -5);
    EXPECT_EQ(parseCommandLine(L"/D:12abc").md6D, 12);
    EXPECT_EQ(parseCommandLine(L"/D:abc").md6D, 0);
    EXPECT_EQ(parseCommandLine(L"/D:99999999999999999999").md6D, 2147483647);
    EXPECT_EQ(parseCommandLine(L"/K \"path\"").md6Key, L"");
    EXPECT_EQ(parseCommandLine(L"/K \"path\"").steps, (std::vector<Step>{{Kind::Input, L"path"}}));
}

TEST(CommandLine, UnknownOptionsAreSkippedToTheNextOption) {
    EXPECT_EQ(parseCommandLine(L"/X whatever /S").steps, (std::vector<Step>{{Kind::SmallCaps, L""}}));
    EXPECT_EQ(parseCommandLine(L"/").steps.size(), 0u);
}

TEST(CommandLine, OnlyTheFirstInputCountsAndItIsTakenWhole) {
    EXPECT_EQ(parseCommandLine(L"\"a b\" \"c d\" e").steps, (std::vector<Step>{{Kind::Input, L"a b"}}));
    const std::wstring longPath(400, L'x');
    const CommandLine parsed = parseCommandLine(L"\"" + longPath + L"\"");
    ASSERT_EQ(parsed.steps.size(), 1u);
    EXPECT_EQ(parsed.steps[0].input, longPath);  // paths beyond the classic limit work
    EXPECT_EQ(parseCommandLine(L"\"unterminated path").steps,
              (std::vector<Step>{{Kind::Input, L"unterminated path"}}));
}

TEST(CommandLine, ArgumentsFollowTheProgramName) {
    EXPECT_EQ(argumentsOf(L"\"C:\\Program Files\\Sumwise.exe\"  /H:MD5 x"), L"/H:MD5 x");
    EXPECT_EQ(argumentsOf(L"Sumwise.exe\tfile"), L"file");
    EXPECT_EQ(argumentsOf(L"Sumwise.exe"), L"");
    EXPECT_EQ(argumentsOf(L""), L"");
}

TEST(CommandLine, CheckOptionTakesItsPathQuotedOrNot) {
    struct Case {
        const wchar_t* line;
        std::optional<std::wstring> path;
    };
    const Case cases[] = {
        {L"", std::nullopt},
        {L"/CHECK:SHA256SUMS", L"SHA256SUMS"},
        {L"/check:sub\\a.md5", L"sub\\a.md5"},
        {L"\"/CHECK:C:\\a b\\SUMS\"", L"C:\\a b\\SUMS"},
        {L"/CHECK:\"C:\\a b\\SUMS\" /LANG de", L"C:\\a b\\SUMS"},
        {L"/CHECK:C:\\a b\\SUMS  /LANG de", L"C:\\a b\\SUMS"},
        {L"/LANG de /CHECK:x.sha1", L"x.sha1"},
        {L"/CHECK:", std::nullopt},
        {L"/CHECK:\"\"", std::nullopt},
        {L"\"/CHECK:unclosed", L"unclosed"},
        {L"\"C:\\dir /CHECK:x\\file\"", std::nullopt},  // inside a quoted input
        {L"/CHECKX:file", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(checkOption(c.line), c.path) << std::string(c.line, c.line + wcslen(c.line));
}

}  // namespace
}  // namespace sumwise
