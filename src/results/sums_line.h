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

namespace sumwise {

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

// A name as it is written in a sums line: backslash, LF and CR escaped.
// `escaped` tells whether the line needs its leading backslash.
std::string escapeSumsName(std::string_view name, bool& escaped);
// The name back from its escaped form; none for a dangling or unknown escape.
std::optional<std::string> unescapeSumsName(std::string_view name);

bool isHexDigits(std::string_view text);

}  // namespace sumwise
