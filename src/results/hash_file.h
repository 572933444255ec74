// The program's hash files: one digest per file, named after the input with
// the algorithm's extension ("disk.iso.sha-256"), holding the digest
// text and CR LF and nothing else. Also how such a file (or a sums file
// lying in its place) is read back into a value to compare with.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "results/sums_line.h"

namespace sumwise {

// What a hash file holds for a digest text (ASCII): the text and CR LF.
std::string hashFileContent(std::string_view digestText);

// How much of a file is read to find its value.
inline constexpr std::size_t kHashFileReadLimit = 1 << 20;
// The first-token rule looks at this many bytes (or characters once decoded).
inline constexpr std::size_t kHashFileTokenLimit = 129;

enum class TextEncoding { Ansi, Utf8 };

struct HashFileValue {
    std::string text;  // in `encoding`
    TextEncoding encoding = TextEncoding::Ansi;
};

// Tells whether a name written in a sums line is the current input's file name.
using InputNameMatcher = std::function<bool(std::string_view name, TextEncoding encoding)>;

// The value a hash file stands for, from the file's first bytes (at most
// kHashFileReadLimit). A UTF-8 byte-order mark is skipped and UTF-16 with
// its mark (either byte order) is decoded to UTF-8. When a line in a sums
// layout names the current input (as `matchesInput` decides), its digest is
// the value. Otherwise, when the first line (after blank lines and '#'
// comments) is a sums line, its digest (at most 129 digits); else the first
// token: what comes before the first NUL, CR, LF, blank or tab within the
// first 129 bytes (characters, for decoded text).
HashFileValue hashFileValue(std::string_view bytes, const InputNameMatcher& matchesInput = {});

// Whether a file's first bytes (at most kHashFileReadLimit, in any encoding
// hashFileValue reads) are what other tools write as a sums file: sums lines,
// blank lines and '#' comments, at least one sums line; or one hexadecimal
// digest alone, as a hash file holds it. A last line the read limit may have
// cut is not judged.
bool holdsSumsLines(std::string_view bytes);

// The sums line a pasted text is: one line in a sums layout; none otherwise.
std::optional<SumsLine> pastedSumsLine(std::string_view text);

// The text to compare with the results: the digest when the text is one line
// in a sums layout, otherwise the text exactly as given.
std::string compareValue(std::string_view text);

// A text file's content with a UTF-8 byte-order mark taken off, or UTF-16
// with its mark (either byte order) decoded to UTF-8. Text without a mark is
// returned as it is, in the ANSI encoding (the bytes on other systems).
HashFileValue decodeTextFile(std::string_view bytes);

// Appends the code point's UTF-8 bytes (surrogates too, as Windows names may hold them).
void appendUtf8(std::string& out, char32_t c);

// UTF-16 code units (host order) to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// UTF-16 code units from bytes in either order (an odd last byte is left out).
std::u16string utf16Units(std::string_view bytes, bool bigEndian);

}  // namespace sumwise
