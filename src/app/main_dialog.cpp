// The main dialog's shell: messages and commands routed to the parts that
// handle them, and the window's own commands (always on top, About, OK).
#include "app/main_dialog.h"

#include <commctrl.h>
#include <dbt.h>

#include "about/about_dialog.h"
#include "app/job_title.h"
#include "inputs/drive_scanner.h"
#include "resources/resource_ids.h"
#include "toolkit/strings.h"

namespace sumwise {

INT_PTR MainDialog::run(HINSTANCE instance) { return runModal(instance, IDD_MAIN, nullptr); }

INT_PTR MainDialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr MessageRoute<MainDialog> kRoutes[] = {
        {WM_INITDIALOG, &MainDialog::onInitDialog},
        {WM_COMMAND, &MainDialog::onCommand},
        {WM_NOTIFY, &MainDialog::onNotify},
        {WM_SYSCOMMAND, &MainDialog::onSysCommand},
        {WM_SIZING, &MainDialog::onSizing},
        {WM_GETMINMAXINFO, &MainDialog::onGetMinMaxInfo},
        {WM_SIZE, &MainDialog::onSize},
        {WM_DPICHANGED, &MainDialog::onDpiChanged},
        {WM_DEVICECHANGE, &MainDialog::onDeviceChange},
        {WM_DESTROY, &MainDialog::onDestroy},
        {kShowResultMessage, &MainDialog::onShowResult},
        {WM_TIMER, &MainDialog::onTimer},
        {kDrivesScannedMessage, &MainDialog::onDrivesScanned},
        {kDrivesBusyMessage, &MainDialog::onDrivesBusy},
        {kOpenCheckMessage, &MainDialog::onOpenCheck},
        {kEnterBusyMessage, &MainDialog::onEnterBusy},
        {kJobEndedMessage, &MainDialog::onJobEnded},
        {kChosenVolumeMessage, &MainDialog::onChosenVolume},
        {WM_CONTEXTMENU, &MainDialog::onContextMenu},
    };
    if (message == taskbarCreatedMessage_ && message != 0) return onTaskbarButtonCreated(wParam, lParam);
    return route(*this, kRoutes, message, wParam, lParam);
}

INT_PTR MainDialog::onCommand(WPARAM wParam, LPARAM lParam) {
    static constexpr CommandRoute<MainDialog> kRoutes[] = {
        onRange(IDOK, IDCANCEL, &MainDialog::onOkOrCancel),
        on(IDC_SHOW_ALL, &MainDialog::onShowAll),
        on(IDC_SMALL_CAPS, &MainDialog::onSmallCaps),
        on(IDC_HASH, &MainDialog::onHash),
        on(IDC_INPUT, &MainDialog::onInputChanged, EN_CHANGE),
        on(IDC_DRIVES, &MainDialog::onDriveSelected),
        on(IDC_TEXT_MODE, &MainDialog::onTextMode),
        on(IDC_DISK_MODE, &MainDialog::onDiskMode),
        on(IDC_BROWSE, &MainDialog::onBrowse),
        on(IDC_COMPARE, &MainDialog::onCompareChanged, EN_CHANGE),
        on(IDC_ABOUT, &MainDialog::onAbout),
    };
    routeCommand(*this, kRoutes, wParam, lParam);
    return TRUE;
}

INT_PTR MainDialog::onSysCommand(WPARAM wParam, LPARAM) {
    if (wParam != IDM_ALWAYS_ON_TOP) return FALSE;
    const HMENU menu = GetSystemMenu(window_, FALSE);
    const bool onTop = (GetMenuState(menu, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED) != 0;
    SetWindowPos(window_, onTop ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CheckMenuItem(menu, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND | (onTop ? MF_UNCHECKED : MF_CHECKED));
    return TRUE;
}

COLORREF MainDialog::staticTextColour(int controlId) const {
    if (controlId == IDC_COMPARE_MATCH) return headingColour_;
    if (controlId == IDC_COMPARE_NEGATIVE) return errorColour_;
    return Dialog::staticTextColour(controlId);
}

INT_PTR MainDialog::onDeviceChange(WPARAM wParam, LPARAM) {
    if (drives_ && wParam == DBT_DEVICEARRIVAL) drives_->rescanAfterArrival();
    if (drives_ && wParam == DBT_DEVICEREMOVECOMPLETE) drives_->rescan();
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

INT_PTR MainDialog::onDestroy(WPARAM, LPARAM) {
    for (HICON* icon : {&matchIcon_, &mismatchIcon_, &appIcon_}) {
        if (*icon != nullptr) DestroyIcon(*icon);
        *icon = nullptr;
    }
    taskbar_.reset();
    revokeDropTarget();
    drives_.reset();
    if (driveImages_ != nullptr) ImageList_Destroy(driveImages_);
    driveImages_ = nullptr;
    return FALSE;
}

INT_PTR MainDialog::onTaskbarButtonCreated(WPARAM, LPARAM) {
    if (!taskbar_ && services_.makeTaskbarButton) taskbar_ = services_.makeTaskbarButton(window_);
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
    return TRUE;
}

void MainDialog::onOkOrCancel(const Command& command) {
    // While a job is active this stops it; only an idle dialog closes.
    if (driver_ && driver_->stopPressed()) return;
    EndDialog(window_, command.id);
}

void MainDialog::onAbout(const Command&) {
    if (runAboutDialog(window_, uiLanguage(), services_) != AboutOutcome::EndProgram) return;
    // Setup replaces the program: a running job stops first, and the dialog
    // ends once the job's threads are done.
    if (driver_ && driver_->stopPressed()) {
        endAfterJob_ = true;
        return;
    }
    EndDialog(window_, IDOK);
}

}  // namespace sumwise
