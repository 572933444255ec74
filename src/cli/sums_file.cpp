#include "cli/sums_file.h"

#include "jobs/streaming.h"
#include "results/sums_line.h"

namespace sumwise::cli {

namespace {

std::string_view trimmedRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string_view baseName(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of("/\\");
    return slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
}

// The algorithm a hash file's extension names ("disk.iso.sha-256"), or null.
const AlgorithmEntry* extensionAlgorithm(std::string_view fileName) {
    const std::string_view base = baseName(fileName);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return nullptr;
    return algorithmForTag(base.substr(dot + 1));
}

// Sets the algorithm of an untagged entry, or marks why it has none.
void chooseUntagged(SumsEntry& entry, const SumsFileRules& rules, const AlgorithmEntry* named) {
    const std::size_t digits = entry.digest.size();
    auto fits = [&](const AlgorithmEntry& algorithm) {
        return rules.digits[static_cast<std::size_t>(&algorithm - algorithms().data())] == digits;
    };
    std::vector<const AlgorithmEntry*> candidates;
    if (!rules.forced.empty()) {
        for (const AlgorithmEntry* algorithm : rules.forced) {
            if (fits(*algorithm)) candidates.push_back(algorithm);
        }
    } else if (named != nullptr) {
        if (fits(*named)) candidates.push_back(named);
    } else {
        for (const AlgorithmEntry& algorithm : algorithms()) {
            if (fits(algorithm)) candidates.push_back(&algorithm);
        }
    }
    if (candidates.size() == 1) {
        entry.kind = SumsEntry::Kind::Check;
        entry.algorithm = candidates.front();
    } else if (candidates.empty()) {
        entry.kind = SumsEntry::Kind::Malformed;
    } else {
        entry.kind = SumsEntry::Kind::Ambiguous;
        entry.candidates = std::move(candidates);
    }
}

SumsEntry entryOf(std::size_t number, std::string_view line, const SumsFileRules& rules,
                  const AlgorithmEntry* named) {
    SumsEntry entry;
    entry.line = number;
    auto parsed = parseSumsLineLeniently(line);
    if (!parsed) return entry;
    entry.name = std::move(parsed->name);
    entry.digest = std::move(parsed->digest);
    if (!parsed->tagged) {
        chooseUntagged(entry, rules, named);
        return entry;
    }
    const AlgorithmEntry* algorithm = algorithmForTag(parsed->algorithm);
    if (algorithm == nullptr) return entry;
    const std::size_t row = static_cast<std::size_t>(algorithm - algorithms().data());
    if (rules.digits[row] != entry.digest.size()) return entry;
    entry.kind = SumsEntry::Kind::Check;
    entry.algorithm = algorithm;
    return entry;
}

bool isContent(std::string_view line) { return !line.empty() && line.front() != '#'; }

}  // namespace

std::array<std::size_t, kAlgorithmCount> digestDigitCounts(const AlgorithmParams& params) {
    std::array<std::size_t, kAlgorithmCount> digits{};
    for (std::size_t row = 0; row < kAlgorithmCount; ++row) {
        const AlgorithmEntry& algorithm = algorithms()[row];
        digits[row] = hashText(algorithm, {}, params).hexDigits;
    }
    return digits;
}

SumsFile readSumsFile(std::string_view bytes, const SumsFileRules& rules) {
    const HashFileValue text = decodeTextFile(bytes);
    SumsFile file;
    file.encoding = text.encoding;
    const std::vector<std::string_view> lines = splitSumsLines(text.text);

    // The program's own hash file: one digest and nothing else, named INPUT.EXT.
    std::size_t contentLines = 0;
    std::size_t lastContent = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!trimmedRight(lines[i]).empty()) {
            ++contentLines;
            lastContent = i;
        }
    }
    const AlgorithmEntry* extension = extensionAlgorithm(rules.fileName);
    if (contentLines == 1 && extension != nullptr && isHexDigits(trimmedRight(lines[lastContent]))) {
        SumsEntry entry;
        entry.line = lastContent + 1;
        entry.digest = std::string(trimmedRight(lines[lastContent]));
        const std::string_view name = rules.fileName;
        entry.name = std::string(name.substr(0, name.rfind('.')));
        entry.besideSumsFile = true;
        chooseUntagged(entry, rules, extension);
        file.entries.push_back(std::move(entry));
        return file;
    }

    const AlgorithmEntry* named = algorithmForSumsFileName(rules.fileName);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isContent(lines[i])) file.entries.push_back(entryOf(i + 1, lines[i], rules, named));
    }
    return file;
}

}  // namespace sumwise::cli
