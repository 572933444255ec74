#include "jobs/result_log.h"

#include <algorithm>

namespace sumwise {

namespace {

std::wstring twoDigits(int value) {
    std::wstring text = std::to_wstring(value);
    return text.size() < 2 ? L"0" + text : text;
}

std::wstring digits(int value, std::size_t width) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < width) text.insert(0, width - text.size(), L'0');
    return text;
}

// "%11s: " and the rest, cut to the line limit.
std::wstring labelled(std::wstring_view label, std::wstring_view rest) {
    std::wstring line(label);
    if (line.size() < 11) line.insert(0, 11 - line.size(), L' ');
    line += L": ";
    line += rest;
    if (line.size() > kLogLineLimit) line.resize(kLogLineLimit);
    return line;
}

std::wstring inputLine(const LogInput& input) {
    switch (input.kind) {
    case LogInput::Kind::Disk:
        return labelled(L"Disk", std::wstring(L"(") + input.driveLetter + L":) " + input.volumeLabel.value_or(L"Empty"));
    case LogInput::Kind::Text: return labelled(L"Text", L"\"" + input.path + L"\"");
    case LogInput::Kind::File: break;
    }
    return labelled(L"File", L"\"" + input.path + L"\"");
}

}  // namespace

std::vector<std::wstring> logEntryLines(const LocalTime& postedAt, const LogInput& input,
                                        std::wstring_view algorithmName, std::wstring_view digest,
                                        std::uint32_t elapsedMilliseconds) {
    const std::size_t digestDigits = std::min<std::size_t>(digest.size(), 129);
    const std::uint32_t elapsed = elapsedMilliseconds;
    return {
        labelled(L"Time", twoDigits(postedAt.hour) + L":" + twoDigits(postedAt.minute) + L":" +
                              twoDigits(postedAt.second) + L":" + digits(postedAt.millisecond, 3)),
        inputLine(input),
        labelled(algorithmName, digest),
        labelled(L"Length", std::to_wstring(4 * digestDigits) + L" bits"),
        labelled(L"Speed", twoDigits(static_cast<int>(elapsed / 60000)) + L":" +
                               twoDigits(static_cast<int>(elapsed % 60000 / 1000)) + L":" +
                               digits(static_cast<int>(elapsed % 1000), 3)),
        std::wstring(kLogSeparatorLength, L'-'),
    };
}

std::wstring logFileName(std::wstring_view folder, const LocalTime& time) {
    return std::wstring(folder) + L"\\" + std::to_wstring(time.year) + twoDigits(time.month) + twoDigits(time.day) +
           L".log";
}

}  // namespace sumwise
