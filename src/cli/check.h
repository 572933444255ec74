// -c: checking files against the digests in sums files.
#pragma once

#include "cli/cli.h"

namespace sumwise::cli {

// Reads every sums file first (an untagged digest whose algorithm cannot be
// told is a usage error before anything is checked), then checks each line.
int runCheck(const Options& options, Environment& environment);

}  // namespace sumwise::cli
