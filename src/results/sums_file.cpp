#include "results/sums_file.h"

#include <algorithm>

#include "results/parameter_tag.h"
#include "jobs/streaming.h"
#include "results/sums_line.h"
#include "text/ascii_case.h"

namespace sumwise {

namespace {

std::string_view trimmedRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string_view baseName(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of("/\\");
    return slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
}

bool isSfvAlgorithmForced(const SumsFileRules& rules) {
    return std::any_of(rules.forced.begin(), rules.forced.end(),
                       [](const AlgorithmEntry* algorithm) { return algorithm->name == "CRC32"; });
}

bool isSfvFile(std::string_view fileName) {
    const std::string_view base = baseName(fileName);
    return base.size() > 4 && equalsIgnoringAsciiCase(base.substr(base.size() - 4), ".sfv");
}

// The algorithm a hash file's extension names ("disk.iso.sha-256"), or null.
const AlgorithmEntry* extensionAlgorithm(std::string_view fileName) {
    const std::string_view base = baseName(fileName);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return nullptr;
    return algorithmForTag(base.substr(dot + 1));
}

// The algorithm the common *sum tools write at a digest's length, or null.
const AlgorithmEntry* commonAtLength(std::size_t digits) {
    switch (digits) {
    case 32: return algorithmNamed("MD5");
    case 40: return algorithmNamed("SHA-1");
    case 56: return algorithmNamed("SHA-224");
    case 64: return algorithmNamed("SHA-256");
    case 96: return algorithmNamed("SHA-384");
    case 128: return algorithmNamed("SHA-512");
    default: return nullptr;
    }
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
        return;
    }
    if (candidates.empty()) {
        entry.kind = SumsEntry::Kind::Malformed;
        return;
    }
    const AlgorithmEntry* common = commonAtLength(digits);
    const auto found = std::find(candidates.begin(), candidates.end(), common);
    if (found == candidates.end()) {
        entry.kind = SumsEntry::Kind::Ambiguous;
        entry.candidates = std::move(candidates);
        return;
    }
    candidates.erase(found);
    entry.kind = SumsEntry::Kind::Check;
    entry.algorithm = common;
    entry.byLength = true;
    entry.candidates = std::move(candidates);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// OpenSSL's and the *sum tools' looser tagged forms: "MD5(NAME)= DIGEST",
// "MD5 (NAME)=DIGEST": a blank may stand before '(' and on each side of '='.
std::optional<SumsLine> parseLooseTagged(std::string_view line) {
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped) line.remove_prefix(1);
    const std::size_t open = line.find('(');
    const std::size_t close = line.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close <= open + 1) return std::nullopt;
    std::string_view tag = line.substr(0, open);
    if (!tag.empty() && tag.back() == ' ') tag.remove_suffix(1);
    std::string_view rest = line.substr(close + 1);
    if (rest.starts_with(' ')) rest.remove_prefix(1);
    if (!rest.starts_with('=')) return std::nullopt;
    rest.remove_prefix(1);
    if (rest.starts_with(' ')) rest.remove_prefix(1);
    if (tag.empty() || tag.find(' ') != std::string_view::npos || !isHexDigits(rest)) return std::nullopt;
    SumsLine parsed;
    parsed.tagged = true;
    parsed.algorithm = std::string(tag);
    parsed.digest = std::string(rest);
    parsed.name = std::string(line.substr(open + 1, close - open - 1));
    if (escaped) {
        auto name = unescapeSumsName(parsed.name);
        if (!name) return std::nullopt;
        parsed.name = std::move(*name);
    }
    return parsed;
}

// An SFV line: "NAME CRC32", the name running to the last blank.
std::optional<SumsLine> parseSfv(std::string_view line) {
    while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
    const std::size_t blank = line.find_last_of(" \t");
    if (blank == std::string_view::npos) return std::nullopt;
    const std::string_view digest = line.substr(blank + 1);
    std::string_view name = line.substr(0, blank);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    if (digest.size() != 8 || !isHexDigits(digest) || name.empty()) return std::nullopt;
    SumsLine parsed;
    parsed.digest = std::string(digest);
    parsed.name = std::string(name);
    return parsed;
}

