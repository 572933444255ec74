// A sums file read into the checks it asks for: decoded (byte-order marks,
// UTF-16), split into lines, each line parsed and given its algorithm.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/algorithm_table.h"
#include "algorithms/params.h"
#include "jobs/input_source.h"
#include "results/hash_file.h"

namespace sumwise {

// The digits of each algorithm's digest under the given parameters, in
// table order.
std::array<std::size_t, kAlgorithmCount> digestDigitCounts(const AlgorithmParams& params);

struct SumsFileRules {
    std::vector<const AlgorithmEntry*> forced;  // -a: the algorithms untagged lines may use
    std::string fileName;                       // the sums file's name; empty for standard input
    std::array<std::size_t, kAlgorithmCount> digits{};
    AlgorithmParams params;  // --haval, --md6: what tags without parameters take
};

struct SumsEntry {
    enum class Kind {
        Check,      // a line to check
        Malformed,  // not in a layout, an unknown algorithm, a digest of the wrong length, a NUL in the name
        // An untagged digest whose length several algorithms share, none of
        // them the one the common *sum tools write at that length: badly
        // formatted, as nothing decides it.
        Ambiguous,
    };
    Kind kind = Kind::Malformed;
    std::size_t line = 0;  // from 1
    std::string name;      // unescaped, in the file's encoding (UTF-8 once decoded)
    std::string digest;
    const AlgorithmEntry* algorithm = nullptr;
    // The program's own hash file (just a digest): `name` is the sums file's
    // name less its extension, and the input lies beside the sums file.
    bool besideSumsFile = false;
    // For Ambiguous: those of the digest's length. For a line given the
    // common tools' algorithm of its length (`byLength`): the others that share it.
    std::vector<const AlgorithmEntry*> candidates;
    bool byLength = false;
    // The parameters a tag such as "HAVAL-128/3" or "MD6-160" carries; none: the rules'.
    std::optional<AlgorithmParams> params;
};

struct SumsFile {
    TextEncoding encoding = TextEncoding::Ansi;
    std::vector<SumsEntry> entries;  // blank lines and '#' comments give none
};

// An untagged line's algorithm comes from `forced`, else from the file's
// name (".sfv" files are CRC32), else from the digest's length: the one
// algorithm with it, or where several share it, the one the common *sum
// tools write at that length (MD5, SHA-1, SHA-224, SHA-256, SHA-384,
// SHA-512). Lines are read as the *sum tools' -c reads them: leading blanks
// and tabs, a tab after the digest, OpenSSL's "MD5(NAME)= DIGEST"; and in an
// SFV file (or with -a holding CRC32) "NAME CRC32" lines and ';' comments.
SumsFile readSumsFile(std::string_view bytes, const SumsFileRules& rules);

// The same, line by line from a source as its bytes come (a pipe's lines as
// they are written), in constant memory: a block of input, the line being
// cut (at most kLongestSumsLine bytes; the rest of a longer one is dropped),
// and while a hash file's name may still make it the program's own hash
// file, the few lines before its second content line.
inline constexpr std::size_t kLongestSumsLine = 65536;
class SumsFileReader {
public:
    SumsFileReader(InputSource& source, SumsFileRules rules);
    // The next entry; none at the end of the file, or when reading failed.
    std::optional<SumsEntry> next();
    bool failed() const { return failed_; }
    TextEncoding encoding() const { return encoding_; }

private:
    enum class Form { Unknown, Bytes, Utf16Little, Utf16Big };
    bool nextLine(std::string& line);
    void fill();
    void decode();
    void release(bool ownHashFile);

    InputSource& source_;
    SumsFileRules rules_;
    const AlgorithmEntry* extension_;
    bool sfvFile_;  // named *.sfv: "NAME CRC32" lines come first
    bool sfv_;      // SFV lines and ';' comments are read
    const AlgorithmEntry* named_;
    TextEncoding encoding_ = TextEncoding::Ansi;
    Form form_ = Form::Unknown;
    std::vector<std::uint8_t> chunk_;
    std::string raw_;   // read, not yet decoded
    std::string text_;  // decoded, from `cut_` not yet cut into lines
    std::size_t cut_ = 0;
    bool skipping_ = false;  // the rest of an overlong line
    bool ended_ = false;
    bool failed_ = false;
    std::size_t lineNumber_ = 0;
    bool deciding_ = false;  // might still be the program's own hash file
    std::size_t heldContent_ = 0;
    std::deque<std::pair<std::size_t, std::string>> held_;
    std::deque<SumsEntry> ready_;
};

}  // namespace sumwise
