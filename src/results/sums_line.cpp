#include "results/sums_line.h"

#include <algorithm>

#include "algorithms/algorithm_table.h"
#include "text/ascii_case.h"

namespace sumwise {

namespace {

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// An algorithm tag: letters, digits and the punctuation that names like
// SHA-1-IME, RIPEMD-160 or BLAKE2b-256 use.
bool isTag(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '-' && c != '_' && c != '/') return false;
    }
    return true;
}

std::optional<SumsLine> parseTagged(std::string_view line) {
    // ALGO (NAME) = DIGEST: the name may itself hold ") = ", so the last one counts.
    const std::size_t open = line.find(" (");
    const std::size_t close = line.rfind(") = ");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2) return std::nullopt;
    SumsLine parsed;
    parsed.tagged = true;
    parsed.algorithm = std::string(line.substr(0, open));
    parsed.name = std::string(line.substr(open + 2, close - open - 2));
    parsed.digest = std::string(line.substr(close + 4));
    if (!isTag(parsed.algorithm) || parsed.name.empty() || !isHexDigits(parsed.digest)) return std::nullopt;
    return parsed;
}

std::optional<SumsLine> parseUntagged(std::string_view line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 2 > line.size()) return std::nullopt;
    const char mode = line[blank + 1];
    if (mode != ' ' && mode != '*') return std::nullopt;
    SumsLine parsed;
    parsed.digest = std::string(line.substr(0, blank));
    parsed.name = std::string(line.substr(blank + 2));
    parsed.binary = mode == '*';
    if (!isHexDigits(parsed.digest) || parsed.name.empty()) return std::nullopt;
    return parsed;
}

// "DIGEST NAME" with one blank; a name starting with a blank or '*' belongs
// to the two-character layouts and is left to them.
std::optional<SumsLine> parseSingleBlank(std::string_view line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= line.size()) return std::nullopt;
    const char first = line[blank + 1];
    if (first == ' ' || first == '*') return std::nullopt;
    SumsLine parsed;
    parsed.digest = std::string(line.substr(0, blank));
    parsed.name = std::string(line.substr(blank + 1));
    if (!isHexDigits(parsed.digest)) return std::nullopt;
    return parsed;
}

std::optional<SumsLine> parse(std::string_view line, bool lenient) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped) line.remove_prefix(1);
    auto parsed = parseUntagged(line);
    if (!parsed) parsed = parseTagged(line);
    if (!parsed && lenient) parsed = parseSingleBlank(line);
    if (!parsed) return std::nullopt;
    if (escaped) {
        auto name = unescapeSumsName(parsed->name);
        if (!name) return std::nullopt;
        parsed->name = std::move(*name);
    }
    return parsed;
}

// The SUMS or SUM a file name adds to a tag ("SHA256SUMS", "md5sum"), taken off.
std::optional<std::string_view> withoutSumsSuffix(std::string_view part) {
    for (const std::string_view suffix : {"SUMS", "SUM"}) {
        if (part.size() <= suffix.size()) continue;
        const std::string_view tail = part.substr(part.size() - suffix.size());
        if (equalsIgnoringAsciiCase(tail, suffix)) {
            return part.substr(0, part.size() - suffix.size());
        }
    }
    return std::nullopt;
}

}  // namespace

bool isHexDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

std::optional<SumsLine> parseSumsLine(std::string_view line) { return parse(line, false); }

std::optional<SumsLine> parseSumsLineLeniently(std::string_view line) { return parse(line, true); }

std::vector<std::string_view> splitSumsLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

const AlgorithmEntry* algorithmForTag(std::string_view tag) { return algorithmSpelled(tag); }

const AlgorithmEntry* algorithmForSumsFileName(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        const std::string_view extension = base.substr(dot + 1);
        if (const auto tag = withoutSumsSuffix(extension)) {
            if (const AlgorithmEntry* entry = algorithmForTag(*tag)) return entry;
        }
        if (const AlgorithmEntry* entry = algorithmForTag(extension)) return entry;
    }
    const std::string_view stem = base.substr(0, base.find('.'));
    if (const auto tag = withoutSumsSuffix(stem)) return algorithmForTag(*tag);
    return nullptr;
}

std::string sumsFileExtension(const AlgorithmEntry& entry) {
    // The name in small letters without separators, as the common *sum tools name their files ("sha256").
    std::string extension;
    for (const char c : entry.name) {
        if (c == '-' || c == '_' || c == '/') continue;
        extension += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return extension;
}

std::string escapeSumsName(std::string_view name, bool& escaped) {
    std::string out;
    out.reserve(name.size());
    escaped = false;
    for (const char c : name) {
        switch (c) {
        case '\\': out += "\\\\"; escaped = true; break;
        case '\n': out += "\\n"; escaped = true; break;
        case '\r': out += "\\r"; escaped = true; break;
        default: out += c;
        }
    }
    return out;
}

std::optional<std::string> unescapeSumsName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            out += name[i];
            continue;
        }
        if (++i == name.size()) return std::nullopt;
        switch (name[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

}  // namespace sumwise
