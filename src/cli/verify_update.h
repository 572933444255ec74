// sumwise-cli --verify-update DIR: the release's version files checked as
// the program will read them.
#pragma once

#include <string_view>
#include <vector>

#include "cli/cli.h"

namespace sumwise::cli {

inline constexpr std::string_view kVerifyUpdateOption = "--verify-update";

// `arguments` starts with the option. 0 when the folder passes, 1 when it
// does not, 2 for a usage error.
int verifyUpdate(const std::vector<Argument>& arguments, Environment& environment);

}  // namespace sumwise::cli
