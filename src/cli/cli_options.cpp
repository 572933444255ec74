#include "cli/cli_options.h"

#include <string_view>

#include "algorithms/algorithm_table.h"
#include "text/ascii_case.h"

namespace sumwise::cli {

namespace {

// "CRC32,md5,SHA-1" or "all" -> a mask; names as the algorithm table has
// them or as other tools spell them, in any letter case. "all" anywhere in the list means every algorithm.
std::string parseAlgorithmList(std::string_view list, AlgorithmMask& mask) {
    mask = 0;
    bool all = false;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        if (name.empty()) continue;
        if (equalsIgnoringAsciiCase(name, "all")) {
            all = true;
            continue;
        }
        const AlgorithmEntry* entry = algorithmNamed(name);
        if (entry == nullptr) entry = algorithmSpelled(name);  // the peers' names: sha3_256, b3, xxh3_64
        if (entry == nullptr) return "unknown algorithm '" + std::string(name) + "' (see --help for the names)";
        mask |= entry->flag();
    }
    if (all) mask = kAllAlgorithms;
    if (mask == 0) return "no algorithm given to -a";
    return {};
}

Input standardInput() {
    Input input;
    input.kind = Input::Kind::StandardInput;
    input.name = "-";
    return input;
}

// Options that only make sense together, and parameters for algorithms not chosen.
std::string checkCombinations(Options& options, bool havalGiven, bool md6Given,
                              const std::vector<std::string_view>& checkingOptions) {
    bool texts = false;
    bool standard = false;
    for (const Input& input : options.inputs) {
        texts = texts || input.kind == Input::Kind::Text;
        standard = standard || input.kind == Input::Kind::StandardInput;
    }
    if (options.check) {
        if (texts) return "--text cannot be given with -c (the sums files name what is checked)";
        if (options.tag) return "--tag is meaningless when checking (-c)";
        if (options.save) return "--save cannot be given with -c";
        if (options.recursive) return "-r cannot be given with -c";
    } else {
        if (!checkingOptions.empty()) return std::string(checkingOptions.front()) + " is meaningful only with -c";
        if (options.save && (texts || standard)) return "--save needs files: it cannot save beside a text or -";
    }
    // When checking, the sums files choose the algorithms unless -a does.
    const bool chosen = !options.check || options.algorithmsGiven;
    auto warnUnless = [&](bool given, std::string_view option, ParameterKind kind) {
        const AlgorithmEntry* taking = algorithmWithParameters(kind);
        if (!chosen || !given || taking == nullptr || (options.algorithms & taking->flag()) != 0) return;
        options.warnings.push_back(std::string(option) + " has no effect: " + std::string(taking->name) +
                                   " is not among the algorithms (-a)");
    };
    warnUnless(havalGiven, "--haval", ParameterKind::Haval);
    warnUnless(md6Given, "--md6", ParameterKind::Md6);
    return {};
}

}  // namespace

ParseResult parseArguments(const std::vector<Argument>& arguments) {
    ParseResult result;
    Options& options = result.options;
    bool optionsEnded = false;
    bool havalGiven = false;
    bool md6Given = false;
    Md6Choice md6;
    std::vector<std::string_view> checkingOptions;

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
            if (text == "-") {
                input = standardInput();
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
            options.algorithmsGiven = true;
        } else if (text.starts_with("--algorithms=") || (text.starts_with("-a") && !text.starts_with("--"))) {
            const std::string_view list = text.substr(text[1] == 'a' ? 2 : 13);
            result.error = parseAlgorithmList(list, options.algorithms);
            if (!result.ok()) return result;
            options.algorithmsGiven = true;
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
        } else if (text == "--haval") {
            const Argument* parameters = value(text);
            if (parameters == nullptr) return result;
            result.error = parseHavalOption(parameters->text, options.params.haval);
            if (!result.ok()) return result;
            havalGiven = true;
        } else if (text == "--md6" || text == "--md6-key") {
            const Argument* parameters = value(text);
            if (parameters == nullptr) return result;
            result.error = text == "--md6" ? parseMd6Option(parameters->bytes, md6) : parseMd6Key(parameters->bytes, md6);
            if (!result.ok()) return result;
            md6Given = true;
        } else if (text == "-c" || text == "--check") {
            options.check = true;
        } else if (text == "--tag") {
            options.tag = true;
        } else if (text == "--save") {
            options.save = true;
        } else if (text == "-r" || text == "--recursive") {
            options.recursive = true;
        } else if (text == "--quiet") {
            options.checking.quiet = true;
            checkingOptions.push_back(text);
        } else if (text == "--status") {
            options.checking.status = true;
            checkingOptions.push_back(text);
        } else if (text == "-w" || text == "--warn") {
            options.checking.warn = true;
            checkingOptions.push_back(text);
        } else if (text == "--strict") {
            options.checking.strict = true;
            checkingOptions.push_back(text);
        } else if (text == "--ignore-missing") {
            options.checking.ignoreMissing = true;
            checkingOptions.push_back(text);
        } else if (text == "--help" || text == "-h" || text == "-?") {
            options.help = true;
        } else if (text == "--version") {
            options.version = true;
        } else {
            result.error = "unknown option '" + std::string(text) + "'";
            return result;
        }
    }

    if (!options.algorithmsGiven) options.algorithms = kDefaultAlgorithms;
    options.params.md6 = md6Params(md6);
    if (options.inputs.empty()) options.inputs.push_back(standardInput());
    result.error = checkCombinations(options, havalGiven, md6Given, checkingOptions);
    return result;
}

