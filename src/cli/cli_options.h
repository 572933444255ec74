// The command line of sumwise-cli.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "algorithms/algorithm_table.h"
#include "algorithms/params.h"
#include "cli/algorithm_options.h"

namespace sumwise::cli {

// One command-line argument as the system delivered it: `text` for options
// and for display (UTF-8 on Windows, the bytes as given elsewhere), `path`
// for opening it as a file, `bytes` for hashing it as a text (the ANSI code
// page on Windows, as the program hashes typed text; the bytes elsewhere).
struct Argument {
    std::string text;
    std::filesystem::path path;
    std::string bytes;
};

struct Input {
    enum class Kind { File, StandardInput, Text };
    Kind kind = Kind::File;
    std::string name;  // as printed: the path as given, "-", or the text in double quotes
    std::filesystem::path path;
    std::string text;
};

// How -c treats the sums files' lines and what it prints.
struct CheckOptions {
    bool quiet = false;          // no OK lines
    bool status = false;         // nothing printed: the exit status tells
    bool warn = false;           // a warning for each badly formatted line
    bool strict = false;         // badly formatted lines fail the check
    bool ignoreMissing = false;  // lines of files that do not exist are passed over
};

struct Options {
    AlgorithmMask algorithms = 0;
    bool algorithmsGiven = false;  // -a was given
    bool lowerCase = false;
    bool help = false;
    bool version = false;
    bool check = false;      // -c: the inputs are sums files
    bool tag = false;        // "ALGO (NAME) = DIGEST" lines
    bool save = false;       // a hash file beside each input
    bool recursive = false;  // folders are walked
    CheckOptions checking;
    AlgorithmParams params;
    std::vector<Input> inputs;
    std::vector<std::string> warnings;  // sound but probably not what was meant
};

struct ParseResult {
    Options options;
    std::string error;  // empty when the command line is sound

    bool ok() const { return error.empty(); }
};

// `arguments` excludes the program name.
ParseResult parseArguments(const std::vector<Argument>& arguments);

std::string usageText();

}  // namespace sumwise::cli
