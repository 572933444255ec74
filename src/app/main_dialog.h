// The main dialog: the input, the list of algorithms with their values, the
// compare box and the buttons that start, pause and stop a job.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "jobs/hash_job.h"
#include "jobs/job_driver.h"
#include "jobs/results_model.h"
#include "results/daily_log_file.h"
#include "results/results_host.h"
#include "text/command_line.h"
#include "toolkit/dialog.h"

namespace sumwise {

// Messages the job's threads send to the dialog's thread.
enum : UINT {
    kShowResultMessage = WM_APP + 1,    // wParam: table index; lParam: const std::wstring* digest text
    kEnterBusyMessage = WM_APP + 3,     // wParam: total steps
    kJobEndedMessage = WM_APP + 4,      // posted: the job's threads are done
    kChosenVolumeMessage = WM_APP + 5,  // lParam: std::optional<VolumeChoice>* to fill
    kDrivesScannedMessage = WM_APP + 40,  // posted: a drive scan has finished
    kDrivesBusyMessage = WM_APP + 41,     // posted; wParam: DriveScanBusy flags
    kOpenCheckMessage = WM_APP + 42,      // posted: a dropped sums file waits for its check window
};

// The progress bar and taskbar button show the job's steps this often.
inline constexpr UINT_PTR kProgressTimer = 1;
inline constexpr UINT kProgressInterval = 50;  // milliseconds

class FileDropTarget;
class ProgressTitle;
class DriveScanner;
struct DriveItem;

class MainDialog final : public Dialog {
public:
    MainDialog(HashJob& job, const AppServices& services, std::wstring commandLine);
    ~MainDialog();
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // Runs the dialog modally; returns the id it ended with.
    INT_PTR run(HINSTANCE instance);

private:
    class JobWindow;
    // The dialog as it started: the smallest it may become, and where each
    // control of the resize rules stood.
    struct Layout {
        SIZE client{};
        SIZE window{};
        std::array<RECT, 19> rects{};
        int valueColumn = 0;
    };

    // The shell (main_dialog.cpp): routes, and the window's own commands.
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR onCommand(WPARAM, LPARAM);
    INT_PTR onSysCommand(WPARAM, LPARAM);
    INT_PTR onDeviceChange(WPARAM, LPARAM);
    INT_PTR onDestroy(WPARAM, LPARAM);
    INT_PTR onOpenCheck(WPARAM, LPARAM);
    INT_PTR onTaskbarButtonCreated(WPARAM, LPARAM);
    // The compare result in the heading colour, NEGATIVE in the error colour.
    COLORREF staticTextColour(int controlId) const override;
    void onOkOrCancel(const Command&);
    void onAbout(const Command&);

    // Start-up (main_dialog_start.cpp).
    INT_PTR onInitDialog(WPARAM, LPARAM);
    void addSystemMenuItem();
    void setInitialTexts();
    void loadIcons();
    void readThemeColours();
    void applyCommandLine();

    // Layout (main_dialog_layout.cpp).
    void fitControlsToTexts();
    void captureLayout();
    void relayout();
    INT_PTR onSizing(WPARAM, LPARAM);
    INT_PTR onGetMinMaxInfo(WPARAM, LPARAM);
    INT_PTR onSize(WPARAM, LPARAM);
    INT_PTR onDpiChanged(WPARAM, LPARAM);

    // The input and its modes (main_dialog_input.cpp).
    void onInputChanged(const Command&);
    void onTextMode(const Command&);
    void onDiskMode(const Command&);
    void setInput(const std::wstring& text);
    void showSizeLabel();
    std::wstring textLengthCaption() const;
    void updateHashButton();

    // The results list and the model it shows (main_dialog_results.cpp).
    void setUpResultsList();
    results::ResultsHost resultsHost();
    INT_PTR onNotify(WPARAM, LPARAM);
    // The results list's keys, right click and value tips.
    INT_PTR onListNotify(const NMHDR& header, LPARAM lParam);
    INT_PTR onContextMenu(WPARAM, LPARAM);
    INT_PTR onShowResult(WPARAM, LPARAM);
    void onShowAll(const Command&);
    void onSmallCaps(const Command&);
    // Every value belonged to another input, or is computed again.
    void clearValues();

