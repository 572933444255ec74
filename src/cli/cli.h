// sumwise-cli: the command-line face of the hashing engine.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/cli_options.h"
#include "jobs/input_source.h"

namespace sumwise::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUnreadable = 1;
inline constexpr int kExitUsage = 2;

struct Environment {
    std::ostream& out;
    std::ostream& err;
    std::function<std::unique_ptr<InputSource>()> openStandardInput;
    bool errIsTerminal = false;  // show a progress line on `err`
    unsigned threads = 0;        // 0: one per processor
};

int run(const std::vector<Argument>& arguments, Environment& environment);

}  // namespace sumwise::cli
