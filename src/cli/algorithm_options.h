// Command-line options that set the parameters of HAVAL and MD6.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "algorithms/params.h"

namespace sumwise::cli {

// "--haval PASSES,BITS". Returns an error message naming the parameter and
// its range, or empty when `params` was set.
std::string parseHavalOption(std::string_view value, HavalParams& params);

// The MD6 fields the command line has set so far; the rest keep their defaults.
struct Md6Choice {
    std::optional<std::uint32_t> d;
    std::optional<std::uint32_t> L;
    std::optional<std::uint32_t> r;
    std::optional<std::string> key;

    friend bool operator==(const Md6Choice&, const Md6Choice&) = default;
};

// "--md6 d=N,L=N,r=N,key=TEXT", each field optional; the fields given are
// added to `choice` (a second --md6 adds to the first). key= takes the rest
// of the value, so it comes last; what looks like a further field after it
// is an error rather than part of the key. Returns an error message, or
// empty when `choice` was updated; on error `choice` is left alone.
std::string parseMd6Option(std::string_view value, Md6Choice& choice);
// "--md6-key TEXT": the key as given, commas and all.
std::string parseMd6Key(std::string_view key, Md6Choice& choice);

// The parameters a choice stands for; without r, the automatic rounds for
// the final d and key.
Md6Params md6Params(const Md6Choice& choice);

}  // namespace sumwise::cli
