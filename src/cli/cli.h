// sumwise-cli: the command-line face of the hashing engine.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <system_error>
#include <vector>

#include "algorithms/ed25519/ed25519.h"
#include "cli/cli_options.h"
#include "jobs/input_source.h"

namespace sumwise::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUnreadable = 1;  // also: a check failed, or the output could not be written
inline constexpr int kExitUsage = 2;       // also: a sums file could not be read

struct Environment {
    std::ostream& out;
    std::ostream& err;
    std::function<std::unique_ptr<InputSource>()> openStandardInput;
    bool errIsTerminal = false;  // show a progress line on `err`
    unsigned threads = 0;        // 0: one per processor
    // Why a write to `out` failed; without it a failure is an I/O error.
    std::function<std::error_code()> outputError = nullptr;
    // Set when standard input was closed as the program started.
    std::error_code standardInputClosed = {};
    // The key the update server's version files are signed with (none: unsigned).
    std::optional<Ed25519PublicKey> updateKey = std::nullopt;
    // Set when standard output's reader went away (a closed pipe): the
    // program then ends quietly, as the common tools do.
    bool outputGone = false;
    unsigned terminalColumns = 0;  // the terminal's width, which a progress line keeps within; 0: unknown
    // Lines to a terminal are shown one by one; elsewhere they are handed
    // to the system a buffer at a time.
    bool outIsTerminal = false;
    // Set once a failed write to `out` has been told.
    bool outputFailureTold = false;
};

// Hands what `out` still holds to the system as the run ends; tells a
// failure not told yet and returns the exit status.
int finishOutput(Environment& environment, int status);

int run(const std::vector<Argument>& arguments, Environment& environment);

}  // namespace sumwise::cli
