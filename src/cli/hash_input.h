// Hashing one input for the command line: a file, standard input or a text,
// fed once to all chosen algorithms, with the system's reason when it fails.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "algorithms/algorithm_table.h"
#include "algorithms/digest.h"
#include "algorithms/params.h"
#include "cli/cli.h"

namespace sumwise::cli {

struct Hashed {
    enum class Failure { None, Open, Read };
    Failure failure = Failure::None;
    std::error_code error;  // why, for Open and Read
    std::uint64_t bytesRead = 0;
    std::vector<Digest> digests;  // one per algorithm, only when the whole input was read

    bool ok() const { return failure == Failure::None; }
};

// `name` is shown on the progress line. An input hashed `beside` others (on
// one of several threads at once) shows no progress and starts no threads.
Hashed hashFileInput(const std::filesystem::path& path, const std::vector<const AlgorithmEntry*>& algorithms,
                     const AlgorithmParams& params, Environment& environment, const std::string& name,
                     bool beside = false);
Hashed hashStandardInput(const std::vector<const AlgorithmEntry*>& algorithms, const AlgorithmParams& params,
                         Environment& environment);
Hashed hashTextInput(const std::string& text, const std::vector<const AlgorithmEntry*>& algorithms,
                     const AlgorithmParams& params);

// "sumwise-cli: NAME: REASON" for an input that could not be hashed.
std::string failureMessage(const std::string& name, const Hashed& hashed);

}  // namespace sumwise::cli
