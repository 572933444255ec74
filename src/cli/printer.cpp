#include "cli/printer.h"

#include <filesystem>

#include "cli/system.h"
#include "results/sums_line.h"

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

std::string printableName(std::string_view name, bool& escaped) {
    // Where the backslash separates folders no name holds one: a path is
    // printed as it is unless a line end forces the escaped form.
    if (std::filesystem::path::preferred_separator == '\\' && name.find_first_of("\r\n") == std::string_view::npos) {
        escaped = false;
        return std::string(name);
    }
    return escapeSumsName(name, escaped);
}

std::string errorName(std::string_view name) {
    bool escaped = false;
    return printableName(name, escaped);
}

}  // namespace sumwise::cli
