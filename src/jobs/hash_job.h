// The one job record: a job's work (its algorithms with their parameters,
// its input and how its values are written) and what the jobs share with
// the window while they run. What the window shows (the ticks, the values)
// is the results model's; the user-interface language is the program's.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "algorithms/algorithm_table.h"
#include "algorithms/params.h"

namespace sumwise {

enum class LogMode : int { Off = 0, EveryJob = 1, ThisJob = -1 };

struct HashJob {
    // Written by the window's thread.
    AlgorithmMask jobMask = 0;     // algorithms of the current job
    bool fileMode = true;          // the input is `path`; otherwise `text`
    bool diskMode = false;         // `path` is a whole volume
    std::atomic<bool> upperCase{true};
    std::atomic<LogMode> logMode{LogMode::Off};
    AlgorithmParams params;        // HAVAL and MD6 parameters of the current job

    std::wstring path;             // the input box's text: a file path of any length, or a text of at most
                                   // 259 characters
    std::string text;              // a typed text's bytes: the ANSI code page (at most 259 bytes), or UTF-8 when
                                   // the code page cannot hold it exactly

    // Written by the job's threads.
    std::atomic<std::uint64_t> progressTotal{0};

    // Held while a result is posted and logged, so entries never interleave.
    std::mutex resultMutex;
};

inline constexpr std::size_t kMaxPathCharacters = 259;

}  // namespace sumwise
