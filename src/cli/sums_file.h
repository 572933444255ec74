// A whole sums file read into the checks it asks for: decoded (byte-order
// marks, UTF-16), split into lines, each line parsed and given its
// algorithm. Pure: bytes in, entries out, so it can be fed anything.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/algorithm_table.h"
#include "algorithms/params.h"
#include "results/hash_file.h"

namespace sumwise::cli {

// The digits of each algorithm's digest under the given parameters, in
// table order.
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

}  // namespace sumwise::cli
