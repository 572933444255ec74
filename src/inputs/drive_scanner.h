// Builds the drive list on threads of its own, so that a drive that takes
// its time to answer never holds the window up. Scans never overlap: a scan
// started while another runs waits for it. Each finished scan is kept for
// the window, which is told by a posted message and takes it from here.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "inputs/drive_list.h"

namespace sumwise {

// wParam of the busy message.
enum DriveScanBusy : WPARAM {
    kDriveBoxBusy = 1,        // set: disable the drive box; clear: enable it
    kDiskModeToo = 2,         // the disk-mode check box follows the drive box
};

class DriveScanner {
public:
    struct Settings {
        HWND window = nullptr;
        UINT scannedMessage = 0;  // posted when a scan has finished
        UINT busyMessage = 0;     // posted with DriveScanBusy flags
        std::wstring emptyText;   // shown for a drive without a medium
        wchar_t decimalSeparator = L'.';
        // After a device arrives: the first and the second rescan.
        std::chrono::milliseconds firstDelay{1000};
        std::chrono::milliseconds secondDelay{2000};
    };

    DriveScanner(std::shared_ptr<DeviceCatalog> catalog, Settings settings);
    ~DriveScanner();
    DriveScanner(const DriveScanner&) = delete;
    DriveScanner& operator=(const DriveScanner&) = delete;

    // The first filling; the drive box and the disk-mode box are enabled after it.
    void fill();
    // A device went away: scan again at once.
    void rescan();
    // A device arrived: scan again after the first delay (a medium takes
    // time to mount), and once more after the second.
    void rescanAfterArrival();

    // Whether the window should keep the drive box (or the disk-mode box)
    // disabled now: the first filling, or a rescan after an arrival, is
    // still to come. The busy messages tell of changes; these say the state.
    bool driveBoxBusy() const { return fillsPending_.load() > 0 || arrivalsPending_.load() > 0; }
    bool diskModeBusy() const { return fillsPending_.load() > 0; }

    // The latest finished scan, once.
    std::optional<std::vector<DriveItem>> takeScan();
    DeviceCatalog& catalog() { return *catalog_; }

private:
    // False when no thread took the work (the scanner is closing, or none could start).
    bool start(std::function<void()> work);
    void scan();
    void post(UINT message, WPARAM wParam);
    // False when the scanner is closing.
    bool pause(std::chrono::milliseconds delay);

    std::shared_ptr<DeviceCatalog> catalog_;
    Settings settings_;

    std::mutex scanMutex_;  // one scan at a time
    std::mutex resultMutex_;
    std::optional<std::vector<DriveItem>> latest_;

    std::mutex threadsMutex_;
    std::condition_variable closingChanged_;
    bool closing_ = false;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Worker> workers_;
    std::atomic<int> fillsPending_{0};
    std::atomic<int> arrivalsPending_{0};
};

}  // namespace sumwise