// A line in any form a checker reads, leading blanks and tabs aside.
std::optional<SumsLine> parseCheckLine(std::string_view line, bool sfvFirst, bool sfv) {
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    if (sfvFirst) {
        if (auto parsed = parseSfv(line)) return parsed;
    }
    auto parsed = parseSumsLineLeniently(line);
    if (!parsed) {
        // A tab after the digest stands for the first blank.
        const std::size_t start = line.starts_with('\\') ? 1 : 0;
        std::size_t end = start;
        while (end < line.size() && isHexDigits(line.substr(end, 1))) ++end;
        if (end > start && end < line.size() && line[end] == '\t') {
            std::string spaced(line);
            spaced[end] = ' ';
            parsed = parseSumsLineLeniently(spaced);
        }
    }
    if (!parsed) parsed = parseLooseTagged(line);
    if (!parsed && sfv && !sfvFirst) parsed = parseSfv(line);
    return parsed;
}

// `sfvFile`: named *.sfv; `sfv`: SFV lines are read (such a file, or -a holding CRC32).
SumsEntry entryOf(std::size_t number, std::string_view line, const SumsFileRules& rules,
                  const AlgorithmEntry* named, bool sfvFile, bool sfv) {
    SumsEntry entry;
    entry.line = number;
    auto parsed = parseCheckLine(line, sfvFile, sfv);
    // A NUL cannot be in a file's name: such a line is badly formatted, its name never shown.
    if (!parsed || parsed->name.find('\0') != std::string::npos) return entry;
    entry.name = std::move(parsed->name);
    entry.digest = std::move(parsed->digest);
    if (!parsed->tagged) {
        chooseUntagged(entry, rules, named);
        return entry;
    }
    if (const auto withParameters = parseParameterTag(parsed->algorithm, rules.params)) {
        if (withParameters->algorithm->digestDigitsWith(withParameters->params) != entry.digest.size()) return entry;
        entry.kind = SumsEntry::Kind::Check;
        entry.algorithm = withParameters->algorithm;
        entry.params = withParameters->params;
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

bool isContent(std::string_view line, bool sfv) {
    return !line.empty() && line.front() != '#' && !(sfv && line.front() == ';');
}

}  // namespace

std::array<std::size_t, kAlgorithmCount> digestDigitCounts(const AlgorithmParams& params) {
    std::array<std::size_t, kAlgorithmCount> digits{};
    for (std::size_t row = 0; row < kAlgorithmCount; ++row) {
        const AlgorithmEntry& algorithm = algorithms()[row];
        digits[row] = hashText(algorithm, {}, params).hexDigits;
    }
    return digits;
}

namespace {

// A text in memory as a source.
class TextSource final : public InputSource {
public:
    explicit TextSource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        const std::size_t take = std::min(capacity, bytes_.size());
        std::copy_n(bytes_.data(), take, reinterpret_cast<char*>(buffer));
        bytes_.remove_prefix(take);
        return take;
    }
    bool failed() const override { return false; }
    std::optional<std::uint64_t> size() const override { return bytes_.size(); }

private:
    std::string_view bytes_;
};

constexpr std::size_t kChunk = 65536;
// Lines held while a file might be the program's own hash file: past these
// it is not one (its one digest line has blank lines about it at most).
constexpr std::size_t kMostHeldLines = 4096;

}  // namespace

SumsFile readSumsFile(std::string_view bytes, const SumsFileRules& rules) {
    TextSource source(bytes);
    SumsFileReader reader(source, rules);
    SumsFile file;
    while (auto entry = reader.next()) file.entries.push_back(std::move(*entry));
    file.encoding = reader.encoding();
    return file;
}

SumsFileReader::SumsFileReader(InputSource& source, SumsFileRules rules)
    : source_(source),
      rules_(std::move(rules)),
      extension_(extensionAlgorithm(rules_.fileName)),
      sfvFile_(isSfvFile(rules_.fileName)),
      sfv_(sfvFile_ || isSfvAlgorithmForced(rules_)),
      named_(sfvFile_ ? algorithmNamed("CRC32") : algorithmForSumsFileName(rules_.fileName)),
      chunk_(kChunk) {
    deciding_ = extension_ != nullptr;
}