    // Jobs (main_dialog_job.cpp): Hash, the busy layout and its progress, the end.
    void startJobDriver();
    bool jobActive() const;
    void onHash(const Command&);
    INT_PTR onEnterBusy(WPARAM, LPARAM);
    void enterBusyLayout(std::uint64_t totalSteps);
    INT_PTR onTimer(WPARAM, LPARAM);
    void showProgress();
    void showSuspended(bool suspended);
    INT_PTR onJobEnded(WPARAM, LPARAM);
    void finishJob(const JobEnd& end);
    void restoreFocusAfterJob();
    // The elapsed time, the share done, the speed and the time left in the title.
    void showProgressTitle();
    void showJobFailure(const InputFailure& failure);
    void restoreInputCaption();

    // Compare box, Browse and hash files (main_dialog_compare.cpp).
    void onCompareChanged(const Command&);
    void refreshCompare();
    void onBrowse(const Command&);
    bool loadHashFile(const std::wstring& path);
    void loadCompanionHashFile(bool force);

    // Drives (main_dialog_drives.cpp).
    void startDrives();
    INT_PTR onDrivesScanned(WPARAM, LPARAM);
    INT_PTR onDrivesBusy(WPARAM, LPARAM);
    void applyDrives(std::vector<DriveItem> items);
    void onDriveSelected(const Command&);
    INT_PTR onChosenVolume(WPARAM, LPARAM);
    void showDrivePrompt();
    void enableDrivesAfterJob();
    bool driveChosen() const;
    std::optional<VolumeChoice> chosenDrive() const;

    // Dropped files (main_dialog_drop.cpp).
    void registerDropTarget();
    void revokeDropTarget();
    void onFileDropped(const std::wstring& path);

    HashJob& job_;
    const AppServices& services_;
    std::wstring commandLine_;
    HWND list_ = nullptr;
    // What the list shows: each algorithm's tick and value, and the parameters.
    ResultsModel results_;

    std::unique_ptr<JobWindow> jobWindow_;
    std::unique_ptr<DailyLogFile> log_;
    std::unique_ptr<JobDriver> driver_;
    std::unique_ptr<TaskbarButton> taskbar_;
    UINT taskbarCreatedMessage_ = 0;

    std::unique_ptr<Layout> layout_;
    HICON matchIcon_ = nullptr;
    HICON mismatchIcon_ = nullptr;
    HICON appIcon_ = nullptr;
    COLORREF headingColour_ = RGB(0, 51, 153);
    COLORREF errorColour_ = RGB(228, 0, 33);
    wchar_t lastDriveLetter_ = L'\0';
    // Counts changes of the input; a job's values are shown only while the
    // input it started on is still the current one.
    std::uint64_t inputGeneration_ = 0;
    std::uint64_t jobInput_ = 0;
    bool textAsUtf8_ = false;  // the typed text is hashed as UTF-8 (the code page lacks some of it)
    // The program ends when the running job has stopped (a new version's Setup was started).
    bool endAfterJob_ = false;

    std::uint64_t progressShown_ = 0;
    std::unique_ptr<ProgressTitle> progressTitle_;
    bool failureShown_ = false;
    // The control that had the focus when the busy layout took it away.
    HWND focusBeforeJob_ = nullptr;
    std::shared_ptr<DeviceCatalog> devices_;
    std::unique_ptr<DriveScanner> drives_;
    HIMAGELIST driveImages_ = nullptr;
    std::vector<std::wstring> drivePaths_;          // device path of each drive box item
    std::array<std::uint32_t, 26> driveSerials_{};  // medium last seen, by letter
    bool drivesListed_ = false;  // the first scan has come in
    FileDropTarget* dropTarget_ = nullptr;
    std::wstring droppedSums_;  // opened in the check window once the drop is over

    // The GUI tests put values into the results model as a finished job would.
    friend class MainDialogTestAccess;
};

// Whether a path names something the program can hash: a volume path
// "\\.\X:", or an existing entry that is not a folder.
bool inputExists(const std::wstring& path);

}  // namespace sumwise
