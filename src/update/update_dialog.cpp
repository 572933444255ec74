#include "update/update_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <optional>

#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "update/save_target.h"
#include "update/update_check.h"
#include "update/update_download.h"
#include "update/update_server.h"

namespace sumwise {

namespace {

// Messages of the worker threads.
enum : UINT {
    kShowScreenMessage = WM_APP + 30,  // wParam: UpdateScreen; lParam: const std::wstring* message
    kProgressMessage,                  // lParam: const DownloadProgress*
    kShowErrorMessage,                 // lParam: const std::wstring* text
    kChooseTargetMessage,              // lParam: std::wstring* suggested name in, chosen path out
    kWorkerCloseMessage,               // posted; wParam: the dialog's result
};

struct DownloadProgress {
    std::uint64_t received;
    std::uint64_t total;
    const std::wstring* text;
};

enum Layout : int { kKeepLayout, kMessageLayout, kConnectingLayout, kTransferLayout };
enum class Message { Keep, Hidden, Empty, FromWorker, FromTable };
enum class Progress { Keep, Hidden, Marquee, Shown };
enum class First { Off, Download, Run };
enum class Second { Off, Install, InstallUnlessBeta };

std::optional<std::wstring> environmentVariable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    value.resize(length);
    return value;
}

}  // namespace

// What the dialog shows in each screen. A heading of 0 keeps the current one.
struct UpdateDialog::ScreenRow {
    UpdateScreen screen;
    UINT heading;
    Message message;
    UINT messageId;
    Progress progress;
    int layout;
    First first;
    Second second;
    bool cancel;  // Cancel and the window menu's Close
};

// The worker threads' view: every call is a message to the dialog's thread.
class UpdateDialog::WorkerView final : public UpdateView {
public:
    explicit WorkerView(HWND dialog) : dialog_(dialog) {}

    void show(UpdateScreen screen, const std::wstring& message) override {
        SendMessageW(dialog_, kShowScreenMessage, static_cast<WPARAM>(screen), reinterpret_cast<LPARAM>(&message));
    }
    void progress(std::uint64_t received, std::uint64_t total, const std::wstring& text) override {
        const DownloadProgress update{received, total, &text};
        SendMessageW(dialog_, kProgressMessage, 0, reinterpret_cast<LPARAM>(&update));
    }
    void showError(const std::wstring& text) override {
        SendMessageW(dialog_, kShowErrorMessage, 0, reinterpret_cast<LPARAM>(&text));
    }
    std::wstring chooseTarget(const std::wstring& suggestedName) override {
        std::wstring answer = suggestedName;
        SendMessageW(dialog_, kChooseTargetMessage, 0, reinterpret_cast<LPARAM>(&answer));
        return answer;
    }
    void close(INT_PTR result) override { PostMessageW(dialog_, kWorkerCloseMessage, static_cast<WPARAM>(result), 0); }

private:
    HWND dialog_;
};

UpdateDialog::UpdateDialog(const AppServices& services, LanguageId language) : services_(services) {
    state_.language = language;
    state_.cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

UpdateDialog::~UpdateDialog() {
    if (worker_.joinable()) worker_.join();
    if (state_.cancel != nullptr) CloseHandle(state_.cancel);
}

UpdateOutcome UpdateDialog::run(HWND owner) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    runModal(instance, IDD_UPDATE, owner);
    // The dialog ends only when no worker is left, or on a worker's last message.
    if (worker_.joinable()) worker_.join();
    return outcome_;
}

INT_PTR UpdateDialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr MessageRoute<UpdateDialog> kRoutes[] = {
        {WM_INITDIALOG, &UpdateDialog::onInitDialog},
        {WM_COMMAND, &UpdateDialog::onCommand},
        {WM_DESTROY, &UpdateDialog::onDestroy},
        {kShowScreenMessage, &UpdateDialog::onShowScreen},
        {kProgressMessage, &UpdateDialog::onProgress},
        {kShowErrorMessage, &UpdateDialog::onShowError},
        {kChooseTargetMessage, &UpdateDialog::onChooseTarget},
        {kWorkerCloseMessage, &UpdateDialog::onWorkerClose},
    };
    return route(*this, kRoutes, message, wParam, lParam);
}

INT_PTR UpdateDialog::onCommand(WPARAM wParam, LPARAM lParam) {
    static constexpr CommandRoute<UpdateDialog> kRoutes[] = {
        on(IDCANCEL, &UpdateDialog::onCancel),
        on(IDC_UPDATE_FIRST, &UpdateDialog::onDownloadOrRun, BN_CLICKED),
        on(IDC_UPDATE_SECOND, &UpdateDialog::onInstall, BN_CLICKED),
    };
    return routeCommand(*this, kRoutes, wParam, lParam) ? TRUE : FALSE;
}

