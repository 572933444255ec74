#include "app/job_title.h"

#include <windows.h>

#include <algorithm>

#include "resources/resource_ids.h"
#include "text/size_text.h"
#include "toolkit/strings.h"

namespace sumwise {

namespace {

constexpr std::uint64_t kTitleInterval = 500;  // milliseconds

// "01:05", or "1:02:05" from an hour on.
std::wstring durationText(std::uint64_t seconds) {
    seconds = std::min<std::uint64_t>(seconds, 99 * 3600 + 3599);
    const auto hours = static_cast<std::int64_t>(seconds / 3600);
    const auto minutes = static_cast<std::int64_t>(seconds % 3600 / 60);
    const auto rest = static_cast<std::int64_t>(seconds % 60);
    if (hours > 0) return formatText(L"%i:%02i:%02i", {hours, minutes, rest});
    return formatText(L"%02i:%02i", {minutes, rest});
}

}  // namespace

std::wstring elapsedTitle(std::uint64_t milliseconds) {
    const std::wstring product = loadText(IDS_PRODUCT);
    const std::wstring time = loadText(IDS_TIME);
    return formatText(L"%s (%s: %02i:%02i:%03i)",
                      {std::wstring_view(product), std::wstring_view(time),
                       static_cast<std::int64_t>(milliseconds / 60000),
                       static_cast<std::int64_t>(milliseconds % 60000 / 1000),
                       static_cast<std::int64_t>(milliseconds % 1000)});
}

std::wstring stoppedTitle() { return loadFormatted(IDS_JOB_STOPPED, {std::wstring_view(loadText(IDS_PRODUCT))}); }

void ProgressTitle::start(std::uint64_t now) {
    started_ = now;
    shown_.reset();
}

std::optional<std::wstring> ProgressTitle::next(std::uint64_t now, std::uint64_t done, std::uint64_t total,
                                                 std::uint64_t bytesRead) {
    if (shown_ && now - *shown_ < kTitleInterval) return std::nullopt;
    const std::uint64_t elapsed = now > started_ ? now - started_ : 0;
    if (total == 0 || done == 0 || elapsed < kTitleInterval) return std::nullopt;
    shown_ = now;
    done = std::min(done, total);
    const auto percent = static_cast<std::int64_t>(static_cast<double>(done) * 100.0 / static_cast<double>(total));
    const auto perSecond = static_cast<std::uint64_t>(static_cast<double>(bytesRead) * 1000.0 / static_cast<double>(elapsed));
    const auto left = static_cast<std::uint64_t>(static_cast<double>(elapsed) * static_cast<double>(total - done) /
                                                 static_cast<double>(done) / 1000.0 + 0.999);
    const std::wstring speed = sizeText(perSecond, decimalSeparator());
    const std::wstring remaining = durationText(left);
    return elapsedTitle(elapsed) + L" " +
           loadFormatted(IDS_JOB_PROGRESS, {percent, std::wstring_view(speed), std::wstring_view(remaining)});
}

}  // namespace sumwise
