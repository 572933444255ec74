#include "inputs/drive_scanner.h"

#include <objbase.h>

namespace sumwise {

DriveScanner::DriveScanner(std::shared_ptr<DeviceCatalog> catalog, Settings settings)
    : catalog_(std::move(catalog)), settings_(std::move(settings)) {}

DriveScanner::~DriveScanner() {
    {
        std::lock_guard lock(threadsMutex_);
        closing_ = true;
    }
    closingChanged_.notify_all();
    for (Worker& worker : workers_) worker.thread.join();
}

bool DriveScanner::start(std::function<void()> work) {
    std::lock_guard lock(threadsMutex_);
    if (closing_) return false;
    // Threads that have ended are let go here.
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    try {
        std::thread thread([this, work = std::move(work), done] {
            // The shell's icons want COM on the thread that asks for them.
            const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            try {
                work();
            } catch (...) {
                // A scan that failed leaves the list as it was.
            }
            if (SUCCEEDED(com)) CoUninitialize();
            done->store(true);
        });
        workers_.push_back({std::move(thread), std::move(done)});
        return true;
    } catch (...) {
        // No thread: the list stays as it was until the next device change.
        return false;
    }
}

void DriveScanner::post(UINT message, WPARAM wParam) {
    if (message != 0) PostMessageW(settings_.window, message, wParam, 0);
}

bool DriveScanner::pause(std::chrono::milliseconds delay) {
    std::unique_lock lock(threadsMutex_);
    return !closingChanged_.wait_for(lock, delay, [this] { return closing_; });
}

void DriveScanner::scan() {
    std::lock_guard serial(scanMutex_);
    {
        std::lock_guard lock(threadsMutex_);
        if (closing_) return;
    }
    std::vector<DriveItem> items = listDrives(*catalog_, settings_.decimalSeparator, settings_.emptyText);
    {
        std::lock_guard lock(resultMutex_);
        latest_ = std::move(items);
    }
    post(settings_.scannedMessage, 0);
}

namespace {

// Counts a pending scan down when its work ends, however it ends.
struct PendingScan {
    std::atomic<int>& count;
    ~PendingScan() { --count; }
};

}  // namespace

void DriveScanner::fill() {
    // The window keeps the drive box and the disk-mode box disabled until told.
    ++fillsPending_;
    const bool started = start([this] {
        {
            PendingScan pending{fillsPending_};
            scan();
        }
        post(settings_.busyMessage, kDiskModeToo);
    });
    if (!started) --fillsPending_;
}

void DriveScanner::rescan() {
    start([this] { scan(); });
}

void DriveScanner::rescanAfterArrival() {
    // Counted before the thread runs: the box is busy from the arrival on,
    // and stays so until the last pending arrival has had its first scan.
    ++arrivalsPending_;
    const bool started = start([this] {
        post(settings_.busyMessage, kDriveBoxBusy);
        bool open = false;
        {
            PendingScan pending{arrivalsPending_};
            open = pause(settings_.firstDelay);
            if (open) scan();
        }
        post(settings_.busyMessage, driveBoxBusy() ? WPARAM{kDriveBoxBusy} : WPARAM{0});
        if (open && pause(settings_.secondDelay)) scan();
    });
    if (!started) --arrivalsPending_;
}

std::optional<std::vector<DriveItem>> DriveScanner::takeScan() {
    std::lock_guard lock(resultMutex_);
    std::optional<std::vector<DriveItem>> scan = std::move(latest_);
    latest_.reset();
    return scan;
}

}  // namespace sumwise
