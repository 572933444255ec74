#include "cli/cli_options.h"

#include <string_view>

#include "cli/algorithm_options.h"
#include "jobs/registry.h"

namespace sumwise::cli {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// "CRC32,md5,SHA-1" or "all" -> a mask; names as the registry spells them,
// in any letter case.
std::string parseAlgorithmList(std::string_view list, std::uint32_t& mask) {
    mask = 0;
    if (equalsIgnoringCase(list, "all")) {
        mask = availableAlgorithms();
        return {};
    }
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        if (name.empty()) continue;
        const AlgorithmEntry* entry = nullptr;
        if (const auto flag = flagForName(name)) entry = entryForFlag(*flag);
        if (entry == nullptr) return "unknown algorithm '" + std::string(name) + "' (see --help for the names)";
        if (!entry->available()) return "algorithm '" + entry->asciiName() + "' is not available in this build";
        mask |= entry->flag;
    }
    if (mask == 0) return "no algorithm given to -a";
    return {};
}

}  // namespace

std::uint32_t defaultAlgorithms() {
    std::uint32_t mask = 0;
    for (const char* name : {"CRC32", "MD5", "SHA-1"}) {
        if (const auto flag = flagForName(std::string_view(name)); flag && entryForFlag(*flag)->available()) {
            mask |= *flag;
        }
    }
    return mask;
}

ParseResult parseArguments(const std::vector<Argument>& arguments) {
    ParseResult result;
    Options& options = result.options;
    bool algorithmsGiven = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Argument& argument = arguments[i];
        const std::string_view text = argument.text;
        auto value = [&](std::string_view option) -> const Argument* {
            if (i + 1 >= arguments.size()) {
                result.error = "option " + std::string(option) + " needs a value";
                return nullptr;
            }
            return &arguments[++i];
        };

        if (optionsEnded || text == "-" || text.empty() || text[0] != '-') {
            Input input;
            if (text == "-" ) {
                input.kind = Input::Kind::StandardInput;
                input.name = "-";
            } else {
                input.kind = Input::Kind::File;
                input.name = argument.text;
                input.path = argument.path;
            }
            options.inputs.push_back(std::move(input));
        } else if (text == "--") {
            optionsEnded = true;
        } else if (text == "-a" || text == "--algorithms") {
            const Argument* list = value(text);
            if (list == nullptr) return result;
            result.error = parseAlgorithmList(list->text, options.algorithms);
            if (!result.ok()) return result;
            algorithmsGiven = true;
        } else if (text.starts_with("--algorithms=") || (text.starts_with("-a") && !text.starts_with("--"))) {
            const std::string_view list = text.substr(text[1] == 'a' ? 2 : 13);
            result.error = parseAlgorithmList(list, options.algorithms);
            if (!result.ok()) return result;
            algorithmsGiven = true;
        } else if (text == "-s" || text == "--small") {
            options.lowerCase = true;
        } else if (text == "--text") {
            const Argument* textArgument = value(text);
            if (textArgument == nullptr) return result;
            Input input;
            input.kind = Input::Kind::Text;
            input.name = "\"" + textArgument->text + "\"";
            input.text = textArgument->bytes;
            options.inputs.push_back(std::move(input));
        } else if (text == "--haval" || text == "--md6") {
            const Argument* parameters = value(text);
            if (parameters == nullptr) return result;
            result.error = text == "--haval" ? parseHavalOption(parameters->text, options.params.haval)
                                             : parseMd6Option(parameters->bytes, options.params.md6);
            if (!result.ok()) return result;
        } else if (text == "--help" || text == "-h" || text == "-?") {
            options.help = true;
        } else if (text == "--version") {
            options.version = true;
        } else {
            result.error = "unknown option '" + std::string(text) + "'";
            return result;
        }
    }

    if (!algorithmsGiven) options.algorithms = defaultAlgorithms();
    if (options.inputs.empty()) {
        Input input;
        input.kind = Input::Kind::StandardInput;
        input.name = "-";
        options.inputs.push_back(std::move(input));
    }
    return result;
}

std::string usageText() {
    // The algorithm names, wrapped to the width of the rest of the text.
    std::string names;
    std::size_t lineLength = 12;  // "Algorithms: "
    for (const AlgorithmEntry& entry : algorithms()) {
        if (!entry.available()) continue;
        const std::string name = entry.asciiName();
        if (!names.empty()) {
            names += ",";
            ++lineLength;
            if (lineLength + 1 + name.size() > 79) {
                names += "\n           ";
                lineLength = 11;
            }
            names += " ";
            ++lineLength;
        }
        names += name;
        lineLength += name.size();
    }
    return "Usage: sumwise-cli [-a LIST] [-s] [--text TEXT] [FILE...]\n"
           "Computes message digests and checksums of files, standard input and texts.\n"
           "\n"
           "  -a LIST       algorithms, names separated by commas (any letter case), or all;\n"
           "                default CRC32,MD5,SHA-1\n"
           "  -s            write the hexadecimal digits in lower case\n"
           "  --text TEXT   hash the bytes of TEXT (may be given several times)\n"
           "  --haval P,B   HAVAL with P passes (3, 4, 5) and B bits (128, 160, 192, 224,\n"
           "                256); default 5,256\n"
           "  --md6 FIELDS  MD6 parameters d=1..512 (256), L=0..255 (64), r=0..255 (40+d/4;\n                80+ keyed), key=TEXT (<= 64 bytes, last: it takes the rest)\n"
           "  --help        show this help and exit\n"
           "  --version     show the version and exit\n"
           "\n"
           "With no FILE, or when FILE is -, standard input is read.\n"
           "One algorithm prints \"DIGEST  NAME\" per input; several print the input's name,\n"
           "then one \"ALGORITHM: DIGEST\" line each.\n"
           "\n"
           "Algorithms: " + names + "\n"
           "\n"
           "Exit status: 0 when every input was hashed, 1 when some input could not be\n"
           "read, 2 for a usage error.\n";
}

}  // namespace sumwise::cli
