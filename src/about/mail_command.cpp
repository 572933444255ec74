#include "about/mail_command.h"

namespace sumwise {

std::wstring expandEnvironmentReferences(std::wstring_view text, const EnvironmentLookup& environment) {
    std::wstring expanded;
    while (!text.empty()) {
        const std::size_t open = text.find(L'%');
        if (open == std::wstring_view::npos) {
            expanded.append(text);
            break;
        }
        expanded.append(text.substr(0, open));
        text.remove_prefix(open);
        const std::size_t close = text.find(L'%', 1);
        if (close == std::wstring_view::npos) {
            expanded.append(text);  // an unfinished reference is plain text
            break;
        }
        const std::wstring_view name = text.substr(1, close - 1);
        std::optional<std::wstring> value;
        if (!name.empty() && environment) value = environment(name);
        if (value) {
            expanded.append(*value);
        } else {
            expanded.append(text.substr(0, close + 1));
        }
        text.remove_prefix(close + 1);
    }
    return expanded;
}

std::optional<std::wstring> mailCommandLine(std::wstring_view commandTemplate, std::wstring_view address,
                                            std::wstring_view subject, const EnvironmentLookup& environment) {
    if (commandTemplate.size() > kMailTemplateMaxLength) return std::nullopt;
    const std::size_t placeholder = commandTemplate.find(L"%1");
    if (placeholder == std::wstring_view::npos) return std::nullopt;

    // The parts around the placeholder are expanded on their own, so the
    // placeholder never joins a reference and the argument is never expanded.
    const std::wstring head = expandEnvironmentReferences(commandTemplate.substr(0, placeholder), environment);
    const std::wstring tail = expandEnvironmentReferences(commandTemplate.substr(placeholder + 2), environment);
    if (head.size() + 2 + tail.size() > kMailExpandedMaxLength) return std::nullopt;

    std::wstring argument(address);
    argument += L"?subject=";
    argument += subject;
    if (argument.size() > kMailArgumentMaxLength) return std::nullopt;

    std::wstring commandLine = head + argument + tail;
    if (commandLine.size() > kMailCommandLineMaxLength) return std::nullopt;
    // A NUL would end the command line where the system reads it.
    if (commandLine.find(L'\0') != std::wstring::npos) return std::nullopt;
    return commandLine;
}

}  // namespace sumwise