INT_PTR UpdateDialog::onInitDialog(WPARAM, LPARAM) {
    state_.dialog = window_;
    const bool beta = services_.ctrlDown && services_.ctrlDown();
    state_.flags = kIdle | (beta ? static_cast<std::uint32_t>(kBetaChannel) : 0u);
    state_.everyVersionNewer = services_.shiftDown && services_.shiftDown();
    state_.baseUrl = updateBaseUrl(environmentVariable(kUpdateUrlVariable));
    state_.idleLimit = services_.updateIdleLimit;
    view_ = std::make_unique<WorkerView>(window_);
    setUpLook();
    startWorker(checkForUpdates);
    return TRUE;
}

void UpdateDialog::setUpLook() {
    const LOGFONTW font = look::messageFont(window_);
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        look::setControlFont(window_, GetDlgCtrlID(child), &font, 0, false, false);
    }

    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    const int large = look::scaled(window_, 48);
    const int small = look::systemMetric(window_, SM_CXSMICON);
    largeIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, large, large, 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, small, small, 0));
    if (largeIcon_ != nullptr) SendDlgItemMessageW(window_, IDC_UPDATE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(largeIcon_), 0);
    if (smallIcon_ != nullptr) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    SetWindowTextW(window_, loadText(IDS_UPDATING, state_.language).c_str());
    look::setControlText(window_, IDC_UPDATE_FIRST, loadText(IDS_DOWNLOAD, state_.language));
    look::setControlText(window_, IDC_UPDATE_SECOND, loadText(IDS_INSTALL, state_.language));
    look::setControlText(window_, IDCANCEL, loadText(IDS_CANCEL, state_.language));
    applyLook(IDC_UPDATE_HEADING, {IDCANCEL, IDC_UPDATE_SECOND, IDC_UPDATE_FIRST});
    // The status line is larger than the usual heading.
    look::setControlFont(window_, IDC_UPDATE_HEADING, &font, 12, false, false);

    messageRect_ = look::controlRect(window_, IDC_UPDATE_TEXT);
    progressRect_ = look::controlRect(window_, IDC_UPDATE_PROGRESS);
}

void UpdateDialog::startWorker(void (*routine)(UpdateState&, UpdateView&)) {
    // A button that starts a worker is enabled only by the last message of
    // the previous one, which is gone or leaving without another.
    if (worker_.joinable()) worker_.join();
    state_.clear(kIdle);
    try {
        worker_ = std::thread([this, routine] {
            try {
                routine(state_, *view_);
            } catch (...) {
                // Out of memory or the like: the worker gives up and the dialog closes.
                state_.set(kStopRequested);
                endWork(state_, *view_);
            }
        });
    } catch (...) {
        state_.set(kIdle);  // no thread: nothing runs
    }
}

void UpdateDialog::startDownload(const std::wstring& fileName) {
    // No second download while this one starts.
    enable(IDC_UPDATE_FIRST, false);
    enable(IDC_UPDATE_SECOND, false);
    state_.fileName = fileName;
    state_.clear(kStopRequested);
    ResetEvent(state_.cancel);
    state_.verification.reset();
    startWorker(downloadUpdate);
}

void UpdateDialog::onCancel(const Command&) {
    // Escape reaches here too while Cancel is unavailable.
    if (!IsWindowEnabled(item(IDCANCEL))) return;
    // One step, so that either the dialog sees the worker idle or the worker sees the stop.
    if ((state_.flags.fetch_or(kStopRequested) & kIdle) != 0) {
        EndDialog(window_, 0);
        return;
    }
    applyScreen(UpdateScreen::Closing, nullptr);
    SetEvent(state_.cancel);
    state_.verification.stop();
}

