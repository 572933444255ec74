// Command-line options that set the parameters of HAVAL and MD6.
#pragma once

#include <string>
#include <string_view>

#include "algorithms/params.h"

namespace sumwise::cli {

// "--haval PASSES,BITS". Returns an error message naming the parameter and
// its range, or empty when `params` was set.
std::string parseHavalOption(std::string_view value, HavalParams& params);

// "--md6 d=N,key=TEXT,L=N,r=N", each field optional; without r the automatic
// rule applies. Returns an error message, or empty when `params` was set.
std::string parseMd6Option(std::string_view value, Md6Params& params);

}  // namespace sumwise::cli
