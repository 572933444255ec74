#include "app/main_dialog.h"

#include <commctrl.h>
#include <dbt.h>
#include <uxtheme.h>
#include <vssym32.h>

#include "about/about_dialog.h"
#include "app/job_title.h"
#include "inputs/drive_scanner.h"
#include "inputs/drop_target.h"
#include "resources/resource_ids.h"
#include "results/list_tips.h"
#include "results/results_list.h"
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
    void showResult(AlgorithmMask flag, const std::wstring& digestText) override {
        static_assert(sizeof(WPARAM) >= sizeof(AlgorithmMask), "the flag travels whole");
        send(kShowResultMessage, flag, reinterpret_cast<LPARAM>(&digestText));
    }
    void jobEnded() override { PostMessageW(dialog_.window_, kJobEndedMessage, 0, 0); }
    void jobFinished(const JobEnd& end) override { dialog_.finishJob(end); }

private:
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(dialog_.window_, message, wParam, lParam);
    }
    MainDialog& dialog_;
};

MainDialog::MainDialog(HashJob& job, const AppServices& services, std::wstring commandLine)
    : job_(job),
      services_(services),
      commandLine_(std::move(commandLine)),
      progressTitle_(std::make_unique<ProgressTitle>()) {}

MainDialog::~MainDialog() = default;

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

INT_PTR MainDialog::onInitDialog(WPARAM, LPARAM) {
    list_ = item(IDC_RESULTS);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarButtonCreated");
    ChangeWindowMessageFilterEx(window_, taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);

    job_.params = AlgorithmParams{};
    job_.fileMode = true;
    job_.diskMode = false;
    job_.upperCase = true;
    job_.logMode = LogMode::Off;
    job_.tickedMask = 0;

    jobWindow_ = std::make_unique<JobWindow>(*this);
    log_ = std::make_unique<DailyLogFile>(services_.logFolder, services_.fallbackLogFolder);
    driver_ = std::make_unique<JobDriver>(job_, *jobWindow_, *log_);

    addSystemMenuItem();
    setInitialTexts();
    fitControlsToTexts();
    captureLayout();
    setUpResultsList();
    loadIcons();
    SendMessageW(item(IDC_INPUT), EM_LIMITTEXT, 256, 0);
    SendMessageW(item(IDC_COMPARE), EM_LIMITTEXT, 128, 0);
    registerDropTarget();
    startDrives();
    // Enter starts Hash (when it may), never OK: OK would end the program and lose the results.
    SendMessageW(window_, DM_SETDEFID, IDC_HASH, 0);
    applyCommandLine();
    readThemeColours();
    if (services_.dialogCreated) services_.dialogCreated(window_);
    // The system puts the focus on the list unless the text box already has it.
    return checked(IDC_TEXT_MODE) ? FALSE : TRUE;
}

