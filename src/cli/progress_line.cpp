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
                           Clock::time_point start, unsigned columns)
    : terminal_(terminal), name_(std::move(name)), total_(total), start_(start), columns_(columns) {}

ProgressLine::~ProgressLine() { clear(); }

std::string ProgressLine::text(const std::string& name, std::uint64_t done, std::optional<std::uint64_t> total,
                               unsigned columns) {
    std::string status;
    if (total && *total > 0) {
        const auto percent = static_cast<unsigned>(std::min<std::uint64_t>(100, done * 100 / *total));
        status = std::to_string(percent) + "% (" + narrow(sizeText(done, L'.')) + " of " +
                 narrow(sizeText(*total, L'.')) + ")";
    } else {
        status = narrow(sizeText(done, L'.')) + " read";
    }
    // A terminal wraps a line that fills its last column: one column stays
    // free. Bytes are counted, never fewer than the columns they take.
    const std::size_t room = columns > 1 ? columns - 1 : std::string::npos;
    std::string shownName = name;
    if (room != std::string::npos && shownName.size() + 2 + status.size() > room) {
        const std::size_t keep = room > status.size() + 5 ? room - status.size() - 5 : 0;
        std::size_t from = shownName.size() - std::min(keep, shownName.size());
        // Not in the middle of a UTF-8 sequence.
        while (from < shownName.size() && (static_cast<unsigned char>(shownName[from]) & 0xC0) == 0x80) ++from;
        shownName = "..." + shownName.substr(from);
    }
    std::string line = shownName + ": " + status;
    if (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line.resize(cut);
    }
    return line;
}

void ProgressLine::blockRead(std::uint64_t totalBytes) { update(totalBytes, Clock::now()); }

void ProgressLine::update(std::uint64_t totalBytes, Clock::time_point now) {
    if (now - start_ < kQuietPeriod) return;
    if (shownWidth_ > 0 && now - lastShown_ < kRedrawPeriod) return;
    lastShown_ = now;
    std::string line = text(name_, totalBytes, total_, columns_);
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
