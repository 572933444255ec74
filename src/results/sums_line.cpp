#include "results/sums_line.h"

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

}  // namespace

bool isHexDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

std::optional<SumsLine> parseSumsLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped) line.remove_prefix(1);
    auto parsed = parseUntagged(line);
    if (!parsed) parsed = parseTagged(line);
    if (!parsed) return std::nullopt;
    if (escaped) {
        auto name = unescapeSumsName(parsed->name);
        if (!name) return std::nullopt;
        parsed->name = std::move(*name);
    }
    return parsed;
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
