#include "cli/printer.h"

#include <filesystem>

#include "cli/system.h"
#include "results/sums_check.h"

namespace sumwise::cli {

namespace {

// Tells why `out` failed, once; nothing when its reader went away.
void tellOutputFailure(Environment& environment) {
    if (environment.outputFailureTold) return;
    environment.outputFailureTold = true;
    std::error_code reason = environment.outputError ? environment.outputError() : std::error_code{};
    if (!reason) reason = std::make_error_code(std::errc::io_error);
    // Nobody reads on: nothing to say, as with the common tools.
    if (isBrokenPipe(reason)) {
        environment.outputGone = true;
        return;
    }
    environment.err << "sumwise-cli: write error: " << errorText(reason) << '\n' << std::flush;
}

}  // namespace

bool Printer::checked() {
    if (environment_.out) return true;
    failed_ = true;
    tellOutputFailure(environment_);
    return false;
}

bool Printer::line(std::string_view text) {
    if (failed_) return false;
    std::ostream& out = environment_.out;
    out << text << '\n';
    if (environment_.outIsTerminal) out.flush();
    return checked();
}

bool Printer::flush() {
    if (failed_) return false;
    environment_.out.flush();
    return checked();
}

void Printer::error(std::string_view text) {
    if (!flush()) return;
    environment_.err << text << '\n' << std::flush;
}

std::string printableName(std::string_view name, bool& escaped) { return printableSumsName(name, escaped); }

std::string errorName(std::string_view name) {
    bool escaped = false;
    return printableName(name, escaped);
}

int finishOutput(Environment& environment, int status) {
    if (environment.out.flush()) return status;
    tellOutputFailure(environment);
    return kExitUnreadable;
}

}  // namespace sumwise::cli
