#include "results/hash_file.h"

namespace sumwise {

namespace {

// The first `limit` characters: bytes, or whole UTF-8 sequences.
std::string_view leading(std::string_view text, std::size_t limit, TextEncoding encoding) {
    if (encoding == TextEncoding::Ansi) return text.substr(0, limit);
    // A character is a byte and at most three continuation bytes, so a file
    // of malformed UTF-8 cannot stretch the token beyond four bytes each.
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < limit; ++characters) {
        ++end;
        for (int more = 0; more < 3 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
             ++more) {
            ++end;
        }
    }
    return text.substr(0, end);
}

std::string firstToken(std::string_view text, TextEncoding encoding) {
    const std::string_view head = leading(text, kHashFileTokenLimit, encoding);
    const std::size_t end = head.find_first_of(std::string_view("\0\r\n \t", 5));
    return std::string(head.substr(0, end));
}

bool isBlankOrComment(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';
}

std::string_view trimmedRight(std::string_view line) {
    const std::size_t last = line.find_last_not_of(" \t");
    return last == std::string_view::npos ? std::string_view() : line.substr(0, last + 1);
}

// The decoded file's lines; when the read may have stopped inside the last
// line, that line is left out.
std::vector<std::string_view> wholeLines(std::string_view text, bool mayBeCut) {
    std::vector<std::string_view> lines = splitSumsLines(text);
    if (mayBeCut && !lines.empty() && !text.ends_with('\n')) lines.pop_back();
    return lines;
}

// The digest of the first line when it is a sums line (blank lines and
// comments before it aside), bounded like a token; none otherwise.
std::optional<std::string> firstLineDigest(const std::vector<std::string_view>& lines) {
    for (const std::string_view line : lines) {
        if (isBlankOrComment(line)) continue;
        const auto parsed = parseSumsLine(line);
        if (!parsed) return std::nullopt;
        return parsed->digest.substr(0, kHashFileTokenLimit);
    }
    return std::nullopt;
}

}  // namespace

std::u16string utf16Units(std::string_view bytes, bool bigEndian) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return units;
}

std::string hashFileContent(std::string_view digestText) { return std::string(digestText) + "\r\n"; }

HashFileValue hashFileValue(std::string_view bytes, const InputNameMatcher& matchesInput) {
    HashFileValue file = decodeTextFile(bytes.substr(0, kHashFileReadLimit));
    const std::vector<std::string_view> lines = splitSumsLines(file.text);
    if (matchesInput) {
        for (const std::string_view line : lines) {
            const auto parsed = parseSumsLine(line);
            if (parsed && matchesInput(parsed->name, file.encoding)) return {parsed->digest, file.encoding};
        }
    }
    // A tagged or escaped first line starts with no digest: its own digest stands for the file.
    if (auto digest = firstLineDigest(lines)) return {std::move(*digest), file.encoding};
    return {firstToken(file.text, file.encoding), file.encoding};
}

bool holdsSumsLines(std::string_view bytes) {
    const bool mayBeCut = bytes.size() >= kHashFileReadLimit;
    const HashFileValue file = decodeTextFile(bytes.substr(0, kHashFileReadLimit));
    const std::vector<std::string_view> lines = wholeLines(file.text, mayBeCut);
    std::size_t sumsLines = 0;
    std::size_t bareDigests = 0;
    for (const std::string_view line : lines) {
        if (isBlankOrComment(line)) continue;
        if (parseSumsLine(line)) {
            ++sumsLines;
        } else if (isHexDigits(trimmedRight(line))) {
            ++bareDigests;
        } else {
            return false;
        }
    }
    return bareDigests == 0 ? sumsLines > 0 : bareDigests == 1 && sumsLines == 0;
}

std::optional<SumsLine> pastedSumsLine(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    return parseSumsLine(text);
}

HashFileValue decodeTextFile(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return {std::string(bytes.substr(3)), TextEncoding::Utf8};
    if (bytes.starts_with("\xFF\xFE")) return {utf16ToUtf8(utf16Units(bytes.substr(2), false)), TextEncoding::Utf8};
    if (bytes.starts_with("\xFE\xFF")) return {utf16ToUtf8(utf16Units(bytes.substr(2), true)), TextEncoding::Utf8};
    return {std::string(bytes), TextEncoding::Ansi};
}

std::string compareValue(std::string_view text) {
    const auto parsed = pastedSumsLine(text);
    return parsed ? parsed->digest : std::string(text);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace sumwise
