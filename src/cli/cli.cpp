#include "cli/cli.h"

#include <optional>
#include <string>

#include "algorithms/digest.h"
#include "app/version.h"
#include "cli/progress_line.h"
#include "jobs/fan_out.h"
#include "jobs/registry.h"
#include "jobs/streaming.h"

namespace sumwise::cli {

namespace {

std::vector<const AlgorithmEntry*> chosenAlgorithms(std::uint32_t mask) {
    std::vector<const AlgorithmEntry*> chosen;
    for (const AlgorithmEntry& entry : algorithms()) {
        if ((mask & entry.flag) != 0 && entry.available()) chosen.push_back(&entry);
    }
    return chosen;
}

// The "%11s: %s" line of the program's copied results.
std::string resultLine(const AlgorithmEntry& entry, const std::string& digest) {
    std::string name = entry.asciiName();
    if (name.size() < 11) name.insert(0, 11 - name.size(), ' ');
    return name + ": " + digest;
}

struct Hashed {
    StreamOutcome outcome;
    std::vector<Digest> digests;
};

Hashed hashSource(InputSource& source, const std::vector<const AlgorithmEntry*>& chosen, const Options& options,
                  const Environment& environment, const std::string& name) {
    std::vector<std::unique_ptr<Hasher>> hashers;
    for (const AlgorithmEntry* entry : chosen) hashers.push_back(entry->newHasher(options.params));
    FanOut fanOut(std::move(hashers), environment.threads);

    std::optional<ProgressLine> progress;
    StreamControl control;
    if (environment.errIsTerminal) {
        progress.emplace(environment.err, name, source.size());
        control.progress = &*progress;
    }
    Hashed hashed;
    hashed.outcome = streamInput(
        source, [&](const std::uint8_t* data, std::size_t size) { fanOut.feed(data, size); }, &control);
    // A digest of part of the input would look like the real one: none is made.
    hashed.digests = fanOut.end(hashed.outcome.status == StreamStatus::Complete);
    return hashed;
}

Hashed hashText(const std::string& text, const std::vector<const AlgorithmEntry*>& chosen, const Options& options) {
    Hashed hashed;
    for (const AlgorithmEntry* entry : chosen) hashed.digests.push_back(sumwise::hashText(*entry, text, options.params));
    hashed.outcome.bytesRead = text.size();
    return hashed;
}

void printDigests(const Input& input, const Hashed& hashed, const std::vector<const AlgorithmEntry*>& chosen,
                  LetterCase letterCase, std::ostream& out) {
    if (chosen.size() == 1) {
        out << digestText(hashed.digests[0], letterCase) << "  " << input.name << '\n';
    } else {
        out << input.name << '\n';
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            out << resultLine(*chosen[i], digestText(hashed.digests[i], letterCase)) << '\n';
        }
    }
    out.flush();
}

// Hashes one input and prints its digests; false when it could not be read.
bool processInput(const Input& input, const std::vector<const AlgorithmEntry*>& chosen, const Options& options,
                  Environment& environment) {
    const LetterCase letterCase = options.lowerCase ? LetterCase::Lower : LetterCase::Upper;
    if (input.kind == Input::Kind::Text) {
        printDigests(input, hashText(input.text, chosen, options), chosen, letterCase, environment.out);
        return true;
    }
    const std::unique_ptr<InputSource> source =
        input.kind == Input::Kind::StandardInput ? environment.openStandardInput() : openInput(input.path);
    if (!source) {
        environment.err << "sumwise-cli: " << input.name << ": cannot open for reading\n";
        return false;
    }
    const Hashed hashed = hashSource(*source, chosen, options, environment, input.name);
    if (hashed.outcome.status != StreamStatus::Complete) {
        // A digest of part of the input would look like the real one: print none.
        environment.err << "sumwise-cli: " << input.name << ": read error after " << hashed.outcome.bytesRead
                        << " bytes\n";
        return false;
    }
    printDigests(input, hashed, chosen, letterCase, environment.out);
    return true;
}

}  // namespace

int run(const std::vector<Argument>& arguments, Environment& environment) {
    const ParseResult parsed = parseArguments(arguments);
    if (!parsed.ok()) {
        environment.err << "sumwise-cli: " << parsed.error << "\nTry 'sumwise-cli --help' for more information.\n";
        return kExitUsage;
    }
    const Options& options = parsed.options;
    if (options.help) {
        environment.out << usageText();
        return kExitSuccess;
    }
    if (options.version) {
        environment.out << "sumwise-cli " << kVersionText << '\n';
        return kExitSuccess;
    }
    const std::vector<const AlgorithmEntry*> chosen = chosenAlgorithms(options.algorithms);
    if (chosen.empty()) {
        environment.err << "sumwise-cli: no algorithm is available\n";
        return kExitUsage;
    }
    int status = kExitSuccess;
    for (const Input& input : options.inputs) {
        if (!processInput(input, chosen, options, environment)) status = kExitUnreadable;
    }
    return status;
}

}  // namespace sumwise::cli
