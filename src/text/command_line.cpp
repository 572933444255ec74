#include "text/command_line.h"

#include <algorithm>
#include <limits>

#include "algorithms/algorithm_table.h"
#include "text/ascii_case.h"

namespace sumwise {

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
wchar_t upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

class Scanner {
public:
    explicit Scanner(std::wstring_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    wchar_t peek(std::size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : L'\0'; }
    void advance(std::size_t count = 1) { pos_ = std::min(text_.size(), pos_ + count); }
    void skipBlanks() {
        while (!atEnd() && isBlank(peek())) advance();
    }
    void skipSeparators() {  // colons, blanks and tabs before a value
        while (!atEnd() && (isBlank(peek()) || peek() == L':')) advance();
    }
    bool startsWith(std::wstring_view word) const {
        return startsWithIgnoringAsciiCase(text_.substr(std::min(pos_, text_.size())), word);
    }
    // Takes characters up to (not including) any of `stops`, or the end.
    std::wstring_view takeUntil(std::wstring_view stops) {
        const std::size_t start = pos_;
        while (!atEnd() && stops.find(peek()) == std::wstring_view::npos) advance();
        return text_.substr(start, pos_ - start);
    }

private:
    std::wstring_view text_;
    std::size_t pos_ = 0;
};

// A decimal number with an optional sign, up to the first non-digit; 0
// without digits. Values beyond 32 bits are held at the nearest limit.
std::int32_t decimalValue(std::wstring_view value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) negative = value[i++] == L'-';
    std::int64_t number = 0;
    for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
        number = std::min<std::int64_t>(number * 10 + (value[i] - L'0'), std::int64_t{1} << 32);
    }
    if (negative) number = -number;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(number, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// "/H:name,name,...": names end at a comma, blank, "/", double quote or the
// end; the list ends at the first name not followed by a comma.
AlgorithmMask parseAlgorithmNames(Scanner& scanner) {
    AlgorithmMask mask = 0;
    scanner.skipSeparators();
    for (;;) {
        const std::wstring_view name = scanner.takeUntil(L", \t/\"");
        if (const AlgorithmEntry* entry = algorithmNamed(name)) mask |= entry->flag();
        if (scanner.peek() != L',') break;
        scanner.advance();
    }
    return mask;
}

std::wstring_view optionValue(Scanner& scanner) {
    scanner.skipSeparators();
    return scanner.takeUntil(L" \t/\"");
}

// After a one-letter option, the rest of a longer word is ignored.
void skipRestOfWord(Scanner& scanner) { scanner.takeUntil(L" \t/\""); }

bool endsWord(wchar_t c) { return c == L'\0' || isBlank(c) || c == L'/'; }

void parseOption(Scanner& scanner, CommandLine& result) {
    scanner.advance();  // the "/"
    using Kind = CommandLine::Step::Kind;
    if (scanner.startsWith(L"LOG") && endsWord(scanner.peek(3))) {
        scanner.advance(3);
        result.steps.push_back({Kind::LogEveryJob, {}});
        return;
    }
    if (scanner.startsWith(L"LANG")) {
        // Read at start-up; skip just its code so that a following input argument still counts.
        scanner.advance(4);
        scanner.skipSeparators();
        while (!scanner.atEnd() && (isAsciiLetter(scanner.peek()) || scanner.peek() == L'-')) scanner.advance();
        return;
    }
    const wchar_t letter = upper(scanner.peek());
    scanner.advance();
    switch (letter) {
    case L'A': result.steps.push_back({Kind::ShowAll, {}}); skipRestOfWord(scanner); return;
    case L'S': result.steps.push_back({Kind::SmallCaps, {}}); skipRestOfWord(scanner); return;
    case L'T': result.steps.push_back({Kind::TextMode, {}}); skipRestOfWord(scanner); return;
    case L'V': result.steps.push_back({Kind::DiskMode, {}}); skipRestOfWord(scanner); return;
    case L'H': result.tickedMask |= parseAlgorithmNames(scanner); return;
    case L'K': result.md6Key = std::wstring(optionValue(scanner)); return;
    case L'D': result.md6D = decimalValue(optionValue(scanner)); return;
    case L'R': result.md6R = decimalValue(optionValue(scanner)); return;
    case L'L':
        // /L takes a value only when a colon, blank, digit or the end follows;
        // otherwise it is some longer word such as /LOGFILE.
        if (scanner.peek() < 65) {
            result.md6L = decimalValue(optionValue(scanner));
            return;
        }
        break;
    default: break;
    }
    // Anything else is skipped up to the next option.
    scanner.takeUntil(L"/");
}

std::wstring inputArgument(Scanner& scanner) {
    std::wstring_view argument;
    if (scanner.peek() == L'"') {
        scanner.advance();
        argument = scanner.takeUntil(L"\"");
        scanner.advance();  // the closing quote, if any
    } else {
        argument = scanner.takeUntil(L"\t/");
        // Blanks belong to an unquoted path, but not those before the next option.
        while (!argument.empty() && isBlank(argument.back())) argument.remove_suffix(1);
    }
    // A path is taken whole, however long.
    return std::wstring(argument);
}

}  // namespace

CommandLine parseCommandLine(std::wstring_view commandLine) {
    CommandLine result;
    Scanner scanner(commandLine);
    bool inputSeen = false;
    for (;;) {
        scanner.skipBlanks();
        if (scanner.atEnd()) break;
        if (scanner.peek() == L'/') {
            parseOption(scanner, result);
            continue;
        }
        std::wstring input = inputArgument(scanner);
        if (!inputSeen) {
            inputSeen = true;
            result.steps.push_back({CommandLine::Step::Kind::Input, std::move(input)});
        }
    }
    return result;
}

std::wstring_view argumentsOf(std::wstring_view fullCommandLine) {
    std::size_t i = 0;
    if (i < fullCommandLine.size() && fullCommandLine[i] == L'"') {
        const std::size_t close = fullCommandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? fullCommandLine.size() : close + 1;
    } else {
        while (i < fullCommandLine.size() && !isBlank(fullCommandLine[i])) ++i;
    }
    while (i < fullCommandLine.size() && isBlank(fullCommandLine[i])) ++i;
    return fullCommandLine.substr(i);
}

}  // namespace sumwise
