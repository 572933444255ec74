// Checking the lines of a sums file: what `sumwise-cli -c` and the check
// window share, so the two always agree. Lines naming the same file are
// checked by reading that file once for all the algorithms they ask for; each
// line then gets its status, and the text the command line prints for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "algorithms/digest.h"
#include "algorithms/params.h"
#include "jobs/hash_source.h"
#include "algorithms/algorithm_table.h"
#include "results/sums_file.h"

namespace sumwise {

enum class LineStatus { Waiting, Checking, Ok, Failed, Missing, Unreadable, BadLine };

// A file read once for several algorithms.
struct FileRead {
    enum class Failure { None, Open, Read };
    Failure failure = Failure::None;
    std::error_code error;  // why, for Open and Read
    std::uint64_t bytesRead = 0;
    std::vector<const AlgorithmEntry*> algorithms;  // each once
    std::vector<Digest> digests;                    // one per algorithm, only when the whole file was read

    bool ok() const { return failure == Failure::None; }
    bool missing() const;
};

// The distinct algorithms of `lines`, in the order they first appear.
std::vector<const AlgorithmEntry*> algorithmsOf(const std::vector<const SumsEntry*>& lines);

// Reads the file at `path` (already in the system's usable form) once into
// every algorithm. A file that fails part-way keeps no digest.
FileRead readForCheck(const std::filesystem::path& path, std::vector<const AlgorithmEntry*> algorithms,
                      const AlgorithmParams& params, const SourceControl& control = {});

// Digest texts compared as the command line does: any letter case in the file.
bool sameDigest(std::string_view expected, std::string_view computedUpper);

// The status of a line to check once its file has been read.
LineStatus lineStatus(const SumsEntry& entry, const FileRead& read);

// The file a line names: beside the sums file for the program's own hash
// file, else the name itself; a relative name is taken from `folder`
// (empty: the current folder).
std::filesystem::path namedPath(const SumsEntry& entry, const std::filesystem::path& sumsPath,
                                const std::filesystem::path& folder, const std::filesystem::path& fromName);

// A name as it goes into a line of output: "\\", "\n" and "\r" escaped, and
// `escaped` telling whether the line then needs its leading backslash. Where
// a backslash only separates folders, only a line end in the name calls for
// the escaped form.
std::string printableSumsName(std::string_view name, bool& escaped);

// The line `sumwise-cli -c` prints on standard output for a finished line,
// given the name as printed (`escaped`: the name needed escapes); empty for
// a line it prints nothing for (a bad line, one not finished).
std::string checkReportLine(std::string_view shownName, bool escaped, LineStatus status);

struct CheckCounts {
    std::size_t ok = 0;
    std::size_t failed = 0;
    std::size_t missing = 0;
    std::size_t unreadable = 0;
    std::size_t badLines = 0;

    void add(LineStatus status);
};

// "N OK, N failed, N missing, N unreadable, N bad lines" in English, the zero
// counts left out.
std::string checkSummary(const CheckCounts& counts);

}  // namespace sumwise
