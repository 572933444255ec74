// The daily log on disk: one file per day in the folder "Logs" beside the
// program, or, whenever the day's file cannot be opened for appending there
// (the folder cannot be made or written, the file is read-only...), in
// "Sumwise\Logs" under the user's application data.
#pragma once

#include <windows.h>

#include <string>

#include "jobs/result_log.h"

namespace sumwise {

class DailyLogFile final : public ResultLog {
public:
    // `folder` empty: "Logs" beside the program; `fallbackFolder` empty:
    // the one under the user's application data.
    explicit DailyLogFile(std::wstring folder = {}, std::wstring fallbackFolder = {});

    // Appends to the day's file beside the program, else to the one in the
    // fallback folder; false only when neither can be written.
    bool append(const LocalTime& postedAt, const std::vector<std::wstring>& lines) override;
    LocalTime now() const override;

private:
    std::wstring folder_;
    std::wstring fallbackFolder_;
};

// The lines joined with CR LF in the ANSI code page, each line at most
// 1024 bytes with its line end.
std::string encodeLogLines(const std::vector<std::wstring>& lines);

}  // namespace sumwise