void SumsFileReader::fill() {
    const std::size_t got = source_.readSome(chunk_.data(), chunk_.size());
    if (got == 0) {
        ended_ = true;
        failed_ = source_.failed();
    }
    raw_.append(reinterpret_cast<const char*>(chunk_.data()), got);
    decode();
}

void SumsFileReader::decode() {
    if (form_ == Form::Unknown) {
        if (raw_.size() < 3 && !ended_) return;  // a mark is up to 3 bytes
        const std::string_view head = raw_;
        if (head.starts_with("\xEF\xBB\xBF")) {
            form_ = Form::Bytes;
            encoding_ = TextEncoding::Utf8;
            raw_.erase(0, 3);
        } else if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
            form_ = head[0] == '\xFF' ? Form::Utf16Little : Form::Utf16Big;
            encoding_ = TextEncoding::Utf8;
            raw_.erase(0, 2);
        } else {
            form_ = Form::Bytes;
        }
    }
    if (form_ == Form::Bytes) {
        text_ += raw_;
        raw_.clear();
        return;
    }
    std::u16string units = utf16Units(raw_, form_ == Form::Utf16Big);
    // A pair split between two reads waits for its second half.
    if (!ended_ && !units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
    raw_.erase(0, ended_ ? raw_.size() : 2 * units.size());
    text_ += utf16ToUtf8(units);
}

bool SumsFileReader::nextLine(std::string& line) {
    for (;;) {
        const std::size_t end = text_.find('\n', cut_);
        if (end != std::string::npos || (ended_ && cut_ < text_.size()) || text_.size() - cut_ > kLongestSumsLine) {
            const std::size_t stop = end != std::string::npos ? end : std::min(text_.size(), cut_ + kLongestSumsLine);
            const bool wasSkipping = skipping_;
            skipping_ = end == std::string::npos && !ended_;
            if (!wasSkipping) {
                line.assign(text_, cut_, std::min(stop - cut_, kLongestSumsLine));
                if (!line.empty() && line.back() == '\r') line.pop_back();
            }
            cut_ = end != std::string::npos ? end + 1 : stop;
            if (cut_ > kChunk && cut_ * 2 > text_.size()) {
                text_.erase(0, cut_);
                cut_ = 0;
            }
            if (!wasSkipping) return true;
            continue;
        }
        if (ended_) return false;
        fill();
    }
}

// Hands over the lines held while the file might have been the program's own hash file.
void SumsFileReader::release(bool ownHashFile) {
    deciding_ = false;
    if (ownHashFile) {
        for (const auto& [number, line] : held_) {
            const std::string_view digest = trimmedRight(line);
            if (digest.empty() || !isHexDigits(digest)) continue;
            SumsEntry entry;
            entry.line = number;
            entry.digest = std::string(digest);
            const std::string_view name = rules_.fileName;
            entry.name = std::string(name.substr(0, name.rfind('.')));
            entry.besideSumsFile = true;
            chooseUntagged(entry, rules_, extension_);
            ready_.push_back(std::move(entry));
            held_.clear();
            return;
        }
    }
    for (const auto& [number, line] : held_) {
        if (isContent(line, sfv_)) ready_.push_back(entryOf(number, line, rules_, named_, sfvFile_, sfv_));
    }
    held_.clear();
}

std::optional<SumsEntry> SumsFileReader::next() {
    std::string line;
    while (ready_.empty()) {
        if (!nextLine(line)) {
            if (!deciding_) return std::nullopt;
            // One digest and nothing else, named INPUT.EXT: the program's own hash file.
            bool own = heldContent_ == 1;
            if (own) {
                for (const auto& held : held_) {
                    if (!trimmedRight(held.second).empty()) own = isHexDigits(trimmedRight(held.second));
                }
            }
            release(own);
            continue;
        }
        ++lineNumber_;
        if (deciding_) {
            if (!trimmedRight(line).empty()) ++heldContent_;
            held_.emplace_back(lineNumber_, line);
            if (heldContent_ > 1 || held_.size() > kMostHeldLines) release(false);
            continue;
        }
        if (isContent(line, sfv_)) ready_.push_back(entryOf(lineNumber_, line, rules_, named_, sfvFile_, sfv_));
    }
    SumsEntry entry = std::move(ready_.front());
    ready_.pop_front();
    return entry;
}

}  // namespace sumwise
