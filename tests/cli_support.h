// Running sumwise-cli in-process for the tests: arguments as the system
// hands them over, captured output, an output that fails, a working folder.
#pragma once

#include <filesystem>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli.h"

namespace sumwise::cli::test {

struct CliOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

// A path from UTF-8 text, as the Windows entry point makes it from a wide argument.
std::filesystem::path pathOf(const std::string& utf8);

// Runs the command line; `standardInput` is what reading "-" gives.
CliOutcome runCli(const std::vector<std::string>& words, const std::string& standardInput = "");

// Standard output that takes `room` bytes and then fails with `error`, as a
// full disk or a closed pipe does.
class FailingBuffer final : public std::streambuf {
public:
    FailingBuffer(std::size_t room, std::error_code error) : room_(room), error_(error) {}
    std::error_code error() const { return failed_ ? error_ : std::error_code{}; }
    const std::string& taken() const { return taken_; }

protected:
    int_type overflow(int_type c) override;

private:
    std::size_t room_;
    std::error_code error_;
    bool failed_ = false;
    std::string taken_;
};

CliOutcome runCliInto(FailingBuffer& buffer, const std::vector<std::string>& words);

// Makes a folder the working folder while the object lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// Writes a file whose name is UTF-8 text (any name the system allows).
void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);

}  // namespace sumwise::cli::test