std::string usageText() {
    // The algorithm names, wrapped to the width of the rest of the text.
    std::string names;
    std::size_t lineLength = 12;  // "Algorithms: "
    for (const AlgorithmEntry& entry : algorithms()) {
        const std::string_view name = entry.name;
        if (!names.empty()) {
            names += ",";
            ++lineLength;
            if (lineLength + 1 + name.size() + 1 > 79) {  // with the comma that may follow it
                names += "\n           ";
                lineLength = 11;
            }
            names += " ";
            ++lineLength;
        }
        names += name;
        lineLength += name.size();
    }
    return "Usage: sumwise-cli [OPTION]... [FILE]...\n"
           "  or:  sumwise-cli -c [OPTION]... [SUMS-FILE]...\n"
           "  or:  sumwise-cli --verify-update DIR\n"
           "Computes message digests and checksums of files, standard input and texts,\n"
           "and checks files against the digests in sums files.\n"
           "\n"
           "  -a LIST          algorithms, names separated by commas (any letter case),\n"
           "                   or all; default CRC32,MD5,SHA-1\n"
           "  -s               write the hexadecimal digits in lower case\n"
           "  --text TEXT      hash the bytes of TEXT (may be given several times)\n"
           "  --tag            write \"ALGORITHM (NAME) = DIGEST\" lines\n"
           "  --save           write a hash file beside each input file: NAME.EXT (.md5,\n"
           "                   .sha-256, ...) holding the digest, as the program saves it\n"
           "  -r, --recursive  hash the files in folders and their subfolders\n"
           "  --haval P,B      HAVAL with P passes (3, 4, 5) and B bits (128, 160, 192,\n"
           "                   224, 256); default 5,256\n"
           "  --md6 FIELDS     MD6 parameters d=1..512 (256), L=0..255 (64), r=0..255\n"
           "                   (40+d/4; 80+ keyed), key=TEXT (at most 64 bytes; it takes\n"
           "                   the rest of the value, so it comes last)\n"
           "  --md6-key TEXT   the MD6 key on its own (commas and all)\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n"
           "\n"
           "With no FILE, or when FILE is -, standard input is read. One algorithm prints\n"
           "\"DIGEST  NAME\" per input; several print the input's name, then one\n"
           "\"ALGORITHM: DIGEST\" line each. A name holding a backslash, a line feed or a\n"
           "carriage return is written escaped (\\\\, \\n, \\r) after a leading backslash.\n"
           "\n"
           "-c, --check: check the files named in the sums FILEs against their digests.\n"
           "  --ignore-missing  pass over lines whose file does not exist\n"
           "  --quiet           print no OK lines\n"
           "  --status          print nothing: the exit status tells\n"
           "  --strict          fail when a line is badly formatted\n"
           "  -w, --warn        warn about each badly formatted line\n"
           "Lines are \"DIGEST  NAME\", \"DIGEST *NAME\" or \"ALGORITHM (NAME) = DIGEST\"; a\n"
           "hash file NAME.EXT holding only a digest checks NAME. The algorithm of an\n"
           "untagged line comes from -a, else from the sums file's name (x.md5,\n"
           "x.sha256, SHA256SUMS, ...), else from the digest's length when only one\n"
           "algorithm has it.\n"
           "\n"
           "--verify-update DIR: check the version files in DIR (a release's files\n"
           "folder, or the folder holding it) as the program would: latest.txt and\n"
           "beta.txt, when there, signed for the built-in update key and well formed.\n"
           "\n"
           "Algorithms: " + names + "\n"
           "\n"
           "Exit status: 0 when every input was hashed (or every line checked out);\n"
           "1 when an input could not be read or failed its check, or the output could\n"
           "not be written; 2 for a usage error or a sums file that cannot be read.\n";
}

}  // namespace sumwise::cli
