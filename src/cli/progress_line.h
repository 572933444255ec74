// A one-line progress report on a terminal for inputs that take a while.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "jobs/stream_control.h"

namespace sumwise::cli {

class ProgressLine final : public ProgressSink {
public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream& terminal, std::string name, std::optional<std::uint64_t> total,
                 Clock::time_point start = Clock::now(), unsigned columns = 0);
    ~ProgressLine() override;

    void blockRead(std::uint64_t totalBytes) override;
    void update(std::uint64_t totalBytes, Clock::time_point now);
    // Removes the line, if one was shown.
    void clear();

    // The line, cut to fit `columns` (0: uncut) without wrapping: the name
    // loses its start first ("...tail: 45% (...)").
    static std::string text(const std::string& name, std::uint64_t done, std::optional<std::uint64_t> total,
                            unsigned columns = 0);

    // The width of the line now on the terminal, 0 for none: what a handler
    // of an interrupt blanks before the program ends.
    static std::size_t widthOnTerminal();

private:
    std::ostream& terminal_;
    std::string name_;
    std::optional<std::uint64_t> total_;
    Clock::time_point start_;
    Clock::time_point lastShown_{};
    std::size_t shownWidth_ = 0;
    unsigned columns_;
};

}  // namespace sumwise::cli
