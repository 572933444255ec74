// The main dialog during and after a job: progress shown at the window's
// own pace, and an input that could not be read said in the window.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "algorithms/algorithm_table.h"
#include "app/input_failure_text.h"
#include "app/job_title.h"
#include "app/main_dialog.h"
#include "jobs/streaming.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise {

bool MainDialog::jobActive() const { return driver_ && driver_->state() != JobState::Idle; }

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
