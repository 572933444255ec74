// The daily log on disk: folder "Logs" beside the program (or under the
// user's application data when that is not allowed), one file per day.
#pragma once

#include <windows.h>

#include <string>

#include "jobs/result_log.h"

namespace sumwise {

class DailyLogFile final : public ResultLog {
public:
    // `folder` empty: the folder beside the program, as the program finds it.
    explicit DailyLogFile(std::wstring folder = {});

    bool append(const LocalTime& postedAt, const std::vector<std::wstring>& lines) override;
    LocalTime now() const override;

    // The folder entries go to, created when missing.
    std::wstring folder() const;

private:
    std::wstring fixedFolder_;
};

// The lines joined with CR LF in the ANSI code page, each line at most
// 1024 bytes with its line end.
std::string encodeLogLines(const std::vector<std::wstring>& lines);

}  // namespace sumwise
