// sumwise-cli writing hash files (--save), walking folders (-r), long paths,
// and output that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/system.h"
#include "cli_support.h"
#include "results/hash_file.h"
#include "test_support.h"

#ifdef __linux__
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace sumwise::cli {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

std::string saved(std::string_view algorithm, std::string_view content, LetterCase letterCase = LetterCase::Upper) {
    return hashFileContent(sumwise::test::hexOf(algorithm, content, letterCase));
}

struct SaveCase {
    std::string what;
    std::vector<std::string> words;  // run in a folder holding abc.txt ("abc")
    int status;
    std::string out;
    std::string errHas;
    std::vector<std::pair<std::string, std::string>> files;  // what the folder then holds, byte for byte
    std::vector<std::string> absent;
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.what; }

class SaveTest : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveTest, WritesThePrimaryFilesExactlyAsTheProgramSaves) {
    const SaveCase& c = GetParam();
    sumwise::test::TempDir dir;
    test::writeFile(dir.path() / "abc.txt", "abc");
    test::writeFile(dir.path() / "abc.txt.md5", "stale, to be replaced");
    fs::create_directory(dir.path() / "blocked.txt.crc32");  // a folder where a hash file would go
    test::writeFile(dir.path() / "blocked.txt", "abc");
    test::WorkingFolder working(dir.path());
    const CliOutcome run = test::runCli(c.words);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, c.out);
    if (c.errHas.empty()) {
        EXPECT_EQ(run.err, "");
    } else {
        EXPECT_NE(run.err.find(c.errHas), std::string::npos) << run.err;
    }
    for (const auto& [name, content] : c.files) EXPECT_EQ(test::readFile(name), content) << name;
    for (const std::string& name : c.absent) EXPECT_FALSE(fs::exists(name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveTest,
    testing::Values(
        SaveCase{"one file per algorithm, registry order, a stale one replaced",
                 {"--save", "-a", "sha-256,MD5,sha-1-ime,crc32", "abc.txt"},
                 0,
                 "abc.txt.crc32: saved\nabc.txt.md5: saved\nabc.txt.sha-1-ime: saved\nabc.txt.sha-256: saved\n",
                 "",
                 {{"abc.txt.crc32", saved("CRC32", "abc")},
                  {"abc.txt.md5", saved("MD5", "abc")},
                  {"abc.txt.sha-1-ime", saved("SHA-1-IME", "abc")},
                  {"abc.txt.sha-256", saved("SHA-256", "abc")}},
                 {}},
        SaveCase{"lower case with -s, every parameterised algorithm",
                 {"-s", "--save", "-a", "haval,md6", "--haval", "3,128", "--md6", "d=12", "abc.txt"},
                 0,
                 "abc.txt.haval: saved\nabc.txt.md6: saved\n",
                 "",
                 {{"abc.txt.haval", "9e40ed883fb63e985d299b40cda2b8f2\r\n"}, {"abc.txt.md6", "5d7\r\n"}},
                 {}},
        SaveCase{"a hash file that cannot be written is named, the others still are",
                 {"--save", "-a", "crc32,adler32", "blocked.txt"},
                 1,
                 "blocked.txt.adler32: saved\n",
                 "blocked.txt.crc32: cannot save: Is a directory",
                 {{"blocked.txt.adler32", saved("Adler32", "abc")}},
                 {}},
        SaveCase{"an input that cannot be read gets no hash file",
                 {"--save", "-a", "md5", "missing.txt", "abc.txt"},
                 1,
                 "abc.txt.md5: saved\n",
                 "missing.txt: No such file or directory",
                 {{"abc.txt.md5", saved("MD5", "abc")}},
                 {"missing.txt.md5"}},
        SaveCase{"default algorithms", {"--save", "abc.txt"}, 0,
                 "abc.txt.crc32: saved\nabc.txt.md5: saved\nabc.txt.sha-1: saved\n", "",
                 {{"abc.txt.sha-1", saved("SHA-1", "abc")}}, {}},
        // A hash file the run replaces is hashed as it was, whatever the order.
        SaveCase{"an input the run saves over, named after", {"--save", "-a", "md5", "abc.txt", "abc.txt.md5"}, 0,
                 "abc.txt.md5: saved\nabc.txt.md5.md5: saved\n", "",
                 {{"abc.txt.md5", saved("MD5", "abc")}, {"abc.txt.md5.md5", saved("MD5", "stale, to be replaced")}},
                 {}},
        SaveCase{"an input the run saves over, named first", {"--save", "-a", "md5", "abc.txt.md5", "abc.txt"}, 0,
                 "abc.txt.md5.md5: saved\nabc.txt.md5: saved\n", "",
                 {{"abc.txt.md5", saved("MD5", "abc")}, {"abc.txt.md5.md5", saved("MD5", "stale, to be replaced")}},
                 {}}),
    [](const testing::TestParamInfo<SaveCase>& param) { return "case" + std::to_string(param.index); });

TEST(Save, WhatIsSavedChecksOut) {
    sumwise::test::TempDir dir;
    test::writeFile(dir.path() / "disk.iso", "abc");
    test::WorkingFolder working(dir.path());
    ASSERT_EQ(test::runCli({"--save", "-a", "all", "disk.iso"}).status, kExitSuccess);
    std::vector<std::string> check = {"-c"};
    for (const AlgorithmEntry& entry : algorithms()) {
        check.push_back("disk.iso." + std::string(entry.extension));
    }
    const CliOutcome run = test::runCli(check);
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    std::string expected;
    for (std::size_t i = 1; i < check.size(); ++i) expected += "disk.iso: OK\n";
    EXPECT_EQ(run.out, expected);
}

// The classic limit of 260 characters on Windows is no limit here.
TEST(LongPaths, HashSaveCheckAndWalk) {
    sumwise::test::TempDir dir;
    fs::path deep = dir.path();
    for (int i = 0; i < 5; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    fs::create_directories(systemPath(deep));
    const fs::path input = deep / "input.bin";
    ASSERT_GT(input.native().size(), 300u);
    ASSERT_FALSE(writeWholeFile(systemPath(input), "abc"));
    const std::string name = printedName(input);

    CliOutcome run = test::runCli({"-a", "crc32", name});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, "352441C2  " + name + "\n");

    run = test::runCli({"--save", "-a", "md5", name});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    run = test::runCli({"-c", name + ".md5"});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, name + ": OK\n");

    const fs::path sums = deep / "SHA1SUMS";
    ASSERT_FALSE(writeWholeFile(systemPath(sums), "a9993e364706816aba3e25717850c26c9cd0d89d  " + name + "\n"));
    run = test::runCli({"-c", printedName(sums)});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;

    run = test::runCli({"-r", "-a", "crc32", printedName(dir.path())});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_NE(run.out.find("352441C2  "), std::string::npos) << run.out;
}

