// What the update dialog shares with its worker threads (the check and the
// download), and how a worker shows things in the dialog.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "jobs/stream_control.h"
#include "text/ui_language.h"
#include "update/version_file.h"

namespace sumwise {

enum UpdateFlag : std::uint32_t {
    kFileReady = 1,      // the download is the Setup program, or a downloaded file is ready to run
    kStopRequested = 2,  // the user cancelled or an error occurred: the worker stops and closes the dialog
    kIdle = 4,           // no worker is running
    kBetaChannel = 8,    // Ctrl was down when the dialog opened
};

struct UpdateState {
    HWND dialog = nullptr;
    std::atomic<std::uint32_t> flags{0};
    LanguageId language = kEnglish;
    // The file to download; once it is verified, the full path it was saved to.
    std::wstring fileName;
    std::wstring baseUrl;
    // Shift was down when the check started: every published version counts as newer.
    bool everyVersionNewer = false;
    // The version file of the version on offer, for the download's check.
    VersionFile published;
    // Signalled with kStopRequested, so that no wait outlasts a cancel.
    HANDLE cancel = nullptr;
    // How long the check and the download wait for the server's next byte
    // before they give up with a timeout, in milliseconds.
    DWORD idleLimit = 30000;
    // Stops a download's verification.
    JobSignals verification;

    bool has(std::uint32_t flag) const { return (flags.load() & flag) != 0; }
    void set(std::uint32_t flag) { flags.fetch_or(flag); }
    void clear(std::uint32_t flag) { flags.fetch_and(~flag); }
};

// What the dialog shows, one row of its table each.
enum class UpdateScreen {
    Checking,
    NoConnection,
    UpToDate,
    NewerVersion,
    Preparing,
    Connecting,
    Downloading,
    Verifying,
    Halted,
    VerificationFailed,
    PortableReady,
    SetupReady,
    Closing,
};

// The dialog as its workers see it. Every call reaches the dialog's thread
// through a message and returns once the dialog has acted on it, except
// close(), which is posted.
class UpdateView {
public:
    virtual ~UpdateView() = default;
    // A screen of the table; `message` is the text for the screens whose
    // message the worker writes.
    virtual void show(UpdateScreen screen, const std::wstring& message = {}) = 0;
    // Bytes received of `total` (0: unknown); a non-empty `text` replaces the progress text.
    virtual void progress(std::uint64_t received, std::uint64_t total, const std::wstring& text) = 0;
    // The error box, over the dialog.
    virtual void showError(const std::wstring& text) = 0;
    // Where to save `suggestedName`; empty when the user cancelled.
    virtual std::wstring chooseTarget(const std::wstring& suggestedName) = 0;
    // Ends the dialog with `result`.
    virtual void close(INT_PTR result) = 0;
};

// A worker's last action: no worker runs any more. A stop asked for while it
// ran closes the dialog (one asked for once it is idle, the dialog handles).
inline void endWork(UpdateState& state, UpdateView& view) {
    if ((state.flags.fetch_or(kIdle) & kStopRequested) != 0) view.close(0);
}

}  // namespace sumwise
