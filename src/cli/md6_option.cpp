// "--md6 d=N,L=N,r=N,key=TEXT": the MD6 parameters on the command line. Each
// field is optional and those not given take their defaults, so the last
// --md6 wins as a whole. A key may hold any bytes, commas included: it must
// be the last field and runs to the end of the value.
#include <algorithm>
#include <optional>

#include "cli/algorithm_options.h"

namespace sumwise::cli {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return fold(x) == fold(y);
           });
}

// Decimal digits only; anything above `max` (however many digits) is out of range.
std::optional<unsigned> parseNumber(std::string_view text, unsigned min, unsigned max) {
    if (text.empty()) return std::nullopt;
    unsigned long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min<unsigned long long>(value * 10 + static_cast<unsigned>(c - '0'), max + 1ull);
    }
    if (value < min || value > max) return std::nullopt;
    return static_cast<unsigned>(value);
}

std::string rangeError(std::string_view name, std::string_view value, unsigned min, unsigned max) {
    return "--md6: " + std::string(name) + " must be a whole number from " + std::to_string(min) + " to " +
           std::to_string(max) + " (got '" + std::string(value) + "')";
}

}  // namespace

std::string parseMd6Option(std::string_view value, Md6Params& params) {
    Md6Params result;  // the defaults
    std::optional<unsigned> rounds;
    while (!value.empty()) {
        std::size_t end = value.find(',');
        std::string_view field = value.substr(0, end);
        const std::size_t equals = field.find('=');
        const std::string_view name = field.substr(0, equals);
        if (equals != std::string_view::npos && equalsIgnoringCase(name, "key")) {
            end = std::string_view::npos;  // the key takes the rest
            field = value;
        }
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);
        if (field.empty()) continue;
        if (equals == std::string_view::npos) {
            return "--md6: malformed field '" + std::string(field) + "' (expected d=, L=, r= or key=)";
        }
        const std::string_view text = field.substr(equals + 1);

        if (equalsIgnoringCase(name, "key")) {
            if (text.size() > Md6Params::kMaxKeyBytes) {
                return "--md6: key must be at most 64 bytes (got " + std::to_string(text.size()) + ")";
            }
            result.key.fill('\0');
            std::copy(text.begin(), text.end(), result.key.begin());
        } else if (equalsIgnoringCase(name, "d")) {
            const auto d = parseNumber(text, 1, 512);
            if (!d) return rangeError("d", text, 1, 512);
            result.d = *d;
        } else if (equalsIgnoringCase(name, "L")) {
            const auto L = parseNumber(text, 0, 255);
            if (!L) return rangeError("L", text, 0, 255);
            result.L = *L;
        } else if (equalsIgnoringCase(name, "r")) {
            rounds = parseNumber(text, 0, 255);
            if (!rounds) return rangeError("r", text, 0, 255);
        } else {
            return "--md6: unknown field '" + std::string(name) + "' (expected d=, L=, r= or key=)";
        }
    }
    result.r = rounds ? *rounds : md6DefaultRounds(result.d, result.key[0] != '\0');
    params = result;
    return {};
}

}  // namespace sumwise::cli
