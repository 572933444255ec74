// The window title around a job: the elapsed time, and during a long job
// how far it is, how fast it reads and how long it still needs; "stopped"
// after Stop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sumwise {

// "Sumwise (Time: 01:02:345)".
std::wstring elapsedTitle(std::uint64_t milliseconds);
// "Sumwise (stopped)".
std::wstring stoppedTitle();

// The title during a busy job, at most twice a second.
class ProgressTitle {
public:
    // The job's busy layout starts at `now` (milliseconds of a steady clock).
    void start(std::uint64_t now);
    // The title for `now`, with `done` of `total` steps and `bytesRead` of
    // the input read; none when the last one shown is still fresh.
    std::optional<std::wstring> next(std::uint64_t now, std::uint64_t done, std::uint64_t total,
                                     std::uint64_t bytesRead);

private:
    std::uint64_t started_ = 0;
    std::optional<std::uint64_t> shown_;
};

}  // namespace sumwise