void MainDialog::addSystemMenuItem() {
    const HMENU menu = GetSystemMenu(window_, FALSE);
    if (menu == nullptr) return;
    const std::wstring text = loadText(IDS_ALWAYS_ON_TOP);
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING | MF_CHECKED, IDM_ALWAYS_ON_TOP, text.c_str());
    InsertMenuW(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void MainDialog::setInitialTexts() {
    SetWindowTextW(window_, loadText(IDS_PRODUCT).c_str());
    const std::pair<int, UINT> texts[] = {
        {IDOK, IDS_OK},
        {IDC_HASH, IDS_HASH},
        {IDC_BROWSE, IDS_BROWSE},
        {IDC_ABOUT, IDS_ABOUT},
        {IDC_FUNCTIONS_GROUP, IDS_FUNCTIONS},
        {IDC_SHOW_ALL, IDS_SHOW_ALL},
        {IDC_SMALL_CAPS, IDS_SMALL_CAPS},
        {IDC_INPUT_GROUP, IDS_PROMPT_FILE},
        {IDC_TEXT_MODE, IDS_HASH_TEXT},
        {IDC_DISK_MODE, IDS_HASH_DISK},
        {IDC_COMPARE_GROUP, IDS_COMPARE_GROUP},
        {IDC_COMPARE_NEGATIVE, IDS_NEGATIVE},
    };
    for (const auto& [id, stringId] : texts) look::setControlText(window_, id, loadText(stringId));
}

void MainDialog::setUpResultsList() {
    // No list info tip: the list tips show a cut value (also where the list gives no info tips).
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    results::attachListTips(list_);

    int nameWidth = 0;
    for (const AlgorithmEntry& entry : algorithms()) {
        nameWidth = std::max(nameWidth, look::textWidth(window_, entry.wideName().substr(0, 16)));
    }
    const int nameColumn = nameWidth + 2 * look::systemMetric(window_, SM_CXMENUCHECK) +
                           (look::themesActive() ? 0 : look::scaled(window_, 5));
    RECT listRect{};
    GetClientRect(list_, &listRect);
    const int valueColumn = listRect.right - nameColumn - look::systemMetric(window_, SM_CXVSCROLL);

    std::wstring nameHeader = loadText(IDS_COLUMN_NAME);
    std::wstring valueHeader = loadText(IDS_COLUMN_VALUE);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = nameHeader.data();
    column.cx = nameColumn;
    column.iSubItem = 0;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = valueHeader.data();
    column.cx = std::max(valueColumn, look::scaled(window_, 40));
    column.iSubItem = 1;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
}

void MainDialog::loadIcons() {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    const int small = look::systemMetric(window_, SM_CXSMICON);
    matchIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MATCH), IMAGE_ICON, small, small, 0));
    mismatchIcon_ =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MISMATCH), IMAGE_ICON, small, small, 0));
    const int large = look::systemMetric(window_, SM_CXICON);
    appIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, large, large, 0));
    if (appIcon_ != nullptr) {
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    }
}

void MainDialog::readThemeColours() {
    headingColour_ = look::headingColour(window_);
    if (!look::themesActive()) return;
    if (const HTHEME theme = OpenThemeData(window_, L"PROGRESSSTYLE")) {
        COLORREF colour{};
        if (SUCCEEDED(GetThemeColor(theme, PP_FILL, PBFS_ERROR, TMT_FILLCOLORHINT, &colour))) errorColour_ = colour;
        CloseThemeData(theme);
    }
}

INT_PTR MainDialog::onNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr || header->idFrom != IDC_RESULTS) return FALSE;
    if (header->code != LVN_ITEMCHANGED) return onListNotify(*header, lParam);
    if (header->code == LVN_ITEMCHANGED) {
        // Whatever changed (tick, selection, focus): the ticks decide the algorithms.
        job_.tickedMask = results::tickedMaskFromRows(list_, job_.tickedMask);
        updateHashButton();
    }
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
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

INT_PTR MainDialog::onShowResult(WPARAM wParam, LPARAM lParam) {
    const auto flag = static_cast<AlgorithmMask>(wParam);
    const auto* text = reinterpret_cast<const std::wstring*>(lParam);
    // A job that started on another input: its value belongs to that one (the log still has it).
    if (jobInput_ != inputGeneration_) return TRUE;
    const int row = results::rowForFlag(list_, flag);
    // A row removed meanwhile shows nothing; the value is not kept anywhere else.
    if (row >= 0 && text != nullptr) results::setRowValue(list_, row, results::recased(*text, job_.upperCase));
    return TRUE;
}

INT_PTR MainDialog::onEnterBusy(WPARAM wParam, LPARAM) {
    enterBusyLayout(wParam);
    return TRUE;
}

INT_PTR MainDialog::onJobEnded(WPARAM, LPARAM) {
    driver_->finish();
    if (endAfterJob_) EndDialog(window_, IDOK);
    return TRUE;
}

INT_PTR MainDialog::onChosenVolume(WPARAM, LPARAM lParam) {
    if (auto* choice = reinterpret_cast<std::optional<VolumeChoice>*>(lParam)) *choice = chosenDrive();
    return TRUE;
}

void MainDialog::refreshCompare() { SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDC_COMPARE, EN_CHANGE), 0); }

void MainDialog::onAbout(const Command&) {
    if (runAboutDialog(window_, job_.uiLanguage, services_) != AboutOutcome::EndProgram) return;
    // Setup replaces the program: a running job stops first, and the dialog
    // ends once the job's threads are done.
    if (driver_ && driver_->stopPressed()) {
        endAfterJob_ = true;
        return;
    }
    EndDialog(window_, IDOK);
}

}  // namespace sumwise
