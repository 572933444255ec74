// sumwise-cli on POSIX systems: arguments and paths are the bytes as given.
#include <unistd.h>

#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<sumwise::cli::Argument> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], std::filesystem::path(argv[i]), argv[i]});
    sumwise::cli::Environment environment{std::cout, std::cerr, sumwise::openStandardInput,
                                          ::isatty(STDERR_FILENO) == 1, 0};
    const int status = sumwise::cli::run(arguments, environment);
    std::cout.flush();
    return status;
}
