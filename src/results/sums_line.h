// One line of a sums file in the layouts people meet on download pages and
// in the output of the common checksum tools:
//   DIGEST  NAME        (text mode)
//   DIGEST *NAME        (binary mode)
//   ALGO (NAME) = DIGEST (tagged)
// A line that starts with a backslash carries a name with \\, \n and \r
// escapes, so that every name fits on one line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sumwise {

struct AlgorithmEntry;

struct SumsLine {
    std::string digest;     // hexadecimal digits as written
    std::string name;       // unescaped
    std::string algorithm;  // the tag as written; empty for untagged lines
    bool binary = false;    // the '*' marker of an untagged line
    bool tagged = false;
};

// The line without its line end (a trailing CR is ignored). None when the
// line is not in one of the layouts or its digest is not hexadecimal.
std::optional<SumsLine> parseSumsLine(std::string_view line);
// Also "DIGEST NAME" with a single blank, as some tools write it; a line in
// the other layouts reads the same as above.
std::optional<SumsLine> parseSumsLineLeniently(std::string_view line);

// The lines of a text split at LF, each without a trailing CR. A final line
// end gives no empty line after it.
std::vector<std::string_view> splitSumsLines(std::string_view text);

// The algorithm a tag or a file-name part names: our names and tags and the
// other tools' spellings the algorithm table lists (SHA256, RMD160, ...), in
// any letter case, hyphens, underscores and slashes ignored. Null when none.
const AlgorithmEntry* algorithmForTag(std::string_view tag);
// The algorithm a sums file's name tells: its extension ("disk.iso.sha256",
// "x.sha-1", "y.md5sum") or a name like "SHA256SUMS" or "sha1sums.txt".
const AlgorithmEntry* algorithmForSumsFileName(std::string_view fileName);
// The extension other tools give a sums file of the algorithm: its name in
// lower case without hyphens ("sha256" for SHA-256, "md5"), the spelling
// algorithmForTag reads back. The companion lookup tries it beside the input.
std::string sumsFileExtension(const AlgorithmEntry& entry);

// A name as it is written in a sums line: backslash, LF and CR escaped.
// `escaped` tells whether the line needs its leading backslash.
std::string escapeSumsName(std::string_view name, bool& escaped);
// The name back from its escaped form; none for a dangling or unknown escape.
std::optional<std::string> unescapeSumsName(std::string_view name);

bool isHexDigits(std::string_view text);

}  // namespace sumwise
