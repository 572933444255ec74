#include "cli/algorithm_options.h"

namespace sumwise::cli {

std::string parseHavalOption(std::string_view, HavalParams&) { return "--haval is not available in this build"; }

}  // namespace sumwise::cli
