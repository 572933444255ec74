#include "cli/check.h"

#include <memory>
#include <optional>

#include "cli/hash_input.h"
#include "cli/printer.h"
#include "results/sums_file.h"
#include "cli/system.h"
#include "jobs/input_source.h"
#include "jobs/ordered_pool.h"
#include "jobs/streaming.h"
#include "results/sums_check.h"
#include "results/sums_file.h"

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

struct Tally {
    std::size_t malformed = 0;
    std::size_t proper = 0;
    std::size_t unreadable = 0;
    std::size_t mismatched = 0;
    std::size_t verified = 0;
};

// Results checked at once and not yet told.
constexpr std::size_t kWindow = 64;
// Lines in a row naming one file are checked with one read; a long run of
// them is cut so the lines held stay few.
constexpr std::size_t kLongestRun = 64;

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
        Tally tally;
        // The lines of a sums file on disk are checked several at once, each
        // told in its order: the pool holds at most kWindow results waiting.
        // Lines from a pipe are checked one by one as they come.
        std::optional<OrderedPool> pool;
        if (sums.source->size() && processorCount() > 1) pool.emplace(processorCount(), kWindow);
        SumsFileReader reader(*sums.source, rulesFor(sums));
        std::vector<SumsEntry> run;  // lines in a row naming one file, not yet given
        auto flush = [&]() -> bool {
            if (run.empty()) return true;
            std::filesystem::path path = namedPath(run.front(), sums.input->path, {}, pathFromName(run.front().name));
            auto checked = std::make_shared<std::pair<std::vector<SumsEntry>, FileRead>>(std::move(run), FileRead{});
            run.clear();
            auto work = [this, checked, path, beside = pool.has_value()] {
                checked->second = readFile(path, checked->first, beside);
            };
            auto deliver = [this, checked, &tally] {
                for (const SumsEntry& line : checked->first) {
                    if (!tell(line, checked->second, tally)) return false;
                }
                return true;
            };
            if (pool) return pool->give(work, deliver);
            work();
            return deliver();
        };
        while (std::optional<SumsEntry> next = reader.next()) {
            SumsEntry& entry = *next;
            if (!run.empty() && (entry.kind != SumsEntry::Kind::Check || entry.name != run.front().name ||
                                 entry.besideSumsFile != run.front().besideSumsFile || run.size() == kLongestRun)) {
                if (!flush()) return false;
            }
            if (entry.kind == SumsEntry::Kind::Ambiguous) {
                if (pool && !pool->deliverAll()) return false;
                printer_.error(ambiguity(sums, entry));
                ambiguous_ = true;
                return true;
            }
            if (entry.kind != SumsEntry::Kind::Check) {
                ++tally.malformed;
                if (checking_.warn && !checking_.status) {
                    auto warn = [this, message = "sumwise-cli: " + sums.name + ": " + std::to_string(entry.line) +
                                                 ": improperly formatted checksum line"] {
                        printer_.error(message);
                        return true;
                    };
                    // In its place among the lines checked at once.
                    if (pool) {
                        pool->give([] {}, warn);
                    } else {
                        warn();
                    }
                }
                continue;
            }
            ++tally.proper;
            run.push_back(std::move(entry));
            // From a pipe each line is told as soon as it comes.
            if (!pool && !flush()) return false;
        }
        if (!flush()) return false;
        if (pool && !pool->deliverAll()) return false;
        if (reader.failed()) {
            // What came before the failure has been checked and told.
            sumsUnreadable(sums.name, sums.source->error() ? sums.source->error() : lastSystemError());
            return true;
        }

        if (tally.proper == 0) {
            printer_.error("sumwise-cli: " + sums.name + ": no properly formatted checksum lines found");
            failed_ = true;
            return true;
        }
        if (!checking_.status) {
            if (tally.malformed > 0) {
                printer_.error("sumwise-cli: WARNING: " + plural(tally.malformed, "line is improperly formatted",
                                                                 "lines are improperly formatted"));
            }
            if (tally.unreadable > 0) {
                printer_.error("sumwise-cli: WARNING: " + plural(tally.unreadable, "listed file could not be read",
                                                                 "listed files could not be read"));
            }
            if (tally.mismatched > 0) {
                printer_.error("sumwise-cli: WARNING: " + plural(tally.mismatched, "computed checksum did NOT match",
                                                                 "computed checksums did NOT match"));
            }
            if (checking_.ignoreMissing && tally.verified == 0 && tally.unreadable == 0) {
                printer_.error("sumwise-cli: " + sums.name + ": no file was verified");
            }
        }
        if (tally.unreadable > 0 || tally.mismatched > 0 || (checking_.strict && tally.malformed > 0) ||
            (checking_.ignoreMissing && tally.verified == 0 && tally.unreadable == 0)) {
            failed_ = true;
        }
        return true;
    }

    // One read of a file for the algorithms of its lines.
    FileRead readFile(const std::filesystem::path& path, const std::vector<SumsEntry>& lines, bool beside) {
        std::vector<const SumsEntry*> pointers;
        for (const SumsEntry& line : lines) pointers.push_back(&line);
        FileRead read;
        read.algorithms = algorithmsOf(pointers);
        Hashed hashed = hashFileInput(path, read.algorithms, options_.params, environment_, lines.front().name, beside);
        read.bytesRead = hashed.bytesRead;
        read.error = hashed.error;
        read.failure = hashed.failure == Hashed::Failure::Open   ? FileRead::Failure::Open
                       : hashed.failure == Hashed::Failure::Read ? FileRead::Failure::Read
                                                                 : FileRead::Failure::None;
        read.digests = std::move(hashed.digests);
        return read;
    }

    // Tells one line's result; false when the output failed.
    bool tell(const SumsEntry& entry, const FileRead& read, Tally& tally) {
        bool escaped = false;
        const std::string shown = printableName(entry.name, escaped);
        const LineStatus status = lineStatus(entry, read);
        if (status == LineStatus::Missing || status == LineStatus::Unreadable) {
            if (checking_.ignoreMissing && status == LineStatus::Missing) return true;
            ++tally.unreadable;
            if (!checking_.status) {
                Hashed hashed;
                hashed.failure = read.failure == FileRead::Failure::Read ? Hashed::Failure::Read : Hashed::Failure::Open;
                hashed.error = read.error;
                hashed.bytesRead = read.bytesRead;
                printer_.error(failureMessage(shown, hashed));
                if (!printer_.line(checkReportLine(shown, escaped, status))) return false;
            }
            return true;
        }
        ++tally.verified;
        const bool match = status == LineStatus::Ok;
        if (!match) ++tally.mismatched;
        if (checking_.status || (match && checking_.quiet)) return true;
        return printer_.line(checkReportLine(shown, escaped, status));
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