void UpdateDialog::onDownloadOrRun(const Command&) {
    // A click queued behind another that started a download.
    if (!IsWindowEnabled(item(IDC_UPDATE_FIRST))) return;
    if (state_.has(kFileReady)) {
        ShellExecuteW(nullptr, nullptr, state_.fileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        outcome_ = {UpdateOutcome::Kind::Ran, state_.fileName};
        EndDialog(window_, 1);
        return;
    }
    const bool x86 = services_.shiftDown && services_.shiftDown();
    startDownload(portableFileName(x86, state_.has(kBetaChannel)));
}

void UpdateDialog::onInstall(const Command&) {
    if (!IsWindowEnabled(item(IDC_UPDATE_SECOND))) return;
    if (state_.has(kFileReady)) {
        outcome_ = {UpdateOutcome::Kind::Install, state_.fileName};
        EndDialog(window_, 1);
        return;
    }
    state_.set(kFileReady);
    startDownload(std::wstring(kSetupFileName));
}

INT_PTR UpdateDialog::onShowScreen(WPARAM wParam, LPARAM lParam) {
    applyScreen(static_cast<UpdateScreen>(wParam), reinterpret_cast<const std::wstring*>(lParam));
    return TRUE;
}

void UpdateDialog::applyScreen(UpdateScreen screen, const std::wstring* message) {
    static constexpr ScreenRow kScreens[] = {
        {UpdateScreen::Checking, IDS_CHECKING, Message::Hidden, 0, Progress::Marquee, kMessageLayout, First::Off,
         Second::Off, true},
        {UpdateScreen::NoConnection, IDS_CONNECTION_ERROR, Message::FromTable, IDS_CONNECTION_ERROR_TEXT,
         Progress::Hidden, kMessageLayout, First::Off, Second::Off, true},
        {UpdateScreen::UpToDate, IDS_NO_NEW_VERSION, Message::FromWorker, 0, Progress::Hidden, kMessageLayout,
         First::Off, Second::Off, true},
        {UpdateScreen::NewerVersion, IDS_NEW_VERSION, Message::FromWorker, 0, Progress::Hidden, kMessageLayout,
         First::Download, Second::InstallUnlessBeta, true},
        {UpdateScreen::Preparing, 0, Message::Hidden, 0, Progress::Marquee, kMessageLayout, First::Off, Second::Off,
         true},
        {UpdateScreen::Connecting, IDS_DOWNLOADING, Message::FromTable, IDS_CONNECTING, Progress::Marquee,
         kConnectingLayout, First::Off, Second::Off, true},
        {UpdateScreen::Downloading, IDS_DOWNLOADING, Message::Empty, 0, Progress::Shown, kTransferLayout, First::Off,
         Second::Off, true},
        {UpdateScreen::Verifying, 0, Message::Empty, 0, Progress::Hidden, kMessageLayout, First::Off, Second::Off,
         true},
        {UpdateScreen::Halted, 0, Message::Keep, 0, Progress::Hidden, kMessageLayout, First::Off, Second::Off, true},
        {UpdateScreen::VerificationFailed, IDS_DOWNLOAD_ERROR, Message::FromTable, IDS_DOWNLOAD_ERROR_TEXT,
         Progress::Hidden, kMessageLayout, First::Download, Second::InstallUnlessBeta, true},
        {UpdateScreen::PortableReady, IDS_DOWNLOAD_COMPLETE, Message::FromTable, IDS_DOWNLOAD_RUN_HINT,
         Progress::Hidden, kMessageLayout, First::Run, Second::Off, true},
        {UpdateScreen::SetupReady, IDS_DOWNLOAD_COMPLETE, Message::FromTable, IDS_DOWNLOAD_INSTALL_HINT,
         Progress::Hidden, kMessageLayout, First::Off, Second::Install, true},
        {UpdateScreen::Closing, IDS_CLOSING, Message::Keep, 0, Progress::Keep, kKeepLayout, First::Off, Second::Off,
         false},
    };
    const ScreenRow* row = nullptr;
    for (const ScreenRow& candidate : kScreens) {
        if (candidate.screen == screen) row = &candidate;
    }
    if (row == nullptr) return;
    const LanguageId language = state_.language;

    if (row->heading != 0) look::setControlText(window_, IDC_UPDATE_HEADING, loadText(row->heading, language));
    const HWND text = item(IDC_UPDATE_TEXT);
    switch (row->message) {
    case Message::Keep:
        break;
    case Message::Hidden:
        look::setControlText(window_, IDC_UPDATE_TEXT, L"");
        ShowWindow(text, SW_HIDE);
        break;
    case Message::Empty:
        look::setControlText(window_, IDC_UPDATE_TEXT, L"");
        ShowWindow(text, SW_SHOW);
        break;
    case Message::FromWorker:
        look::setControlText(window_, IDC_UPDATE_TEXT, message != nullptr ? *message : std::wstring());
        ShowWindow(text, SW_SHOW);
        break;
    case Message::FromTable:
        look::setControlText(window_, IDC_UPDATE_TEXT, loadText(row->messageId, language));
        ShowWindow(text, SW_SHOW);
        break;
    }

    if (row->layout != kKeepLayout) placeControls(row->layout);
    const HWND bar = item(IDC_UPDATE_PROGRESS);
    if (row->progress == Progress::Hidden) ShowWindow(bar, SW_HIDE);
    if (row->progress == Progress::Marquee || row->progress == Progress::Shown) {
        // A bar with a range comes with the first progress report.
        setMarquee(true);
        ShowWindow(bar, SW_SHOW);
    }

    if (row->first == First::Download || row->first == First::Run) {
        look::setControlText(window_, IDC_UPDATE_FIRST,
                             loadText(row->first == First::Run ? IDS_RUN : IDS_DOWNLOAD, language));
        static constexpr int kButtons[] = {IDCANCEL, IDC_UPDATE_SECOND, IDC_UPDATE_FIRST};
        look::fitButtonRow(window_, kButtons, 3);
    }
    enable(IDC_UPDATE_FIRST, row->first != First::Off);
    enable(IDC_UPDATE_SECOND, row->second == Second::Install ||
                                  (row->second == Second::InstallUnlessBeta && !state_.has(kBetaChannel)));
    setCancelEnabled(row->cancel);
    InvalidateRect(window_, nullptr, TRUE);
}

void UpdateDialog::placeControls(int layout) {
    const int shift = layout == kTransferLayout ? look::scaled(window_, 12) : 0;
    const RECT& message = messageRect_;
    const RECT& bar = progressRect_;
    int messageBottom = message.bottom;
    if (layout == kConnectingLayout) messageBottom = bar.top;
    if (layout == kTransferLayout) messageBottom = bar.top + shift;
    look::moveControl(window_, IDC_UPDATE_TEXT, message.left, message.top, message.right - message.left,
                      messageBottom - message.top);
    look::moveControl(window_, IDC_UPDATE_PROGRESS, bar.left, bar.top + shift, bar.right - bar.left,
                      bar.bottom - bar.top);
}

void UpdateDialog::setMarquee(bool on) {
    const HWND bar = item(IDC_UPDATE_PROGRESS);
    const LONG style = GetWindowLongW(bar, GWL_STYLE);
    if (on) {
        if ((style & PBS_MARQUEE) == 0) SetWindowLongW(bar, GWL_STYLE, style | PBS_MARQUEE);
        SendMessageW(bar, PBM_SETMARQUEE, TRUE, 30);
        progressTotal_ = 0;
    } else {
        SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
        if ((style & PBS_MARQUEE) != 0) SetWindowLongW(bar, GWL_STYLE, style & ~PBS_MARQUEE);
    }
}

void UpdateDialog::setCancelEnabled(bool enabled) {
    enable(IDCANCEL, enabled);
    if (const HMENU menu = GetSystemMenu(window_, FALSE)) {
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

INT_PTR UpdateDialog::onProgress(WPARAM, LPARAM lParam) {
    const auto* update = reinterpret_cast<const DownloadProgress*>(lParam);
    if (update == nullptr) return TRUE;
    const HWND bar = item(IDC_UPDATE_PROGRESS);
    if (update->total == 0) {
        // No length announced: the bar keeps running, the text tells the bytes.
        if (progressTotal_ != 0) setMarquee(true);
    } else {
        // The bar's range is an int: large downloads are counted in larger steps.
        const std::uint64_t unit = update->total / 0x7FFFFFFF + 1;
        if (progressTotal_ != update->total) {
            setMarquee(false);
            SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(update->total / unit));
            progressTotal_ = update->total;
        }
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::min(update->received, update->total) / unit), 0);
    }
    if (update->text != nullptr && !update->text->empty()) {
        look::setControlText(window_, IDC_UPDATE_TEXT, *update->text);
    }
    return TRUE;
}

