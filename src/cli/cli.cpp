#include "cli/cli.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "algorithms/algorithm_table.h"
#include "algorithms/digest.h"
#include "cli/check.h"
#include "cli/folder_walk.h"
#include "cli/hash_input.h"
#include "results/parameter_tag.h"
#include "cli/printer.h"
#include "cli/system.h"
#include "cli/verify_update.h"
#include "jobs/ordered_pool.h"
#include "jobs/streaming.h"
#include "resources/version.h"
#include "results/hash_file.h"

namespace sumwise::cli {

namespace {

std::vector<const AlgorithmEntry*> chosenAlgorithms(AlgorithmMask mask) {
    std::vector<const AlgorithmEntry*> chosen;
    for (const AlgorithmEntry& entry : algorithms()) {
        if ((mask & entry.flag()) != 0) chosen.push_back(&entry);
    }
    return chosen;
}

// The "%11s: %s" line of the program's copied results.
std::string resultLine(const AlgorithmEntry& entry, const std::string& digest) {
    std::string name(entry.name);
    if (name.size() < 11) name.insert(0, 11 - name.size(), ' ');
    return name + ": " + digest;
}

// Inputs hashed on several threads at once, given and not yet printed, per thread.
constexpr std::size_t kWindowPerThread = 32;
// An input this large is hashed alone, its algorithms spread over the cores.
constexpr std::uintmax_t kLargeInput = std::uintmax_t{64} << 20;

class Hashing {
public:
    Hashing(const Options& options, Environment& environment)
        : options_(options),
          environment_(environment),
          printer_(environment),
          chosen_(chosenAlgorithms(options.algorithms)),
          letterCase_(options.lowerCase ? LetterCase::Lower : LetterCase::Upper) {}

    int run() {
        if (chosen_.empty()) {
            printer_.error("sumwise-cli: no algorithm is available");
            return kExitUsage;
        }
        // Several inputs are hashed at once, one per thread, each read once and
        // printed in order. Memory held: the pool's window of results (32 per
        // thread: digests and names, a few KiB each) plus one block (512 KiB)
        // per thread; an input of kLargeInput or more is hashed alone with
        // today's fan-out (at most 8 + 1 blocks).
        const unsigned threads = environment_.threads != 0 ? environment_.threads : processorCount();
        if (threads > 1 && (options_.recursive || options_.inputs.size() > 1)) {
            pool_.emplace(threads, kWindowPerThread * threads);
        }
        if (options_.save) hashSavedOverFirst();
        for (const Input& input : options_.inputs) {
            if (!process(input)) return kExitUnreadable;  // the output failed
        }
        if (pool_ && !pool_->deliverAll()) return kExitUnreadable;
        return failed_ ? kExitUnreadable : kExitSuccess;
    }

private:
    // An input that is also a hash file this run saves (`f.md5` beside `f`)
    // is hashed before anything is saved, whatever the order of the
    // arguments: it is told in its place with what it held at the start.
    void hashSavedOverFirst() {
        for (const Input& input : options_.inputs) {
            if (input.kind != Input::Kind::File || !isSavedOver(input)) continue;
            earlier_.emplace(&input, hashFileInput(input.path, chosen_, options_.params, environment_, input.name));
        }
    }

    bool isSavedOver(const Input& candidate) const {
        const auto extension = candidate.path.extension().native();  // with its dot, or empty
        const AlgorithmEntry* owner = extension.empty() ? nullptr : algorithmWithExtension(extension.substr(1));
        if (owner == nullptr || std::find(chosen_.begin(), chosen_.end(), owner) == chosen_.end()) return false;
        std::filesystem::path saved = candidate.path;
        saved.replace_extension();
        for (const Input& input : options_.inputs) {
            std::error_code ignored;
            if (input.kind == Input::Kind::File &&
                std::filesystem::equivalent(systemPath(input.path), systemPath(saved), ignored)) {
                return true;
            }
        }
        return false;
    }

    // False when the output failed and the work stops.
    bool process(const Input& input) {
        if (const auto found = earlier_.find(&input); found != earlier_.end()) {
            const Hashed& hashed = found->second;
            return deliverInTurn(pool_, [this, &input, &hashed] { return finished(input.path, input.name, hashed); });
        }
        if (input.kind != Input::Kind::File && pool_ && !pool_->deliverAll()) return false;
        switch (input.kind) {
        case Input::Kind::Text:
            return print(input.name, hashTextInput(input.text, chosen_, options_.params).digests);
        case Input::Kind::StandardInput:
            // What came before is shown before the program waits for its input.
            if (!printer_.flush()) return false;
            return done(input.name, hashStandardInput(chosen_, options_.params, environment_));
        case Input::Kind::File:
            break;
        }
        std::error_code ignored;
        if (options_.recursive && std::filesystem::is_directory(systemPath(input.path), ignored)) {
            FolderWalk walk;
            if (options_.save) {
                for (const AlgorithmEntry* entry : chosen_) walk.savedExtensions.emplace_back(entry->extension);
            }
            walk.file = [&](const std::filesystem::path& path, const std::string& name) { return file(path, name); };
            walk.passed = [&](const std::string& name, const std::string& why, bool failure) {
                // In its place among the files hashed at once.
                deliverInTurn(pool_, [this, name, why, failure] {
                    printer_.error("sumwise-cli: " + errorName(name) + ": " + why);
                    failed_ = failed_ || failure;
                    return !printer_.failed();
                });
            };
            return walk.walk(input.path, input.name);
        }
        return file(input.path, input.name);
    }

