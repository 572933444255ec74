// -c: checking files against the digests in sums files.
#pragma once

#include "cli/cli.h"

namespace sumwise::cli {

// Checks each line of each sums file as it is read, and tells its result at
// once. An untagged digest whose algorithm cannot be told is a usage error,
// found before anything is checked (for standard input, when it is reached).
int runCheck(const Options& options, Environment& environment);

}  // namespace sumwise::cli
