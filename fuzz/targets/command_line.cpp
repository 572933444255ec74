// The program's command line: every option, quoted and unquoted inputs, and
// the /LANG code read at start-up.
#include <algorithm>

#include "algorithms/algorithm_table.h"
#include "fuzz_input.h"
#include "text/command_line.h"
#include "text/ui_language.h"

using namespace sumwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = fuzz::wideOf(fuzz::bytesOf(data, size));

    const CommandLine parsed = parseCommandLine(text);
    fuzz::require((parsed.tickedMask & ~kAllAlgorithms) == 0, "/H ticks only the table's algorithms");
    int inputs = 0;
    for (const CommandLine::Step& step : parsed.steps) {
        if (step.kind != CommandLine::Step::Kind::Input) continue;
        ++inputs;
        fuzz::require(step.input.size() <= text.size(), "the input argument is part of the command line");
    }
    fuzz::require(inputs <= 1, "only the first input argument counts");

    if (const auto language = languageFromCommandLine(text)) {
        fuzz::require(std::find(std::begin(kLanguages), std::end(kLanguages), *language) != std::end(kLanguages),
                      "/LANG selects one of the eight languages");
    }
    // The full command line, with the program's name in front.
    const std::wstring_view arguments = argumentsOf(text);
    fuzz::require(arguments.empty() || std::wstring_view(text).ends_with(arguments),
                  "the arguments are the end of the command line");
    return 0;
}
