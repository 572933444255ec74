#include <cstring>

#include "cli/system.h"

namespace sumwise::cli {

std::string errorText(std::error_code error) {
    if (!error) return "Unknown error";
    // Errors with a POSIX counterpart read the same on every system.
    const std::error_condition condition = error.default_error_condition();
    std::string text = condition.category() == std::generic_category()
                           ? std::generic_category().message(condition.value())
                           : error.message();
    while (!text.empty() && (text.back() == '.' || text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? "Error " + std::to_string(error.value()) : text;
}

}  // namespace sumwise::cli
