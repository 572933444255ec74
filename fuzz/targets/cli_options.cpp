// sumwise-cli's command line, one argument per line, with the values of
// --haval, --md6 and --md6-key also given to their parsers directly.
#include <cstring>

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
    if (result.ok()) {
        const AlgorithmParams& params = result.options.params;
        fuzz::require(params.md6.d >= 1 && params.md6.d <= 512, "MD6 d is in 1..512");
        fuzz::require(params.md6.L <= 255 && params.md6.r <= 255, "MD6 L and r are in 0..255");
        fuzz::require(std::memchr(params.md6.key.data(), 0, params.md6.key.size()) != nullptr,
                      "the MD6 key is terminated within its 64 bytes");
        fuzz::require(params.haval.passes >= 3 && params.haval.passes <= 5, "HAVAL passes are 3, 4 or 5");
        fuzz::require(params.haval.outputBits >= 128 && params.haval.outputBits <= 256 &&
                          params.haval.outputBits % 32 == 0,
                      "HAVAL output bits are 128 to 256 in steps of 32");
    }

    HavalParams haval;
    const HavalParams havalBefore = haval;
    if (!cli::parseHavalOption(bytes, haval).empty()) {
        fuzz::require(haval == havalBefore, "a rejected --haval leaves the parameters alone");
    }
    cli::Md6Choice choice;
    choice.d = 384;  // as if an earlier --md6 had set it
    const cli::Md6Choice before = choice;
    if (!cli::parseMd6Option(bytes, choice).empty()) {
        fuzz::require(choice == before, "a rejected --md6 leaves the choice alone");
    }
    (void)cli::parseMd6Key(bytes, choice);
    const Md6Params md6 = cli::md6Params(choice);
    fuzz::require(md6.d >= 1 && md6.d <= 512 && md6.L <= 255 && md6.r <= 255, "the chosen MD6 parameters are valid");
    return 0;
}