#ifdef __linux__
// Root reads every folder; for the length of a walk, this thread does not.
class WithoutReadOverride {
public:
    WithoutReadOverride() {
        if (::geteuid() != 0) return;
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutReadOverride() {
        if (active_) ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutReadOverride(const WithoutReadOverride&) = delete;
    WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;
    bool works() const { return ::geteuid() != 0 || active_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};
#endif

#ifndef _WIN32
TEST(Walk, StableOrderLinksLoopsAndAnUnreadableFolder) {
    sumwise::test::TempDir outside;
    test::writeFile(outside.path() / "secret.txt", "abc");
    sumwise::test::TempDir dir;
    const fs::path top = dir.path() / "top";
    fs::create_directories(top / "b" / "d");
    fs::create_directories(top / "locked");
    test::writeFile(top / "a.txt", "abc");
    test::writeFile(top / "Z.txt", "abc");
    test::writeFile(top / "b" / "c.txt", "abc");
    test::writeFile(top / "b" / "d" / "e.txt", "abc");
    test::writeFile(top / "locked" / "hidden.txt", "abc");
    fs::create_directory_symlink(".", top / "loop");
    fs::create_directory_symlink("..", top / "b" / "up");
    fs::create_directory_symlink("d", top / "b" / "inside");
    fs::create_directory_symlink(outside.path(), top / "out");
    fs::create_symlink(outside.path() / "secret.txt", top / "outfile");
    fs::create_symlink("a.txt", top / "samefile");
    fs::create_symlink("nowhere", top / "dangling");
    fs::permissions(top / "locked", fs::perms::none);

    test::WorkingFolder working(dir.path());
    CliOutcome first;
    {
#ifdef __linux__
        WithoutReadOverride reduced;
        ASSERT_TRUE(reduced.works());
#endif
        first = test::runCli({"-r", "-a", "crc32", "top"});
    }
    fs::permissions(top / "locked", fs::perms::owner_all);
    EXPECT_EQ(first.status, kExitUnreadable);
    EXPECT_EQ(first.out,
              "352441C2  top/Z.txt\n"
              "352441C2  top/a.txt\n"
              "352441C2  top/b/c.txt\n"
              "352441C2  top/b/d/e.txt\n"
              "352441C2  top/b/inside/e.txt\n"
              "352441C2  top/samefile\n");
    EXPECT_EQ(first.err,
              "sumwise-cli: top/b/up: not followed: the link leads back to a folder above it\n"
              "sumwise-cli: top/dangling: No such file or directory\n"
              "sumwise-cli: top/locked: Permission denied\n"
              "sumwise-cli: top/loop: not followed: the link leads back to a folder above it\n"
              "sumwise-cli: top/out: not followed: the link leads out of the folder\n"
              "sumwise-cli: top/outfile: not followed: the link leads out of the folder\n");
}
#endif

TEST(Walk, SavingTwiceNeverHashesTheHashFiles) {
    sumwise::test::TempDir dir;
    fs::create_directories(dir.path() / "photos" / "2024");
    test::writeFile(dir.path() / "photos" / "a.jpg", "abc");
    test::writeFile(dir.path() / "photos" / "2024" / "b.jpg", "abc");
    test::writeFile(dir.path() / "photos" / "orphan.jpg.md5", "not ours to skip");
    test::WorkingFolder working(dir.path());
    const std::string expected =
        "photos/2024/b.jpg.md5: saved\nphotos/2024/b.jpg.sha-256: saved\n"
        "photos/a.jpg.md5: saved\nphotos/a.jpg.sha-256: saved\n"
        "photos/orphan.jpg.md5.md5: saved\nphotos/orphan.jpg.md5.sha-256: saved\n";
    const CliOutcome first = test::runCli({"-r", "-a", "sha-256,md5", "--save", "photos/"});
    EXPECT_EQ(first.status, kExitSuccess) << first.err;
    EXPECT_EQ(first.out, expected);
    const CliOutcome second = test::runCli({"-r", "-a", "sha-256,md5", "--save", "photos/"});
    EXPECT_EQ(second.out, expected);
    EXPECT_FALSE(fs::exists("photos/a.jpg.md5.md5"));
    EXPECT_EQ(test::readFile("photos/2024/b.jpg.sha-256"), saved("SHA-256", "abc"));
    // Without -r a folder is an input that cannot be read.
    const CliOutcome flat = test::runCli({"-a", "md5", "photos"});
    EXPECT_EQ(flat.status, kExitUnreadable);
    EXPECT_NE(flat.err.find("photos: Is a directory"), std::string::npos);
}

// Many inputs are hashed at once; the output is still the one-at-a-time
// output, in the order of the arguments and of the walk.
TEST(Walk, ManyFilesPrintInTheOrderOfOneAtATime) {
    sumwise::test::TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 150; ++i) {
        const std::string name = "many/" + std::to_string(i % 7) + "/f" + std::to_string(i);
        fs::create_directories(dir.path() / "many" / std::to_string(i % 7));
        // Empty, tiny, and now and then past one block.
        const std::size_t size = i % 50 == 3 ? 700000 + i : static_cast<std::size_t>(i * 37 % 201);
        test::writeFile(dir.path() / name, std::string(size, static_cast<char>('a' + i % 26)));
        names.push_back(name);
    }
    test::WorkingFolder working(dir.path());
    for (const char* chosen : {"crc32", "md5,sha-1,crc32", "all"}) {
        std::string alone;
        for (const std::string& name : names) alone += test::runCli({"-a", chosen, name}).out;
        std::vector<std::string> words = {"-a", chosen};
        words.insert(words.end(), names.begin(), names.end());
        words.insert(words.begin() + 2, "missing");
        const CliOutcome together = test::runCli(words);
        EXPECT_EQ(together.status, kExitUnreadable) << chosen;
        EXPECT_EQ(together.out, alone) << chosen;
        EXPECT_EQ(together.err, "sumwise-cli: missing: No such file or directory\n") << chosen;
        // The walk's order is the names' order, sorted.
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        std::string walked;
        for (const std::string& name : sorted) walked += test::runCli({"-a", chosen, name}).out;
        std::string walkOut = test::runCli({"-r", "-a", chosen, "many"}).out;
        // A walk on Windows joins the names with its own separator.
        if (fs::path::preferred_separator == '\\') std::replace(walkOut.begin(), walkOut.end(), '\\', '/');
        EXPECT_EQ(walkOut, walked) << chosen;
    }
}

struct OutputFailureCase {
    std::string what;
    std::vector<std::string> words;
    std::size_t room;  // bytes standard output takes before it fails
    std::errc error;
    int status;
    std::string out;  // what got through
    std::string errHas;
};

void PrintTo(const OutputFailureCase& c, std::ostream* os) { *os << c.what; }

class OutputFailureTest : public testing::TestWithParam<OutputFailureCase> {};

TEST_P(OutputFailureTest, IsReportedAndStopsTheWork) {
    const OutputFailureCase& c = GetParam();
    sumwise::test::TempDir dir;
    test::writeFile(dir.path() / "abc.txt", "abc");
    test::writeFile(dir.path() / "SHA1SUMS", "a9993e364706816aba3e25717850c26c9cd0d89d  abc.txt\n"
                                             "a9993e364706816aba3e25717850c26c9cd0d89d  abc.txt\n");
    test::WorkingFolder working(dir.path());
    test::FailingBuffer buffer(c.room, std::make_error_code(c.error));
    const CliOutcome run = test::runCliInto(buffer, c.words);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    if (c.errHas.empty()) {
        EXPECT_EQ(run.err, "");
        return;
    }
    EXPECT_NE(run.err.find(c.errHas), std::string::npos) << run.err;
    // Reported once, and nothing is done after it.
    EXPECT_EQ(run.err.find("write error"), run.err.rfind("write error"));
    EXPECT_EQ(run.err.find("missing"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists("missing.txt.md5"));
}

INSTANTIATE_TEST_SUITE_P(
    Output, OutputFailureTest,
    testing::Values(
        OutputFailureCase{"full disk", {"-a", "crc32", "abc.txt", "missing"}, 0, std::errc::no_space_on_device,
                          kExitUnreadable, "", "sumwise-cli: write error: No space left on device\n"},
        // A reader that went away is no error to report: the work stops quietly.
        OutputFailureCase{"reader gone after the first line", {"-a", "crc32", "abc.txt", "abc.txt", "missing"}, 18,
                          std::errc::broken_pipe, kExitUnreadable, "352441C2  abc.txt\n", ""},
        OutputFailureCase{"checking", {"-c", "SHA1SUMS", "SHA1SUMS"}, 5, std::errc::broken_pipe, kExitUnreadable,
                          "abc.t", ""},
        OutputFailureCase{"checking, another write error", {"-c", "SHA1SUMS", "SHA1SUMS"}, 5,
                          std::errc::no_space_on_device, kExitUnreadable, "abc.t", "write error: No space left"},
        OutputFailureCase{"saving", {"--save", "-a", "crc32,md5", "abc.txt", "missing.txt"}, 0,
                          std::errc::bad_file_descriptor, kExitUnreadable, "", "write error: Bad file descriptor"},
        OutputFailureCase{"help", {"--help"}, 10, std::errc::io_error, kExitUnreadable, "Usage: sum",
                          "write error: Input/output error"},
        OutputFailureCase{"--status writes nothing, so nothing fails", {"-c", "--status", "SHA1SUMS"}, 0,
                          std::errc::no_space_on_device, kExitSuccess, "", ""},
        OutputFailureCase{"room enough", {"-a", "crc32", "abc.txt"}, 100, std::errc::no_space_on_device,
                          kExitSuccess, "352441C2  abc.txt\n", ""}),
    [](const testing::TestParamInfo<OutputFailureCase>& param) { return "case" + std::to_string(param.index); });

}  // namespace
}  // namespace sumwise::cli
