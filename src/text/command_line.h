// The program's command line: an input path or text and the options
// /A /S /T /V /H /K /D /L /R /LOG (and /LANG, read at start-up).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "algorithms/algorithm_table.h"

namespace sumwise {

struct CommandLine {
    // Options whose order matters (/T or /V after the input clears it again)
    // are kept as steps, applied in the order written.
    struct Step {
        enum class Kind { ShowAll, SmallCaps, TextMode, DiskMode, LogEveryJob, Input };
        Kind kind;
        std::wstring input;  // for Input: the path or text, whole

        friend bool operator==(const Step&, const Step&) = default;
    };

    std::vector<Step> steps;
    AlgorithmMask tickedMask = 0;  // /H names found in the algorithm table
    // MD6 parameters, as given (the last of each option counts).
    std::optional<std::wstring> md6Key;
    std::optional<std::int32_t> md6D;
    std::optional<std::int32_t> md6L;
    std::optional<std::int32_t> md6R;
};

// Parses the command line without the program name.
CommandLine parseCommandLine(std::wstring_view commandLine);

// The command line without the program's own name, as the process got it:
// the text after the first (possibly quoted) word and the blanks after it.
std::wstring_view argumentsOf(std::wstring_view fullCommandLine);

}  // namespace sumwise
