#include <charconv>

#include "cli/algorithm_options.h"

namespace sumwise::cli {

namespace {

// A decimal number that fills `text` and fits 32 bits, or none.
bool parseNumber(std::string_view text, unsigned& number) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    return !text.empty() && error == std::errc{} && stop == end;
}

}  // namespace

std::string parseHavalOption(std::string_view value, HavalParams& params) {
    const std::size_t comma = value.find(',');
    if (comma == std::string_view::npos || value.find(',', comma + 1) != std::string_view::npos) {
        return "--haval: expected PASSES,BITS such as 3,128, got '" + std::string(value) + "'";
    }
    unsigned passes = 0;
    unsigned bits = 0;
    if (!parseNumber(value.substr(0, comma), passes) || passes < 3 || passes > 5) {
        return "--haval: passes must be 3, 4 or 5";
    }
    if (!parseNumber(value.substr(comma + 1), bits) || bits < 128 || bits > 256 || bits % 32 != 0) {
        return "--haval: bits must be 128, 160, 192, 224 or 256";
    }
    params.passes = static_cast<std::uint16_t>(passes);
    params.outputBits = static_cast<std::uint16_t>(bits);
    return {};
}

}  // namespace sumwise::cli
