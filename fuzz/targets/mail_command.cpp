// The mail client's registered command: "TEMPLATE\0ADDRESS\0SUBJECT", with
// a few environment variables set, some with awkward values.
#include "about/mail_command.h"
#include "fuzz_input.h"

using namespace sumwise;

namespace {

std::optional<std::wstring> lookUp(std::wstring_view name) {
    if (name == L"ProgramFiles") return L"C:\\Program Files";
    if (name == L"EMPTY") return L"";
    if (name == L"ONE") return L"%1";
    if (name == L"QUOTE") return L"\"";
    if (name == L"LONG") return std::wstring(300, L'x');
    return std::nullopt;
}

// The command line split as Windows programs split theirs: the program name
// up to a blank (or within quotes), then arguments where backslashes escape
// quotes and quotes group blanks.
std::size_t argumentCount(std::wstring_view line) {
    std::size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        const std::size_t close = line.find(L'"', 1);
        i = close == std::wstring_view::npos ? line.size() : close + 1;
    }
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
    std::size_t count = 1;
    bool inArgument = false;
    bool quoted = false;
    while (i < line.size()) {
        const wchar_t c = line[i];
        if (!quoted && (c == L' ' || c == L'\t')) {
            inArgument = false;
            ++i;
            continue;
        }
        if (!inArgument) ++count;
        inArgument = true;
        if (c == L'\\') {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == L'\\') ++backslashes, ++i;
            if (i < line.size() && line[i] == L'"') {
                if (backslashes % 2 == 0) quoted = !quoted;
                ++i;
            }
            continue;
        }
        if (c == L'"') quoted = !quoted;
        ++i;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = fuzz::split(fuzz::bytesOf(data, size), '\0');
    const std::wstring commandTemplate = fuzz::wideOf(parts[0]);
    const std::wstring address = parts.size() > 1 ? fuzz::wideOf(parts[1]) : L"support@sumwise.example";
    const std::wstring subject = parts.size() > 2 ? fuzz::wideOf(parts[2]) : L"Sumwise";

    fuzz::require(expandEnvironmentReferences(commandTemplate, nullptr) == commandTemplate,
                  "with no variables set the text stays as written");
    (void)expandEnvironmentReferences(commandTemplate, lookUp);

    const auto commandLine = mailCommandLine(commandTemplate, address, subject, lookUp);
    if (!commandLine) return 0;
    fuzz::require(commandLine->size() <= kMailCommandLineMaxLength, "the command line is bounded");
    fuzz::require(commandLine->find(L'\0') == std::wstring::npos, "the command line holds no NUL");

    // The argument stands literally where the first placeholder was, and
    // the rest is the template's own text, expanded.
    const std::size_t placeholder = commandTemplate.find(L"%1");
    fuzz::require(placeholder != std::wstring::npos, "only a template with a placeholder gives a command");
    const std::wstring head = expandEnvironmentReferences(commandTemplate.substr(0, placeholder), lookUp);
    const std::wstring tail = expandEnvironmentReferences(commandTemplate.substr(placeholder + 2), lookUp);
    const std::wstring argument = address + L"?subject=" + subject;
    fuzz::require(*commandLine == head + argument + tail, "the argument replaces the placeholder literally");
    // Whatever the address and subject, the command holds as many
    // arguments as with a plain word in their place.
    fuzz::require(argumentCount(*commandLine) == argumentCount(head + L"x" + tail),
                  "the address adds no argument");
    return 0;
}
