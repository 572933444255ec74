// Hash files from the results list: one digest per file, beside the input
// ("disk.iso.ripemd-160") or wherever the user chooses with Save as.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "algorithms/algorithm_table.h"
#include "results/results_host.h"

namespace sumwise::results {

// The hash file beside `input` for an algorithm: the whole input path, a
// full stop and the extension, however long that makes it.
std::wstring hashFileBeside(std::wstring_view input, const AlgorithmEntry& algorithm);

// `text` made fit to be a file name: characters no file name may hold
// (\ / : * ? " < > | and control characters) become underscores, and a name
// the system keeps for a device (CON, NUL, COM1...) gets an underscore in front.
std::wstring fileNameFrom(std::wstring_view text);

// Writes the value of the algorithm with table index `algorithm` to
// `target`, or to the hash file beside the input. When access is denied,
// asks whether to save elsewhere and runs Save as for a yes. True when a
// file was written.
bool saveResult(const ResultsHost& host, std::size_t algorithm, const std::optional<std::wstring>& target);
// The save dialog for the algorithm's value, with a proposed name for the current input.
bool saveResultAs(const ResultsHost& host, std::size_t algorithm);
// Every selected row with a value (every row with a value), beside the
// input; each is tried even after a failure. True when all were written.
bool saveSelected(const ResultsHost& host);
bool saveAll(const ResultsHost& host);

}  // namespace sumwise::results
