// The main dialog and its jobs: the job's view of the window, Hash with its
// algorithms and parameters, the busy layout of a long job with its
// progress shown at the window's own pace, and the end of a job, or an input
// that could not be read said in the window.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "algorithms/algorithm_table.h"
#include "app/input_failure_text.h"
#include "app/job_title.h"
#include "app/main_dialog.h"
#include "inputs/drive_scanner.h"
#include "jobs/streaming.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise {

// The job's view of the dialog: every call reaches the dialog's thread
// through a message, so only that thread touches the controls.
class MainDialog::JobWindow final : public JobView {
public:
    JobWindow(MainDialog& dialog) : dialog_(dialog) {}

    void refreshCompare() override { send(WM_COMMAND, MAKEWPARAM(IDC_COMPARE, EN_CHANGE), 0); }
    std::optional<VolumeChoice> chosenVolume() override {
        std::optional<VolumeChoice> choice;
        send(kChosenVolumeMessage, 0, reinterpret_cast<LPARAM>(&choice));
        if (choice) {
            // Asked here, on the job's thread: a drive may take its time to answer.
            DeviceCatalog& devices = *dialog_.devices_;
            choice->size = devices.diskLength(choice->devicePath);
            const VolumeInformation volume = devices.volumeInformation(choice->letter);
            if (volume.serial != 0) choice->label = volume.label;
        }
        return choice;
    }
    void enterBusyLayout(std::uint64_t totalSteps) override { send(kEnterBusyMessage, totalSteps, 0); }
    void showSuspended(bool suspended) override { dialog_.showSuspended(suspended); }
    void showResult(std::size_t algorithm, const std::wstring& digestText) override {
        send(kShowResultMessage, algorithm, reinterpret_cast<LPARAM>(&digestText));
    }
    void jobEnded() override { PostMessageW(dialog_.window_, kJobEndedMessage, 0, 0); }
    void jobFinished(const JobEnd& end) override { dialog_.finishJob(end); }

private:
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(dialog_.window_, message, wParam, lParam);
    }
    MainDialog& dialog_;
};

// Made and ended here, where the job's view is a complete type.
MainDialog::MainDialog(HashJob& job, const AppServices& services, std::wstring commandLine)
    : job_(job),
      services_(services),
      commandLine_(std::move(commandLine)),
      progressTitle_(std::make_unique<ProgressTitle>()) {}

MainDialog::~MainDialog() = default;

void MainDialog::startJobDriver() {
    jobWindow_ = std::make_unique<JobWindow>(*this);
    log_ = std::make_unique<DailyLogFile>(services_.logFolder, services_.fallbackLogFolder);
    driver_ = std::make_unique<JobDriver>(job_, *jobWindow_, *log_);
}

bool MainDialog::jobActive() const { return driver_ && driver_->state() != JobState::Idle; }

void MainDialog::onHash(const Command&) {
    // Enter comes here too: it does nothing while Hash may not be pressed.
    if (!IsWindowEnabled(item(IDC_HASH))) return;
    if (services_.ctrlDown && services_.ctrlDown() && job_.logMode.load() != LogMode::EveryJob) {
        job_.logMode = LogMode::ThisJob;
    }
    // Shift computes every ticked algorithm again; otherwise those with a value keep it.
    if (services_.shiftDown && services_.shiftDown()) clearValues();
    job_.jobMask = tickedWithoutValue(results_);
    if (job_.jobMask == 0) return;
    job_.params = results_.params;
    SetWindowTextW(window_, loadText(IDS_PRODUCT).c_str());
    if (!job_.fileMode && !job_.diskMode && job_.text.empty()) {
        look::setControlText(window_, IDC_INPUT_GROUP, loadFormatted(IDS_TEXT_LENGTH, {std::int64_t{0}}));
    }
    if (driver_->state() == JobState::Idle) jobInput_ = inputGeneration_;  // the job's values belong to this input
    driver_->hashPressed();
}

INT_PTR MainDialog::onEnterBusy(WPARAM wParam, LPARAM) {
    enterBusyLayout(wParam);
    return TRUE;
}

void MainDialog::enterBusyLayout(std::uint64_t totalSteps) {
    // The focus goes to Suspend before its control is disabled (a disabled
    // control keeps the focus and the keyboard stops working).
    const HWND focus = GetFocus();
    focusBeforeJob_ = IsChild(window_, focus) ? focus : nullptr;
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_HASH)), TRUE);
    look::setControlText(window_, IDC_FUNCTIONS_GROUP, loadText(IDS_COMPUTING));
    look::setControlText(window_, IDC_HASH, loadText(IDS_SUSPEND));
    look::setControlText(window_, IDOK, loadText(IDS_STOP));
    for (int id : {IDC_SHOW_ALL, IDC_SMALL_CAPS, IDC_BROWSE, IDC_TEXT_MODE, IDC_DISK_MODE, IDC_DRIVES, IDC_RESULTS}) {
        EnableWindow(item(id), FALSE);
    }
    ShowWindow(item(IDC_SHOW_ALL), SW_HIDE);
    ShowWindow(item(IDC_SMALL_CAPS), SW_HIDE);
    ShowWindow(item(IDC_PROGRESS), SW_SHOW);
    // The bar counts in 32 bits; very long jobs are shown to scale.
    const HWND bar = item(IDC_PROGRESS);
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::min<std::uint64_t>(totalSteps, 0x7FFFFFFF)));
    SendMessageW(bar, PBM_SETSTEP, 1, 0);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    if (taskbar_) {
        taskbar_->setProgressState(TaskbarButton::Progress::Normal);
        taskbar_->setProgressValue(0, totalSteps);
    }
    // The steps are shown at a steady pace, never one message per step, so
    // clicks and keys always get through.
    progressShown_ = 0;
    progressTitle_->start(GetTickCount64());
    SetTimer(window_, kProgressTimer, kProgressInterval, nullptr);
}

