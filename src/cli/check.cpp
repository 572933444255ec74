#include "cli/check.h"

#include <memory>
#include <optional>

#include "cli/hash_input.h"
#include "cli/printer.h"
#include "cli/sums_file.h"
#include "cli/system.h"
#include "jobs/input_source.h"

namespace sumwise::cli {

namespace {

struct OpenedSums {
    const Input* input = nullptr;
    std::string name;  // as messages give it
    std::unique_ptr<InputSource> source;
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

class Checker {
public:
    Checker(const Options& options, Environment& environment)
        : options_(options), checking_(options.checking), environment_(environment), printer_(environment) {}

    int run() {
        rules_.digits = digestDigitCounts(options_.params);
        if (options_.algorithmsGiven) {
            for (const AlgorithmEntry& algorithm : algorithms()) {
                if ((options_.algorithms & algorithm.flag) != 0) rules_.forced.push_back(&algorithm);
            }
        }
        // Every sums file is opened first, and read through once when an
        // untagged digest could have several algorithms: that is a usage
        // error before anything is checked. Standard input cannot be read
        // twice; there such a line ends the run when it is reached.
        std::vector<OpenedSums> opened;
        for (const Input& input : options_.inputs) {
            if (auto sums = open(input)) opened.push_back(std::move(*sums));
        }
        if (rules_.forced.size() != 1) {
            for (OpenedSums& sums : opened) {
                if (sums.input->kind == Input::Kind::StandardInput) continue;
                SumsFileReader reader(*sums.source, rulesFor(sums));
                while (auto entry = reader.next()) {
                    if (entry->kind != SumsEntry::Kind::Ambiguous) continue;
                    printer_.error(ambiguity(sums, *entry));
                    return kExitUsage;
                }
                sums.source = reopen(sums);
            }
        }
        for (const OpenedSums& sums : opened) {
            if (!sums.source) continue;
            if (!check(sums)) return kExitUnreadable;  // the output failed
            if (ambiguous_) return kExitUsage;
        }
        if (unreadableSums_) return kExitUsage;
        return failed_ ? kExitUnreadable : kExitSuccess;
    }

private:
    SumsFileRules rulesFor(const OpenedSums& sums) const {
        SumsFileRules rules = rules_;
        if (sums.input->kind != Input::Kind::StandardInput) rules.fileName = sums.input->name;
        return rules;
    }

    void sumsUnreadable(const std::string& name, std::error_code error) {
        if (!error) error = std::make_error_code(std::errc::io_error);
        printer_.error("sumwise-cli: " + name + ": " + errorText(error));
        unreadableSums_ = true;
    }

    std::optional<OpenedSums> open(const Input& input) {
        OpenedSums sums;
        sums.input = &input;
        std::error_code error;
        if (input.kind == Input::Kind::StandardInput) {
            sums.name = "standard input";
            if (environment_.standardInputClosed) {
                error = environment_.standardInputClosed;
            } else {
                sums.source = environment_.openStandardInput();
            }
        } else {
            sums.name = errorName(input.name);
            sums.source = openInput(systemPath(input.path));
            if (!sums.source) {
                error = lastSystemError();
                std::error_code ignored;
                if (std::filesystem::is_directory(systemPath(input.path), ignored)) {
                    error = std::make_error_code(std::errc::is_a_directory);
                }
            }
        }
        if (!sums.source) {
            sumsUnreadable(sums.name, error);
            return std::nullopt;
        }
        return sums;
    }

    // The file again from its start, after the look for ambiguous lines.
    std::unique_ptr<InputSource> reopen(const OpenedSums& sums) {
        if (sums.source->failed()) {
            sumsUnreadable(sums.name, sums.source->error());
            return nullptr;
        }
        auto source = openInput(systemPath(sums.input->path));
        if (!source) sumsUnreadable(sums.name, lastSystemError());
        return source;
    }

    static std::string ambiguity(const OpenedSums& sums, const SumsEntry& entry) {
        std::string names;
        for (std::size_t i = 0; i < entry.candidates.size(); ++i) {
            if (i > 0) names += i + 1 == entry.candidates.size() ? " and " : ", ";
            names += entry.candidates[i]->asciiName();
        }
        return "sumwise-cli: " + sums.name + ": " + std::to_string(entry.line) + ": a digest of " +
               std::to_string(entry.digest.size()) + " digits may be " + names + ": name the algorithm with -a";
    }

    // False when the output failed.
    bool check(const OpenedSums& sums) {
        std::size_t malformed = 0;
        std::size_t proper = 0;
        std::size_t unreadable = 0;
        std::size_t mismatched = 0;
        std::size_t verified = 0;
        SumsFileReader reader(*sums.source, rulesFor(sums));
        while (const std::optional<SumsEntry> next = reader.next()) {
            const SumsEntry& entry = *next;
            if (entry.kind == SumsEntry::Kind::Ambiguous) {
                printer_.error(ambiguity(sums, entry));
                ambiguous_ = true;
                return true;
            }
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
        if (reader.failed()) {
            // What came before the failure has been checked and told.
            sumsUnreadable(sums.name, sums.source->error() ? sums.source->error() : lastSystemError());
            return true;
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
    SumsFileRules rules_;
    bool ambiguous_ = false;
    bool unreadableSums_ = false;
    bool failed_ = false;
};

}  // namespace

int runCheck(const Options& options, Environment& environment) { return Checker(options, environment).run(); }

}  // namespace sumwise::cli
