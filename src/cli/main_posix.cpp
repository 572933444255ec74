// sumwise-cli on POSIX systems: arguments and paths are the bytes as given.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "cli/cli.h"
#include "cli/progress_line.h"
#include "cli/standard_stream.h"
#include "cli/system.h"
#include "update/update_key.h"

namespace {

// A standard descriptor closed at start is opened on /dev/null, so that no
// file opened later can take its number; returns whether it was closed.
bool reopenIfClosed(int fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) return false;
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
        ::dup2(opened, fd);
        ::close(opened);
    }
    return true;
}

// An interrupt leaves no half progress line on the terminal.
extern "C" void eraseProgressAndEnd(int signal) {
    std::size_t width = sumwise::cli::ProgressLine::widthOnTerminal();
    if (width > 0) {
        static constexpr char kBlanks[] = "                                                                ";
        ssize_t ignored = ::write(STDERR_FILENO, "\r", 1);
        while (width > 0) {
            const std::size_t part = width < sizeof kBlanks - 1 ? width : sizeof kBlanks - 1;
            ignored = ::write(STDERR_FILENO, kBlanks, part);
            width -= part;
        }
        ignored = ::write(STDERR_FILENO, "\r", 1);
        (void)ignored;
    }
    // The handler was reset to the default on entry: this ends the program.
    ::raise(signal);
}

void handleSignals() {
    // A write to a reader that went away fails with EPIPE, so that what is
    // buffered is dropped in order; the program then ends by SIGPIPE itself.
    ::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = eraseProgressAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        // A signal ignored from the start (a background job's Ctrl+C) stays ignored.
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool inputClosed = reopenIfClosed(STDIN_FILENO);
    const bool outputClosed = reopenIfClosed(STDOUT_FILENO);
    reopenIfClosed(STDERR_FILENO);
    handleSignals();
    std::ios::sync_with_stdio(false);

    const std::error_code closed = std::make_error_code(std::errc::bad_file_descriptor);
    sumwise::cli::StandardStreamBuffer outputBuffer(false, outputClosed ? closed : std::error_code{});
    std::ostream output(&outputBuffer);

    std::vector<sumwise::cli::Argument> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], std::filesystem::path(argv[i]), argv[i]});
    sumwise::cli::Environment environment{output,
                                          std::cerr,
                                          sumwise::openStandardInput,
                                          ::isatty(STDERR_FILENO) == 1,
                                          0,
                                          [&] { return outputBuffer.error(); },
                                          inputClosed ? closed : std::error_code{}};
    environment.updateKey = sumwise::builtInUpdateKey();
    struct winsize size {};
    if (environment.errIsTerminal && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0) {
        environment.terminalColumns = size.ws_col;
    }
    environment.outIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    int status = sumwise::cli::run(arguments, environment);
    // What is still buffered must reach its reader too.
    status = sumwise::cli::finishOutput(environment, status);
    if (environment.outputGone) {
        // The reader went away: end as the common tools do, quietly, by SIGPIPE.
        ::signal(SIGPIPE, SIG_DFL);
        ::raise(SIGPIPE);
        return sumwise::cli::kExitUnreadable;
    }
    return status;
}
