#include "cli/progress_line.h"

#include <atomic>
#include <string>

#include "text/size_text.h"

namespace sumwise::cli {

namespace {

// Quick inputs show nothing; slow ones are redrawn a few times a second.
constexpr auto kQuietPeriod = std::chrono::milliseconds(700);
constexpr auto kRedrawPeriod = std::chrono::milliseconds(200);

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Read by a signal handler: lock-free, and written only once the line is on the terminal.
std::atomic<std::size_t> shownOnTerminal{0};
static_assert(std::atomic<std::size_t>::is_always_lock_free);

}  // namespace

ProgressLine::ProgressLine(std::ostream& terminal, std::string name, std::optional<std::uint64_t> total,
                           Clock::time_point start)
    : terminal_(terminal), name_(std::move(name)), total_(total), start_(start) {}

ProgressLine::~ProgressLine() { clear(); }

std::string ProgressLine::text(const std::string& name, std::uint64_t done, std::optional<std::uint64_t> total) {
    std::string line = name + ": ";
    if (total && *total > 0) {
        const auto percent = static_cast<unsigned>(std::min<std::uint64_t>(100, done * 100 / *total));
        line += std::to_string(percent) + "% (" + narrow(sizeText(done, L'.')) + " of " +
                narrow(sizeText(*total, L'.')) + ")";
    } else {
        line += narrow(sizeText(done, L'.')) + " read";
    }
    return line;
}

void ProgressLine::blockRead(std::uint64_t totalBytes) { update(totalBytes, Clock::now()); }

void ProgressLine::update(std::uint64_t totalBytes, Clock::time_point now) {
    if (now - start_ < kQuietPeriod) return;
    if (shownWidth_ > 0 && now - lastShown_ < kRedrawPeriod) return;
    lastShown_ = now;
    std::string line = text(name_, totalBytes, total_);
    const std::size_t width = line.size();
    if (width < shownWidth_) line.append(shownWidth_ - width, ' ');
    terminal_ << '\r' << line << std::flush;
    shownWidth_ = std::max(shownWidth_, width);
    shownOnTerminal = shownWidth_;
}

void ProgressLine::clear() {
    if (shownWidth_ == 0) return;
    terminal_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
    shownWidth_ = 0;
    shownOnTerminal = 0;
}

std::size_t ProgressLine::widthOnTerminal() { return shownOnTerminal; }

}  // namespace sumwise::cli
