#include "results/parameter_tag.h"

#include <charconv>

#include "text/ascii_case.h"

namespace sumwise {

namespace {

std::optional<unsigned> number(std::string_view text, unsigned min, unsigned max) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value < min || value > max) return std::nullopt;
    return value;
}

// "PREFIX-" in any letter case taken off `tag`.
bool takePrefix(std::string_view& tag, std::string_view prefix) {
    if (tag.size() <= prefix.size() || !equalsIgnoringAsciiCase(tag.substr(0, prefix.size()), prefix)) return false;
    tag.remove_prefix(prefix.size());
    return true;
}

}  // namespace

std::string taggedName(const AlgorithmEntry& algorithm, const AlgorithmParams& params) {
    switch (algorithm.parameters) {
    case ParameterKind::Haval:
        return "HAVAL-" + std::to_string(params.haval.outputBits) + "/" + std::to_string(params.haval.passes);
    case ParameterKind::Md6: {
        const Md6Params& md6 = params.md6;
        std::string name = "MD6-" + std::to_string(md6.d);
        if (md6.L != Md6Params{}.L) name += "/L" + std::to_string(md6.L);
        if (md6.r != md6DefaultRounds(md6.d, md6.key[0] != '\0')) name += "/r" + std::to_string(md6.r);
        return name;
    }
    case ParameterKind::None: break;
    }
    return std::string(algorithm.tag);
}

std::optional<ParameterTag> parseParameterTag(std::string_view tag, const AlgorithmParams& base) {
    ParameterTag parsed{nullptr, base};
    if (takePrefix(tag, "HAVAL-")) {
        const std::size_t slash = tag.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const auto bits = number(tag.substr(0, slash), 128, 256);
        const auto passes = number(tag.substr(slash + 1), 3, 5);
        if (!bits || *bits % 32 != 0 || !passes) return std::nullopt;
        parsed.params.haval = {static_cast<std::uint16_t>(*passes), static_cast<std::uint16_t>(*bits)};
        parsed.algorithm = algorithmWithParameters(ParameterKind::Haval);
    } else if (takePrefix(tag, "MD6-")) {
        Md6Params& md6 = parsed.params.md6;
        const std::size_t slash = tag.find('/');
        const auto d = number(tag.substr(0, slash), kMd6DigestBitsRange.min, kMd6DigestBitsRange.max);
        if (!d) return std::nullopt;
        md6.d = *d;
        md6.L = Md6Params{}.L;
        std::optional<unsigned> rounds;
        std::string_view rest = slash == std::string_view::npos ? std::string_view{} : tag.substr(slash);
        bool haveL = false;
        while (!rest.empty()) {
            rest.remove_prefix(1);  // the slash
            const std::size_t next = rest.find('/');
            const std::string_view field = rest.substr(0, next);
            rest = next == std::string_view::npos ? std::string_view{} : rest.substr(next);
            if (field.empty()) return std::nullopt;
            const auto value = number(field.substr(1), 0, 255);
            if (!value) return std::nullopt;
            if ((field[0] == 'L' || field[0] == 'l') && !haveL && !rounds) {
                md6.L = *value;
                haveL = true;
            } else if ((field[0] == 'r' || field[0] == 'R') && !rounds) {
                rounds = value;
            } else {
                return std::nullopt;
            }
        }
        md6.r = rounds ? *rounds : md6DefaultRounds(md6.d, md6.key[0] != '\0');
        parsed.algorithm = algorithmWithParameters(ParameterKind::Md6);
    }
    if (parsed.algorithm == nullptr) return std::nullopt;
    return parsed;
}

}  // namespace sumwise
