#include "cli/check.h"

#include <memory>
#include <optional>

#include "cli/hash_input.h"
#include "cli/printer.h"
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

// The results told so far are shown before more of the sums file is read:
// from a pipe, the program may wait a long time for its next line.
class ShowingBeforeWait final : public InputSource {
public:
    ShowingBeforeWait(InputSource& source, Printer& printer) : source_(source), printer_(printer) {}
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        printer_.flush();
        return source_.read(buffer, capacity);
    }
    std::size_t readSome(std::uint8_t* buffer, std::size_t capacity) override {
        printer_.flush();
        return source_.readSome(buffer, capacity);
    }
    bool failed() const override { return source_.failed(); }
    std::optional<std::uint64_t> size() const override { return source_.size(); }
    std::error_code error() const override { return source_.error(); }

private:
    InputSource& source_;
    Printer& printer_;
};

// Results checked at once and not yet told, per thread.
constexpr std::size_t kWindowPerThread = 32;
// Lines in a row naming one file are checked with one read; a long run of
// them is cut so the lines held stay few.
constexpr std::size_t kLongestRun = 64;

class Checker {
public:
    Checker(const Options& options, Environment& environment)
        : options_(options), checking_(options.checking), environment_(environment), printer_(environment) {}

    int run() {
        rules_.digits = digestDigitCounts(options_.params);
        rules_.params = options_.params;
        if (options_.algorithmsGiven) {
            for (const AlgorithmEntry& algorithm : algorithms()) {
                if ((options_.algorithms & algorithm.flag()) != 0) rules_.forced.push_back(&algorithm);
            }
        }
        // Every sums file is opened first, so that one that cannot be opened
        // is told before any line is checked.
        std::vector<OpenedSums> opened;
        for (const Input& input : options_.inputs) {
            if (auto sums = open(input)) opened.push_back(std::move(*sums));
        }
        for (const OpenedSums& sums : opened) {
            if (!check(sums)) return kExitUnreadable;  // the output failed
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

    static std::string algorithmList(const std::vector<const AlgorithmEntry*>& list) {
        std::string names;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i > 0) names += i + 1 == list.size() ? " and " : ", ";
            names += list[i]->name;
        }
        return names;
    }

    // What --warn says of a line that is not checked, or whose algorithm its length chose.
    static std::string lineNote(const OpenedSums& sums, const SumsEntry& entry) {
        const std::string where = "sumwise-cli: " + sums.name + ": " + std::to_string(entry.line) + ": ";
        const std::string digits = std::to_string(entry.digest.size());
        if (entry.kind == SumsEntry::Kind::Ambiguous) {
            return where + "improperly formatted checksum line: a digest of " + digits + " digits may be " +
                   algorithmList(entry.candidates) + " (name the algorithm with -a or a tag)";
        }
        if (entry.kind == SumsEntry::Kind::Check) {
            return where + "a digest of " + digits + " digits taken as " + std::string(entry.algorithm->name) +
                   " (" + algorithmList(entry.candidates) + (entry.candidates.size() == 1 ? " has" : " have") +
                   " that length too; -a chooses another)";
        }
        return where + "improperly formatted checksum line";
    }

    // A line's note told in its place among the lines checked at once.
    void note(std::optional<OrderedPool>& pool, std::string message) {
        deliverInTurn(pool, [this, message = std::move(message)] {
            printer_.error(message);
            return !printer_.failed();
        });
    }

    // A line naming "-": standard input, once, and not when it holds the sums file.
    Hashed hashStandardInputLine(const OpenedSums& sums, const SumsEntry& entry) {
        if (sums.input->kind == Input::Kind::StandardInput || standardInputTaken_ || environment_.standardInputClosed) {
            Hashed hashed;
            hashed.failure = Hashed::Failure::Open;
            hashed.error = environment_.standardInputClosed ? environment_.standardInputClosed
                                                            : std::make_error_code(std::errc::device_or_resource_busy);
            return hashed;
        }
        standardInputTaken_ = true;
        return hashStandardInput({entry.algorithm}, entry.params ? *entry.params : options_.params, environment_);
    }

    // False when the output failed.
    bool check(const OpenedSums& sums) {
        Tally tally;
        // The lines of a sums file on disk are checked several at once, each
        // told in its order: the pool holds at most kWindowPerThread results
        // waiting per thread.
        // Lines from a pipe are checked one by one as they come.
        std::optional<OrderedPool> pool;
        if (sums.source->size() && processorCount() > 1) pool.emplace(processorCount(), kWindowPerThread * processorCount());
        ShowingBeforeWait showing(*sums.source, printer_);
        SumsFileReader reader(showing, rulesFor(sums));
        std::vector<SumsEntry> run;  // lines in a row naming one file, not yet given
        auto giveRun = [&]() -> bool {
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
            // One read serves a run of lines naming one file with the same parameters.
            if (!run.empty() && (entry.kind != SumsEntry::Kind::Check || entry.name != run.front().name ||
                                 entry.besideSumsFile != run.front().besideSumsFile ||
                                 entry.params != run.front().params || run.size() == kLongestRun)) {
                if (!giveRun()) return false;
            }
            if (entry.kind != SumsEntry::Kind::Check) {
                ++tally.malformed;
                if (checking_.warn && !checking_.status) note(pool, lineNote(sums, entry));
                continue;
            }
            if (entry.byLength && checking_.warn && !checking_.status) note(pool, lineNote(sums, entry));
            ++tally.proper;
            if (!entry.besideSumsFile && entry.name == "-") {
                if (!giveRun()) return false;
                if (pool && !pool->deliverAll()) return false;
                if (!tell(entry, asFileRead(hashStandardInputLine(sums, entry), {entry.algorithm}), tally)) return false;
                continue;
            }
            run.push_back(std::move(entry));
            // From a pipe each line is told as soon as it comes.
            if (!pool && !giveRun()) return false;
        }
        if (!giveRun()) return false;
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
        std::vector<const AlgorithmEntry*> algorithms = algorithmsOf(pointers);
        // A run shares its parameters: those its tags carry, else the options'.
        const AlgorithmParams& params = lines.front().params ? *lines.front().params : options_.params;
        Hashed hashed = hashFileInput(path, algorithms, params, environment_, lines.front().name, beside);
        return asFileRead(std::move(hashed), std::move(algorithms));
    }

    static FileRead asFileRead(Hashed hashed, std::vector<const AlgorithmEntry*> algorithms) {
        FileRead read;
        read.algorithms = std::move(algorithms);
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
    bool standardInputTaken_ = false;
    bool unreadableSums_ = false;
    bool failed_ = false;
};

}  // namespace

int runCheck(const Options& options, Environment& environment) { return Checker(options, environment).run(); }

}  // namespace sumwise::cli
