#include "cli/algorithm_options.h"

namespace sumwise::cli {

std::string parseMd6Option(std::string_view, Md6Params&) { return "--md6 is not available in this build"; }

}  // namespace sumwise::cli
