#include "results/sums_file.h"

#include <algorithm>

#include "jobs/streaming.h"
#include "results/sums_line.h"

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
      named_(algorithmForSumsFileName(rules_.fileName)),
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
    std::u16string units(raw_.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(raw_[2 * i]);
        const auto second = static_cast<unsigned char>(raw_[2 * i + 1]);
        units[i] = static_cast<char16_t>(form_ == Form::Utf16Big ? (first << 8) | second : (second << 8) | first);
    }
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
        if (isContent(line)) ready_.push_back(entryOf(number, line, rules_, named_));
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
        if (isContent(line)) ready_.push_back(entryOf(lineNumber_, line, rules_, named_));
    }
    SumsEntry entry = std::move(ready_.front());
    ready_.pop_front();
    return entry;
}

}  // namespace sumwise
