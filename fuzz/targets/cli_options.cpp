// sumwise-cli's command line, one argument per line, with the values of
// --haval and --md6 also given to their parsers directly.
#include "cli/algorithm_options.h"
#include "cli/cli_options.h"
#include "fuzz_input.h"

using namespace sumwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);

    std::vector<cli::Argument> arguments;
    for (std::string& piece : fuzz::split(bytes, '\n')) {
        cli::Argument argument;
        argument.path = piece;
        argument.bytes = piece;
        argument.text = std::move(piece);
        arguments.push_back(std::move(argument));
    }
    const cli::ParseResult result = cli::parseArguments(arguments);
    if (result.ok() && !result.options.help && !result.options.version) {
        fuzz::require(result.options.algorithms != 0, "a sound command line names at least one algorithm");
    }
    fuzz::require(result.error.size() < 4096 + bytes.size(), "the error message is bounded");

    HavalParams haval;
    (void)cli::parseHavalOption(bytes, haval);
    Md6Params md6;
    (void)cli::parseMd6Option(bytes, md6);
    return 0;
}