INT_PTR MainDialog::onTimer(WPARAM wParam, LPARAM) {
    if (wParam != kProgressTimer) return FALSE;
    showProgress();
    showProgressTitle();
    return TRUE;
}

void MainDialog::showProgressTitle() {
    // A suspended job keeps the title it had.
    if (!driver_ || driver_->state() != JobState::Running) return;
    const std::uint64_t done = driver_->completedSteps();
    const int count = std::max(algorithmCount(job_.jobMask), 1);
    const std::uint64_t blocks = done / static_cast<std::uint64_t>(count);
    if (auto title = progressTitle_->next(GetTickCount64(), done, job_.progressTotal.load(), blocks * kBlockSize)) {
        SetWindowTextW(window_, title->c_str());
    }
}

void MainDialog::showProgress() {
    if (!driver_) return;
    const std::uint64_t done = driver_->completedSteps();
    if (done == progressShown_) return;
    progressShown_ = done;
    const std::uint64_t total = job_.progressTotal.load();
    SendMessageW(item(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(std::min<std::uint64_t>(done, 0x7FFFFFFF)), 0);
    if (taskbar_) taskbar_->setProgressValue(done, total);
}

void MainDialog::showSuspended(bool suspended) {
    look::setControlText(window_, IDC_HASH, loadText(suspended ? IDS_RESUME : IDS_SUSPEND));
    look::setControlText(window_, IDC_FUNCTIONS_GROUP, loadText(suspended ? IDS_SUSPENDED : IDS_COMPUTING));
}

INT_PTR MainDialog::onJobEnded(WPARAM, LPARAM) {
    driver_->finish();
    if (endAfterJob_) EndDialog(window_, IDOK);
    return TRUE;
}

void MainDialog::finishJob(const JobEnd& end) {
    const std::uint32_t elapsed = end.elapsedMilliseconds;
    const bool wasBusy = end.wasBusy;
    const bool fileJob = end.fileJob;
    if (end.failure) {
        // No time in the title: nothing was computed.
        showJobFailure(*end.failure);
    } else {
        // A stopped job has no time that could pass for a whole job's.
        SetWindowTextW(window_, (end.stopped ? stoppedTitle() : elapsedTitle(elapsed)).c_str());
        restoreInputCaption();
    }
    KillTimer(window_, kProgressTimer);
    if (wasBusy) showProgress();  // the whole count, also when the last steps came after the last tick
    if (taskbar_) taskbar_->setProgressState(TaskbarButton::Progress::None);
    if (wasBusy) {
        ShowWindow(item(IDC_PROGRESS), SW_HIDE);
        ShowWindow(item(IDC_SHOW_ALL), SW_SHOW);
        ShowWindow(item(IDC_SMALL_CAPS), SW_SHOW);
        for (int id : {IDC_RESULTS, IDC_SHOW_ALL, IDC_SMALL_CAPS, IDC_TEXT_MODE}) EnableWindow(item(id), TRUE);
        enableDrivesAfterJob();
        EnableWindow(item(IDC_BROWSE), fileJob);
        restoreFocusAfterJob();
    }
    // Also after a short job that was suspended and resumed, the labels
    // return to their idle texts.
    look::setControlText(window_, IDC_FUNCTIONS_GROUP, loadText(IDS_FUNCTIONS));
    look::setControlText(window_, IDC_HASH, loadText(IDS_HASH));
    look::setControlText(window_, IDOK, loadText(IDS_OK));
    FlashWindow(window_, FALSE);
}

void MainDialog::restoreFocusAfterJob() {
    const HWND before = std::exchange(focusBeforeJob_, nullptr);
    if (before == nullptr || !IsWindowEnabled(before) || !IsWindowVisible(before)) return;
    // Unless the user has put it elsewhere meanwhile, or is in another window.
    const HWND focus = GetFocus();
    if (focus != item(IDC_HASH) && focus != item(IDOK)) return;
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(before), TRUE);
}

void MainDialog::showJobFailure(const InputFailure& failure) {
    SetWindowTextW(window_, loadText(IDS_PRODUCT).c_str());
    look::setControlText(window_, IDC_INPUT_GROUP, inputFailureText(failure));
    failureShown_ = true;
}

void MainDialog::restoreInputCaption() {
    if (!failureShown_) return;
    failureShown_ = false;
    if (job_.diskMode) {
        showDrivePrompt();
    } else if (job_.fileMode) {
        showSizeLabel();
    }
}

}  // namespace sumwise
