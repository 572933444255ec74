// The daily log: six lines per posted result, in a file per day.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sumwise {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// What the job hashed, as the log names it.
struct LogInput {
    enum class Kind { File, Text, Disk };
    Kind kind = Kind::File;
    std::wstring path;            // the file path, or the typed text
    wchar_t driveLetter = L'?';   // disk jobs
    std::optional<std::wstring> volumeLabel;  // none: the drive's information could not be read
};

inline constexpr std::size_t kLogLineLimit = 1023;  // characters of one formatted line
inline constexpr std::size_t kLogSeparatorLength = 141;

// The six lines of one entry (without line ends): time of posting, input,
// algorithm and digest, digest length in bits, the worker's time, separator.
std::vector<std::wstring> logEntryLines(const LocalTime& postedAt, const LogInput& input,
                                        std::wstring_view algorithmName, std::wstring_view digest,
                                        std::uint32_t elapsedMilliseconds);

// "<folder>\YYYYMMDD.log" for the day of `time`.
std::wstring logFileName(std::wstring_view folder, const LocalTime& time);

// Where entries go. Implementations append a whole entry at once, so that
// entries from several writers never interleave.
class ResultLog {
public:
    virtual ~ResultLog() = default;
    // Appends the entry; returns false when it could not be written.
    virtual bool append(const LocalTime& postedAt, const std::vector<std::wstring>& lines) = 0;
    virtual LocalTime now() const = 0;
};

}  // namespace sumwise
