#include "cli/check.h"

#include <optional>

#include "cli/hash_input.h"
#include "cli/printer.h"
#include "cli/sums_file.h"
#include "cli/system.h"
#include "jobs/streaming.h"

namespace sumwise::cli {

namespace {

struct LoadedSums {
    const Input* input = nullptr;
    std::string name;  // as messages give it
    SumsFile file;
};

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool sameDigest(std::string_view expected, const std::string& computed) {
    if (expected.size() != computed.size()) return false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const char c = expected[i];
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != computed[i]) return false;
    }
    return true;
}

// The whole of a sums file, or the reason it could not be read.
std::optional<std::string> readAll(InputSource& source) {
    std::string bytes;
    const StreamOutcome outcome = streamInput(source, [&](const std::uint8_t* data, std::size_t size) {
        bytes.append(reinterpret_cast<const char*>(data), size);
    });
    if (outcome.status != StreamStatus::Complete) return std::nullopt;
    return bytes;
}

class Checker {
public:
    Checker(const Options& options, Environment& environment)
        : options_(options), checking_(options.checking), environment_(environment), printer_(environment) {}

    int run() {
        SumsFileRules rules;
        rules.digits = digestDigitCounts(options_.params);
        if (options_.algorithmsGiven) {
            for (const AlgorithmEntry& algorithm : algorithms()) {
                if ((options_.algorithms & algorithm.flag()) != 0) rules.forced.push_back(&algorithm);
            }
        }
        std::vector<LoadedSums> loaded;
        for (const Input& input : options_.inputs) {
            if (auto sums = load(input, rules)) loaded.push_back(std::move(*sums));
        }
        if (const std::string problem = ambiguity(loaded); !problem.empty()) {
            printer_.error(problem);
            return kExitUsage;
        }
        for (const LoadedSums& sums : loaded) {
            if (!check(sums)) return kExitUnreadable;  // the output failed
        }
        if (unreadableSums_) return kExitUsage;
        return failed_ ? kExitUnreadable : kExitSuccess;
    }

private:
    std::optional<LoadedSums> load(const Input& input, SumsFileRules rules) {
        LoadedSums sums;
        sums.input = &input;
        std::unique_ptr<InputSource> source;
        std::error_code error;
        if (input.kind == Input::Kind::StandardInput) {
            sums.name = "standard input";
            rules.fileName.clear();
            if (environment_.standardInputClosed) {
                error = environment_.standardInputClosed;
            } else {
                source = environment_.openStandardInput();
            }
        } else {
            sums.name = errorName(input.name);
            rules.fileName = input.name;
            source = openInput(systemPath(input.path));
            if (!source) {
                error = lastSystemError();
                std::error_code ignored;
                if (std::filesystem::is_directory(systemPath(input.path), ignored)) {
                    error = std::make_error_code(std::errc::is_a_directory);
                }
            }
        }
        std::optional<std::string> bytes;
        if (source) {
            bytes = readAll(*source);
            if (!bytes) error = lastSystemError();
        }
        if (!bytes) {
            if (!error) error = std::make_error_code(std::errc::io_error);
            printer_.error("sumwise-cli: " + sums.name + ": " + errorText(error));
            unreadableSums_ = true;
            return std::nullopt;
        }
        sums.file = readSumsFile(*bytes, rules);
        return sums;
    }

    static std::string ambiguity(const std::vector<LoadedSums>& loaded) {
        for (const LoadedSums& sums : loaded) {
            for (const SumsEntry& entry : sums.file.entries) {
                if (entry.kind != SumsEntry::Kind::Ambiguous) continue;
                std::string names;
                for (std::size_t i = 0; i < entry.candidates.size(); ++i) {
                    if (i > 0) names += i + 1 == entry.candidates.size() ? " and " : ", ";
                    names += entry.candidates[i]->name;
                }
                return "sumwise-cli: " + sums.name + ": " + std::to_string(entry.line) + ": a digest of " +
                       std::to_string(entry.digest.size()) + " digits may be " + names +
                       ": name the algorithm with -a";
            }
        }
        return {};
    }

    // False when the output failed.
    bool check(const LoadedSums& sums) {
        std::size_t malformed = 0;
        std::size_t proper = 0;
        std::size_t unreadable = 0;
        std::size_t mismatched = 0;
        std::size_t verified = 0;
        for (const SumsEntry& entry : sums.file.entries) {
            if (entry.kind != SumsEntry::Kind::Check) {
                ++malformed;
                if (checking_.warn && !checking_.status) {
                    printer_.error("sumwise-cli: " + sums.name + ": " + std::to_string(entry.line) +
                                   ": improperly formatted checksum line");
                }
                continue;
            }
            ++proper;
            std::filesystem::path path = entry.besideSumsFile ? sums.input->path : pathFromName(entry.name);
            if (entry.besideSumsFile) path.replace_extension();
            const Hashed hashed =
                hashFileInput(path, {entry.algorithm}, options_.params, environment_, entry.name);
            bool escaped = false;
            const std::string shown = printableName(entry.name, escaped);
            const std::string lead = escaped ? "\\" : "";
            if (!hashed.ok()) {
                if (checking_.ignoreMissing && hashed.failure == Hashed::Failure::Open &&
                    hashed.error.default_error_condition() == std::errc::no_such_file_or_directory) {
                    continue;
                }
                ++unreadable;
                if (!checking_.status) {
                    printer_.error(failureMessage(shown, hashed));
                    if (!printer_.line(lead + shown + ": FAILED open or read")) return false;
                }
                continue;
            }
            ++verified;
            const bool match = sameDigest(entry.digest, digestText(hashed.digests.front(), LetterCase::Upper));
            if (!match) ++mismatched;
            if (checking_.status || (match && checking_.quiet)) continue;
            if (!printer_.line(lead + shown + (match ? ": OK" : ": FAILED"))) return false;
        }

        if (proper == 0) {
            printer_.error("sumwise-cli: " + sums.name + ": no properly formatted checksum lines found");
            failed_ = true;
            return true;
        }
        if (!checking_.status) {
            if (malformed > 0) {
                printer_.error("sumwise-cli: WARNING: " +
                               plural(malformed, "line is improperly formatted", "lines are improperly formatted"));
            }
            if (unreadable > 0) {
                printer_.error("sumwise-cli: WARNING: " +
                               plural(unreadable, "listed file could not be read", "listed files could not be read"));
            }
            if (mismatched > 0) {
                printer_.error("sumwise-cli: WARNING: " + plural(mismatched, "computed checksum did NOT match",
                                                                 "computed checksums did NOT match"));
            }
            if (checking_.ignoreMissing && verified == 0 && unreadable == 0) {
                printer_.error("sumwise-cli: " + sums.name + ": no file was verified");
            }
        }
        if (unreadable > 0 || mismatched > 0 || (checking_.strict && malformed > 0) ||
            (checking_.ignoreMissing && verified == 0 && unreadable == 0)) {
            failed_ = true;
        }
        return true;
    }

    const Options& options_;
    const CheckOptions& checking_;
    Environment& environment_;
    Printer printer_;
    bool unreadableSums_ = false;
    bool failed_ = false;
};

}  // namespace

int runCheck(const Options& options, Environment& environment) { return Checker(options, environment).run(); }

}  // namespace sumwise::cli
