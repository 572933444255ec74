// "--md6 d=N,L=N,r=N,key=TEXT" and "--md6-key TEXT": the MD6 parameters on
// the command line. Fields not given keep what an earlier option set, or the
// defaults. A key may hold any bytes, commas included: in --md6 it must be
// the last field and runs to the end of the value.
#include <algorithm>

#include "cli/algorithm_options.h"
#include "text/ascii_case.h"

namespace sumwise::cli {

namespace {

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

// The first ",d=", ",L=", ",r=" or ",key=" in a key's text (any letter case),
// or none: such a key was most likely meant to end before it.
std::optional<std::string_view> fieldInKey(std::string_view key) {
    for (std::size_t comma = key.find(','); comma != std::string_view::npos; comma = key.find(',', comma + 1)) {
        const std::string_view rest = key.substr(comma + 1);
        for (const std::string_view field : {"d=", "l=", "r=", "key="}) {
            if (rest.size() >= field.size() && equalsIgnoringAsciiCase(rest.substr(0, field.size()), field)) {
                return key.substr(comma, 1 + field.size());
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::string parseMd6Key(std::string_view key, Md6Choice& choice) {
    if (key.size() > Md6Params::kMaxKeyBytes) {
        return "--md6: key must be at most 64 bytes (got " + std::to_string(key.size()) + ")";
    }
    // The key is NUL-terminated text: a NUL would end it early.
    if (key.find('\0') != std::string_view::npos) return "--md6: key must not hold a NUL byte";
    choice.key = std::string(key);
    return {};
}

std::string parseMd6Option(std::string_view value, Md6Choice& choice) {
    if (value.empty()) return "--md6: no fields given (expected d=, L=, r= or key=)";
    Md6Choice result = choice;
    std::string seen;  // the fields given in this value, by their first letter
    while (!value.empty()) {
        std::size_t end = value.find(',');
        std::string_view field = value.substr(0, end);
        const std::size_t equals = field.find('=');
        const std::string_view name = field.substr(0, equals);
        if (equals != std::string_view::npos && equalsIgnoringAsciiCase(name, "key")) {
            end = std::string_view::npos;  // the key takes the rest
            field = value;
        }
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);
        if (field.empty()) continue;
        if (equals == std::string_view::npos) {
            return "--md6: malformed field '" + std::string(field) + "' (expected d=, L=, r= or key=)";
        }
        const std::string_view text = field.substr(equals + 1);
        const char letter = static_cast<char>(name.empty() ? '?' : (name[0] | 0x20));
        if (!name.empty() && seen.find(letter) != std::string::npos &&
            (equalsIgnoringAsciiCase(name, "key") || name.size() == 1)) {
            return "--md6: " + std::string(name) + "= is given twice";
        }
        seen += letter;

        if (equalsIgnoringAsciiCase(name, "key")) {
            if (const auto further = fieldInKey(text)) {
                return "--md6: key= takes the rest of the value, so it must come last; '" + std::string(*further) +
                       "' after it looks like another field (give the fields before key=, or the key with "
                       "--md6-key)";
            }
            if (std::string error = parseMd6Key(text, result); !error.empty()) return error;
        } else if (equalsIgnoringAsciiCase(name, "d")) {
            const auto d = parseNumber(text, 1, 512);
            if (!d) return rangeError("d", text, 1, 512);
            result.d = *d;
        } else if (equalsIgnoringAsciiCase(name, "L")) {
            const auto L = parseNumber(text, 0, 255);
            if (!L) return rangeError("L", text, 0, 255);
            result.L = *L;
        } else if (equalsIgnoringAsciiCase(name, "r")) {
            const auto rounds = parseNumber(text, 0, 255);
            if (!rounds) return rangeError("r", text, 0, 255);
            result.r = *rounds;
        } else {
            return "--md6: unknown field '" + std::string(name) + "' (expected d=, L=, r= or key=)";
        }
    }
    choice = std::move(result);
    return {};
}

Md6Params md6Params(const Md6Choice& choice) {
    Md6Params params;  // the defaults
    if (choice.d) params.d = *choice.d;
    if (choice.L) params.L = *choice.L;
    if (choice.key) std::copy(choice.key->begin(), choice.key->end(), params.key.begin());
    params.r = choice.r ? *choice.r : md6DefaultRounds(params.d, params.key[0] != '\0');
    return params;
}

}  // namespace sumwise::cli