INT_PTR UpdateDialog::onShowError(WPARAM, LPARAM lParam) {
    const auto* text = reinterpret_cast<const std::wstring*>(lParam);
    if (text != nullptr) {
        MessageBoxW(window_, text->c_str(), loadText(IDS_PRODUCT, state_.language).c_str(), MB_OK | MB_ICONERROR);
    }
    return TRUE;
}

INT_PTR UpdateDialog::onChooseTarget(WPARAM, LPARAM lParam) {
    auto* name = reinterpret_cast<std::wstring*>(lParam);
    if (name == nullptr) return TRUE;
    *name = services_.chooseDownloadTarget ? services_.chooseDownloadTarget(window_, *name)
                                           : chooseSaveTarget(window_, *name, state_.language);
    return TRUE;
}

INT_PTR UpdateDialog::onWorkerClose(WPARAM wParam, LPARAM) {
    EndDialog(window_, static_cast<INT_PTR>(wParam));
    return TRUE;
}

INT_PTR UpdateDialog::onDestroy(WPARAM, LPARAM) {
    for (HICON* icon : {&largeIcon_, &smallIcon_}) {
        if (*icon != nullptr) DestroyIcon(*icon);
        *icon = nullptr;
    }
    return FALSE;
}

}  // namespace sumwise
