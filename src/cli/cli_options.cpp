#include "cli/cli_options.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "algorithms/algorithm_table.h"
#include "text/ascii_case.h"

namespace sumwise::cli {

namespace {

// "CRC32,md5,SHA-1" or "all" -> a mask; names as the algorithm table has
// them or as the peers spell them (sha256, rmd160), in any letter case.
// "all" anywhere in the list means every algorithm. An empty name (",,", a
// comma at either end) is an error, as it most likely hides a typing slip.
std::string parseAlgorithmList(std::string_view list, AlgorithmMask& mask) {
    mask = 0;
    bool all = false;
    if (list.empty()) return "no algorithm given to -a";
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name.empty()) return "-a: an empty algorithm name in the list (two commas, or one at an end)";
        if (equalsIgnoringAsciiCase(name, "all")) {
            all = true;
        } else {
            const AlgorithmEntry* entry = algorithmNamed(name);
            if (entry == nullptr) entry = algorithmSpelled(name);
            if (entry == nullptr) return "unknown algorithm '" + std::string(name) + "' (see --help for the names)";
            mask |= entry->flag();
        }
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    if (all) mask = kAllAlgorithms;
    return {};
}

// The long options that take a value, and the short ones.
bool takesValue(std::string_view option) {
    return option == "-a" || option == "--algorithms" || option == "--text" || option == "--haval" ||
           option == "--md6" || option == "--md6-key";
}

// One option as the GNU tools read it: "--name=VALUE" and "-aVALUE" carry
// their value; "-rs" is "-r -s".
struct OptionWord {
    std::string name;
    std::optional<Argument> value;  // given inside the word
};

std::vector<OptionWord> optionWords(const Argument& argument) {
    const std::string& text = argument.text;
    auto part = [&](std::size_t from) {
        // The prefix is ASCII, so the value starts at the same byte in every form.
        return Argument{text.substr(from), std::filesystem::path(), argument.bytes.substr(std::min(from, argument.bytes.size()))};
    };
    if (text.starts_with("--")) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) return {{text, std::nullopt}};
        return {{text.substr(0, equals), part(equals + 1)}};
    }
    std::vector<OptionWord> words;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const std::string name = std::string("-") + text[i];
        if (takesValue(name) && i + 1 < text.size()) {
            words.push_back({name, part(i + 1)});
            break;
        }
        words.push_back({name, std::nullopt});
    }
    return words;
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
        if (optionsEnded || argument.text == "-" || argument.text.empty() || argument.text[0] != '-') {
            Input input;
            if (argument.text == "-") {
                input = standardInput();
            } else {
                input.kind = Input::Kind::File;
                input.name = argument.text;
                input.path = argument.path;
            }
            options.inputs.push_back(std::move(input));
            continue;
        }
        if (argument.text == "--") {
            optionsEnded = true;
            continue;
        }
        for (const OptionWord& word : optionWords(argument)) {
            const std::string_view text = word.name;
            auto value = [&](std::string_view option) -> const Argument* {
                if (word.value) return &*word.value;
                if (i + 1 >= arguments.size()) {
                    result.error = "option " + std::string(option) + " needs a value";
                    return nullptr;
                }
                return &arguments[++i];
            };
            if (word.value && !takesValue(text)) {
                result.error = "option '" + std::string(text) + "' takes no value";
                return result;
            }

            if (text == "-a" || text == "--algorithms") {
                const Argument* list = value(text);
                if (list == nullptr) return result;
                result.error = parseAlgorithmList(list->text, options.algorithms);
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
                result.error =
                    text == "--md6" ? parseMd6Option(parameters->bytes, md6) : parseMd6Key(parameters->bytes, md6);
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
                checkingOptions.push_back("--quiet");
            } else if (text == "--status") {
                options.checking.status = true;
                checkingOptions.push_back("--status");
            } else if (text == "-w" || text == "--warn") {
                options.checking.warn = true;
                checkingOptions.push_back(text == "-w" ? "-w" : "--warn");
            } else if (text == "--strict") {
                options.checking.strict = true;
                checkingOptions.push_back("--strict");
            } else if (text == "--ignore-missing") {
                options.checking.ignoreMissing = true;
                checkingOptions.push_back("--ignore-missing");
            } else if (text == "--help" || text == "-h" || text == "-?") {
                options.help = true;
            } else if (text == "--version") {
                options.version = true;
            } else {
                result.error = "unknown option '" + std::string(text) + "'";
                return result;
            }
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
           "  -a LIST          algorithms, names separated by commas (any letter case;\n"
           "                   also sha256, rmd160, ...), or all; default CRC32,MD5,SHA-1\n"
           "  -s               write the hexadecimal digits in lower case\n"
           "  --text TEXT      hash the bytes of TEXT (may be given several times)\n"
           "  --tag            write \"ALGORITHM (NAME) = DIGEST\" lines (SHA256, MD5, ...,\n"
           "                   as sha256sum -c reads them; HAVAL-128/3, MD6-160 with their\n"
           "                   parameters)\n"
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
           "Lines are \"DIGEST  NAME\", \"DIGEST *NAME\", \"ALGORITHM (NAME) = DIGEST\" or\n"
           "\"MD5(NAME)= DIGEST\"; a hash file NAME.EXT holding only a digest checks NAME;\n"
           "an .sfv file (or -a crc32) has \"NAME CRC32\" lines. The algorithm of an\n"
           "untagged line comes from -a, else from the sums file's name (x.md5,\n"
           "x.sha256, SHA256SUMS, ...), else from the digest's length; a length several\n"
           "share takes what the *sum tools write (32 digits MD5, 40 SHA-1, 64 SHA-256,\n"
           "128 SHA-512), and --warn says so.\n"
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
