#include "cli/printer.h"

#include <filesystem>

#include "cli/system.h"
#include "results/sums_check.h"

namespace sumwise::cli {

bool Printer::line(std::string_view text) {
    if (failed_) return false;
    std::ostream& out = environment_.out;
    out << text << '\n';
    out.flush();
    if (out) return true;
    failed_ = true;
    std::error_code reason = environment_.outputError ? environment_.outputError() : std::error_code{};
    if (!reason) reason = std::make_error_code(std::errc::io_error);
    // Nobody reads on: nothing to say, as with the common tools.
    if (isBrokenPipe(reason)) {
        environment_.outputGone = true;
        return false;
    }
    error("sumwise-cli: write error: " + errorText(reason));
    return false;
}

void Printer::error(std::string_view text) { environment_.err << text << '\n' << std::flush; }

std::string printableName(std::string_view name, bool& escaped) { return printableSumsName(name, escaped); }

std::string errorName(std::string_view name) {
    bool escaped = false;
    return printableName(name, escaped);
}

}  // namespace sumwise::cli
