// "Save as sums file...": the ticked values of a file input in the layout
// sha256sum reads, `DIGEST *NAME`, one file per algorithm named INPUT.sha256,
// INPUT.md5, ... so that any checker (and the check window) reads them.
#pragma once

#include <string>
#include <string_view>

#include "results/results_host.h"

namespace sumwise::results {

// The line for a file named `name` (UTF-8), beside the sums file or by its
// whole path: the digest in lower case, " *", the name escaped as needed.
std::string sumsFileLine(std::string_view digest, std::string_view name);

// Asks where (proposing INPUT.EXT of the first ticked value) and writes one
// file per ticked algorithm with a value there. True when all were written.
bool saveAsSumsFiles(const ResultsHost& host);

}  // namespace sumwise::results
