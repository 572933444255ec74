// What a running job needs from its window. The program's main dialog
// implements it by sending messages to the dialog's own thread; the tests
// implement it with a recorder. Every call may come from a job thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "algorithms/algorithm_table.h"

namespace sumwise {

// A volume chosen in disk mode: the path the drivers open and its size
// (0 when the size could not be read).
struct VolumeChoice {
    wchar_t letter = L'\0';
    std::filesystem::path path;
    std::wstring devicePath;  // what the size is asked from
    std::uint64_t size = 0;
    std::optional<std::wstring> label;  // none when the drive's information cannot be read
};

// Why a job's input gave no values.
struct InputFailure {
    enum class Kind {
        CannotOpen,  // nothing was read
        ReadError,   // reading failed after `bytesRead` bytes
        NoDrive,     // a disk job without a chosen drive
    };
    Kind kind = Kind::CannotOpen;
    std::error_code error;  // the system's reason, when it gave one
    std::uint64_t bytesRead = 0;
};

// How a job ended, for the window to show.
struct JobEnd {
    std::uint32_t elapsedMilliseconds = 0;
    bool wasBusy = false;  // the busy layout was shown
    bool fileJob = false;  // a file (not a text or disk) job
    bool stopped = false;  // Stop (or closing) ended it before its values came
    std::optional<InputFailure> failure;
};

class JobView {
public:
    virtual ~JobView() = default;

    // Re-runs the comparison with the expected hash (a value was added or the job starts).
    virtual void refreshCompare() = 0;
    // The drive chosen for a disk job, or none.
    virtual std::optional<VolumeChoice> chosenVolume() = 0;
    // Shows the progress bar and Suspend/Stop, disables the input controls,
    // and starts the taskbar progress, for `totalSteps` steps. The steps
    // done are not reported one by one: the window reads
    // JobDriver::completedSteps at a pace of its own.
    virtual void enterBusyLayout(std::uint64_t totalSteps) = 0;
    // Labels of a paused (true) or running (false) job.
    virtual void showSuspended(bool suspended) = 0;
    // A digest of the algorithm with table index `algorithm`.
    virtual void showResult(std::size_t algorithm, const std::wstring& digestText) = 0;
    // The job's threads are done: arrange for JobDriver::finish() to run on
    // the window's thread (a view without a thread of its own may call it
    // right away). This is the driver thread's last action.
    virtual void jobEnded() = 0;
    // Called by JobDriver::finish(): the elapsed time in the title (or the
    // failure in the window), the layout back to normal, the taskbar
    // progress off, the window flashed.
    virtual void jobFinished(const JobEnd& end) = 0;
};

}  // namespace sumwise
