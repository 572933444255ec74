#include "cli/hash_input.h"

#include <optional>

#include "cli/progress_line.h"
#include "cli/system.h"
#include "jobs/hash_source.h"

namespace sumwise::cli {

namespace {

// Keeps the system's reason for a failed read, taken before anything else
// can change it.
class ReasonKeepingSource final : public InputSource {
public:
    explicit ReasonKeepingSource(InputSource& source) : source_(source) {}
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        const std::size_t got = source_.read(buffer, capacity);
        if (source_.failed() && !error_) error_ = lastSystemError();
        return got;
    }
    bool failed() const override { return source_.failed(); }
    std::optional<std::uint64_t> size() const override { return source_.size(); }
    std::error_code error() const override { return error_; }

private:
    InputSource& source_;
    std::error_code error_;
};

Hashed hashFrom(InputSource& input, const std::vector<const AlgorithmEntry*>& algorithms,
                const AlgorithmParams& params, Environment& environment, const std::string& name, bool beside) {
    ReasonKeepingSource source(input);
    std::optional<ProgressLine> progress;
    SourceControl control;
    control.cores = beside ? 1 : environment.threads;
    if (environment.errIsTerminal && !beside) {
        progress.emplace(environment.err, name, source.size(), ProgressLine::Clock::now(), environment.terminalColumns);
        control.progress = &*progress;
    }
    SourceHashed result = hashSource(source, algorithms, params, control);
    Hashed hashed;
    hashed.bytesRead = result.outcome.bytesRead;
    if (result.complete()) {
        hashed.digests = std::move(result.digests);
    } else {
        // A digest of part of the input would look like the real one: keep none.
        hashed.failure = Hashed::Failure::Read;
        hashed.error = source.error() ? source.error() : std::make_error_code(std::errc::io_error);
    }
    return hashed;
}

}  // namespace

Hashed hashFileInput(const std::filesystem::path& path, const std::vector<const AlgorithmEntry*>& algorithms,
                     const AlgorithmParams& params, Environment& environment, const std::string& name,
                     bool beside) {
    const std::filesystem::path usable = systemPath(path);
    const std::unique_ptr<InputSource> source = openInput(usable);
    if (!source) {
        Hashed hashed;
        hashed.failure = Hashed::Failure::Open;
        hashed.error = lastSystemError();
        std::error_code ignored;
        // Folders fail to open in ways that say less ("Permission denied" on Windows).
        if (std::filesystem::is_directory(usable, ignored)) {
            hashed.error = std::make_error_code(std::errc::is_a_directory);
        } else if (!hashed.error) {
            hashed.error = std::make_error_code(std::errc::io_error);
        }
        return hashed;
    }
    return hashFrom(*source, algorithms, params, environment, name, beside);
}

Hashed hashStandardInput(const std::vector<const AlgorithmEntry*>& algorithms, const AlgorithmParams& params,
                         Environment& environment) {
    const std::unique_ptr<InputSource> source =
        environment.standardInputClosed ? nullptr : environment.openStandardInput();
    if (!source) {
        Hashed hashed;
        hashed.failure = Hashed::Failure::Open;
        hashed.error = environment.standardInputClosed ? environment.standardInputClosed
                                                       : std::make_error_code(std::errc::bad_file_descriptor);
        return hashed;
    }
    return hashFrom(*source, algorithms, params, environment, "-", false);
}

Hashed hashTextInput(const std::string& text, const std::vector<const AlgorithmEntry*>& algorithms,
                     const AlgorithmParams& params) {
    Hashed hashed;
    for (const AlgorithmEntry* entry : algorithms) hashed.digests.push_back(sumwise::hashText(*entry, text, params));
    hashed.bytesRead = text.size();
    return hashed;
}

std::string failureMessage(const std::string& name, const Hashed& hashed) {
    std::string message = "sumwise-cli: " + name + ": ";
    if (hashed.failure == Hashed::Failure::Read) {
        message += "read error after " + std::to_string(hashed.bytesRead) + " bytes: ";
    }
    return message + errorText(hashed.error);
}

}  // namespace sumwise::cli
