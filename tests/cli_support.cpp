#include "cli_support.h"

#include <fstream>
#include <iterator>

#include "test_support.h"

namespace sumwise::cli::test {

std::filesystem::path pathOf(const std::string& utf8) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return std::filesystem::path(utf8);
#endif
}

namespace {

CliOutcome runWith(std::ostream& out, const std::vector<std::string>& words, const std::string& standardInput,
                   std::function<std::error_code()> outputError) {
    std::vector<Argument> arguments;
    for (const std::string& word : words) arguments.push_back({word, pathOf(word), word});
    std::ostringstream err;
    Environment environment{out,
                            err,
                            [&] { return std::make_unique<sumwise::test::MemorySource>(sumwise::test::bytesOf(standardInput)); },
                            false,
                            2,
                            std::move(outputError)};
    CliOutcome outcome;
    outcome.status = cli::run(arguments, environment);
    outcome.err = err.str();
    return outcome;
}

}  // namespace

CliOutcome runCli(const std::vector<std::string>& words, const std::string& standardInput) {
    std::ostringstream out;
    CliOutcome outcome = runWith(out, words, standardInput, nullptr);
    outcome.out = out.str();
    return outcome;
}

FailingBuffer::int_type FailingBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (taken_.size() >= room_) {
        failed_ = true;
        return traits_type::eof();
    }
    taken_ += traits_type::to_char_type(c);
    return c;
}

CliOutcome runCliInto(FailingBuffer& buffer, const std::vector<std::string>& words) {
    std::ostream out(&buffer);
    CliOutcome outcome = runWith(out, words, "", [&] { return buffer.error(); });
    outcome.out = buffer.taken();
    return outcome;
}

WorkingFolder::WorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream stream(path, std::ios::binary);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace sumwise::cli::test