    bool file(const std::filesystem::path& path, const std::string& name) {
        if (pool_) {
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(systemPath(path), error);
            if (error || size < kLargeInput) {
                auto hashed = std::make_shared<Hashed>();
                return pool_->give(
                    [this, hashed, path, name] {
                        *hashed = hashFileInput(path, chosen_, options_.params, environment_, name, true);
                    },
                    [this, hashed, path, name] { return finished(path, name, *hashed); });
            }
            // A long read ahead: what came before is shown first.
            if (!pool_->deliverAll() || !printer_.flush()) return false;
        }
        const Hashed hashed = hashFileInput(path, chosen_, options_.params, environment_, name);
        return finished(path, name, hashed);
    }

    bool finished(const std::filesystem::path& path, const std::string& name, const Hashed& hashed) {
        if (options_.save && hashed.ok()) return save(path, name, hashed.digests);
        return done(name, hashed);
    }

    bool done(const std::string& name, const Hashed& hashed) {
        if (hashed.ok()) return print(name, hashed.digests);
        printer_.error(failureMessage(errorName(name), hashed));
        failed_ = true;
        return !printer_.failed();
    }

    bool print(const std::string& name, const std::vector<Digest>& digests) {
        bool escaped = false;
        const std::string shown = printableName(name, escaped);
        const std::string lead = escaped ? "\\" : "";
        if (options_.tag) {
            for (std::size_t i = 0; i < chosen_.size(); ++i) {
                if (!printer_.line(lead + taggedName(*chosen_[i], options_.params) + " (" + shown +
                                   ") = " + digestText(digests[i], letterCase_))) {
                    return false;
                }
            }
            return true;
        }
        if (chosen_.size() == 1) return printer_.line(lead + digestText(digests[0], letterCase_) + "  " + shown);
        if (!printer_.line(lead + shown)) return false;
        for (std::size_t i = 0; i < chosen_.size(); ++i) {
            if (!printer_.line(resultLine(*chosen_[i], digestText(digests[i], letterCase_)))) return false;
        }
        return true;
    }

    // The program's hash files beside the input, one per algorithm.
    bool save(const std::filesystem::path& path, const std::string& name, const std::vector<Digest>& digests) {
        for (std::size_t i = 0; i < chosen_.size(); ++i) {
            const std::string extension = "." + std::string(chosen_[i]->extension);
            std::filesystem::path target = path;
            target += extension;
            const std::string targetName = name + extension;
            std::error_code error =
                writeWholeFile(systemPath(target), hashFileContent(digestText(digests[i], letterCase_)));
            std::error_code ignored;
            if (error && std::filesystem::is_directory(systemPath(target), ignored)) {
                error = std::make_error_code(std::errc::is_a_directory);  // Windows says "Access denied"
            }
            if (error) {
                printer_.error("sumwise-cli: " + errorName(targetName) + ": cannot save: " + errorText(error));
                failed_ = true;
                if (printer_.failed()) return false;
                continue;
            }
            bool escaped = false;
            const std::string shown = printableName(targetName, escaped);
            if (!printer_.line((escaped ? "\\" : "") + shown + ": saved")) return false;
        }
        return true;
    }

    const Options& options_;
    Environment& environment_;
    Printer printer_;
    std::vector<const AlgorithmEntry*> chosen_;
    LetterCase letterCase_;
    bool failed_ = false;
    std::optional<OrderedPool> pool_;
    std::map<const Input*, Hashed> earlier_;  // inputs hashed before the saving starts
};

}  // namespace

int run(const std::vector<Argument>& arguments, Environment& environment) {
    if (!arguments.empty() && arguments[0].text == kVerifyUpdateOption) return verifyUpdate(arguments, environment);
    const ParseResult parsed = parseArguments(arguments);
    if (!parsed.ok()) {
        environment.err << "sumwise-cli: " << parsed.error << "\nTry 'sumwise-cli --help' for more information.\n";
        return kExitUsage;
    }
    const Options& options = parsed.options;
    Printer printer(environment);
    if (options.help || options.version) {
        const bool written = options.help ? printer.line(usageText().substr(0, usageText().size() - 1))
                                          : printer.line(std::string("sumwise-cli ") + kVersionText);
        return written ? kExitSuccess : kExitUnreadable;
    }
    for (const std::string& warning : options.warnings) printer.error("sumwise-cli: warning: " + warning);
    if (options.check) return runCheck(options, environment);
    return Hashing(options, environment).run();
}

}  // namespace sumwise::cli
