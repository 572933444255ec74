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

#include "algorithms/params.h"
#include "jobs/input_source.h"
#include "jobs/registry.h"
#include "results/hash_file.h"

namespace sumwise {

// The digits of each registry row's digest under the given parameters, in
// registry order.
std::array<std::size_t, kAlgorithmCount> digestDigitCounts(const AlgorithmParams& params);

struct SumsFileRules {
    std::vector<const AlgorithmEntry*> forced;  // -a: the algorithms untagged lines may use
    std::string fileName;                       // the sums file's name; empty for standard input
    std::array<std::size_t, kAlgorithmCount> digits{};
};

struct SumsEntry {
    enum class Kind {
        Check,      // a line to check
        Malformed,  // not in a layout, an unknown algorithm, or a digest of the wrong length
        Ambiguous,  // an untagged digest whose length several algorithms share
    };
    Kind kind = Kind::Malformed;
    std::size_t line = 0;  // from 1
    std::string name;      // unescaped, in the file's encoding (UTF-8 once decoded)
    std::string digest;
    const AlgorithmEntry* algorithm = nullptr;
    // The program's own hash file (just a digest): `name` is the sums file's
    // name less its extension, and the input lies beside the sums file.
    bool besideSumsFile = false;
    std::vector<const AlgorithmEntry*> candidates;  // for Ambiguous: those of the digest's length
};

struct SumsFile {
    TextEncoding encoding = TextEncoding::Ansi;
    std::vector<SumsEntry> entries;  // blank lines and '#' comments give none
};

// An untagged line's algorithm comes from `forced`, else from the file's
// name, else from the digest's length when only one algorithm has it.
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
