#include "app/check_dialog.h"

#include <algorithm>

#include "app/check_text.h"
#include "app/input_failure_text.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"
#include "resources/resource_ids.h"

namespace sumwise {

namespace {

constexpr int kButtons[] = {IDCANCEL, IDC_CHECK_SAVE, IDC_CHECK_COPY, IDC_CHECK_AGAIN, IDC_CHECK_STOP};
// The Check again menu's commands.
constexpr UINT kAgainAll = 1;
constexpr UINT kAgainFailed = 2;

}  // namespace

CheckDialog::CheckDialog(std::filesystem::path sumsPath, const AppServices& services)
    : sumsPath_(std::move(sumsPath)), services_(services) {}

CheckDialog::~CheckDialog() = default;

INT_PTR CheckDialog::run(HINSTANCE instance, HWND owner) { return runModal(instance, IDD_CHECK, owner); }

bool CheckDialog::canCheck(const std::filesystem::path& sumsPath, HWND owner) {
    const SumsProbe probe = probeSumsFile(sumsPath);
    if (probe.result == SumsProbe::Result::Readable) return true;
    const std::wstring name = sumsPath.filename().wstring();
    const std::wstring text =
        probe.result == SumsProbe::Result::CannotOpen
            ? loadFormatted(IDS_CHECK_CANNOT_READ, {std::wstring_view(name), std::wstring_view(systemReason(probe.error))})
            : loadFormatted(IDS_CHECK_NO_LINES, {std::wstring_view(name)});
    const std::wstring title = loadText(IDS_PRODUCT);
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
    return false;
}

INT_PTR CheckDialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr MessageRoute<CheckDialog> routes[] = {
        {WM_INITDIALOG, &CheckDialog::onInitDialog},
        {WM_COMMAND, &CheckDialog::onCommand},
        {WM_NOTIFY, &CheckDialog::onNotify},
        {WM_TIMER, &CheckDialog::onTimer},
        {kCheckChangedMessage, &CheckDialog::onChanged},
        {kCheckEndedMessage, &CheckDialog::onEnded},
        {WM_SIZING, &CheckDialog::onSizing},
        {WM_SIZE, &CheckDialog::onSize},
        {WM_DPICHANGED, &CheckDialog::onDpiChanged},
        {WM_DESTROY, &CheckDialog::onDestroy},
    };
    return route(*this, routes, message, wParam, lParam);
}

INT_PTR CheckDialog::onCommand(WPARAM wParam, LPARAM lParam) {
    static constexpr CommandRoute<CheckDialog> routes[] = {
        on(IDC_CHECK_STOP, &CheckDialog::onStop, BN_CLICKED),
        on(IDC_CHECK_AGAIN, &CheckDialog::onCheckAgain, BN_CLICKED),
        on(IDC_CHECK_COPY, &CheckDialog::onCopyReport, BN_CLICKED),
        on(IDC_CHECK_SAVE, &CheckDialog::onSaveReport, BN_CLICKED),
        on(IDCANCEL, &CheckDialog::onClose),
    };
    return routeCommand(*this, routes, wParam, lParam) ? TRUE : FALSE;
}

INT_PTR CheckDialog::onInitDialog(WPARAM, LPARAM) {
    list_ = item(IDC_CHECK_LIST);
    const HWND self = window_;
    run_ = std::make_unique<CheckRun>(
        sumsPath_, AlgorithmParams{},
        [](const std::string& name) { return std::filesystem::path(wideName(name)); },
        [this, self](CheckRun::Event event) {
            if (event == CheckRun::Event::Ended) {
                PostMessageW(self, kCheckEndedMessage, 0, 0);
            } else if (!changePosted_.exchange(true)) {
                PostMessageW(self, kCheckChangedMessage, 0, 0);
            }
        });
    setTexts();
    setUpList();
    // The bar counts in thousandths, whatever the total.
    SendMessageW(item(IDC_CHECK_PROGRESS), PBM_SETRANGE32, 0, 1000);
    const int large = look::systemMetric(window_, SM_CXICON);
    if (const auto icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, large, large, LR_SHARED))) {
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    headingColour_ = look::headingColour(window_);
    errorColour_ = look::errorColour(window_);
    captureLayout();
    start(false);
    // As the program's own window (/CHECK:) it is the one tests drive.
    if (GetWindow(window_, GW_OWNER) == nullptr && services_.dialogCreated) services_.dialogCreated(window_);
    return TRUE;
}

void CheckDialog::setTexts() {
    const std::wstring name = sumsPath_.filename().wstring();
    SetWindowTextW(window_, loadFormatted(IDS_CHECK_TITLE, {std::wstring_view(name)}).c_str());
    look::setControlText(window_, IDC_CHECK_STOP, loadText(IDS_STOP));
    look::setControlText(window_, IDC_CHECK_AGAIN, loadText(IDS_CHECK_AGAIN));
    look::setControlText(window_, IDC_CHECK_COPY, loadText(IDS_CHECK_COPY_REPORT));
    look::setControlText(window_, IDC_CHECK_SAVE, loadText(IDS_CHECK_SAVE_REPORT));
    look::setControlText(window_, IDCANCEL, loadText(IDS_CHECK_CLOSE));
    look::fitButtonRow(window_, kButtons, static_cast<int>(std::size(kButtons)));
}

void CheckDialog::setUpList() {
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    const RECT area = look::controlRect(window_, IDC_CHECK_LIST);
    const int width = area.right - area.left - look::systemMetric(window_, SM_CXVSCROLL) - 4;
    const UINT titles[] = {IDS_CHECK_COLUMN_FILE, IDS_CHECK_COLUMN_ALGORITHM, IDS_CHECK_COLUMN_STATUS};
    const int widths[] = {width * 50 / 100, width * 18 / 100, width - width * 50 / 100 - width * 18 / 100};
    for (int column = 0; column < 3; ++column) {
        std::wstring title = loadText(titles[column]);
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.pszText = title.data();
        info.cx = widths[column];
        info.iSubItem = column;
        ListView_InsertColumn(list_, column, &info);
    }
}

void CheckDialog::captureLayout() {
    Layout layout;
    RECT window{};
    GetWindowRect(window_, &window);
    layout.window = {window.right - window.left, window.bottom - window.top};
    RECT client{};
    GetClientRect(window_, &client);
    layout.client = {client.right, client.bottom};
    layout.list = look::controlRect(window_, IDC_CHECK_LIST);
    layout.summary = look::controlRect(window_, IDC_CHECK_SUMMARY);
    layout.progress = look::controlRect(window_, IDC_CHECK_PROGRESS);
    layout.speed = look::controlRect(window_, IDC_CHECK_SPEED);
    for (std::size_t i = 0; i < std::size(kButtons); ++i) layout.buttons[i] = look::controlRect(window_, kButtons[i]);
    layout_ = layout;
}

void CheckDialog::start(bool onlyFailed) {
    started_ = std::chrono::steady_clock::now();
    run_->start(onlyFailed);
    showBusy(true);
    SetTimer(window_, kCheckTimer, kCheckInterval, nullptr);
    refresh();
}

void CheckDialog::showBusy(bool busy) {
    enable(IDC_CHECK_STOP, busy);
    enable(IDC_CHECK_AGAIN, !busy);
    enable(IDC_CHECK_COPY, !busy);
    enable(IDC_CHECK_SAVE, !busy);
    if (!busy) look::setControlText(window_, IDC_CHECK_SPEED, L"");
}

void CheckDialog::refresh() {
    changePosted_ = false;
    cachedIndex_ = static_cast<std::size_t>(-1);
    lastRefresh_ = std::chrono::steady_clock::now();
    const auto rows = static_cast<int>(run_->rowCount());
    if (ListView_GetItemCount(list_) != rows) {
        ListView_SetItemCountEx(list_, rows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
    InvalidateRect(list_, nullptr, FALSE);
    look::setControlText(window_, IDC_CHECK_SUMMARY, summaryText());
    const std::uint64_t total = run_->totalBytes();
    const std::uint64_t done = std::min(run_->doneBytes(), total);
    SendMessageW(item(IDC_CHECK_PROGRESS), PBM_SETPOS, total == 0 ? 0 : static_cast<WPARAM>(done * 1000 / total), 0);
    if (run_->running()) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        look::setControlText(window_, IDC_CHECK_SPEED, speedText(done, total, seconds));
    }
}

INT_PTR CheckDialog::onTimer(WPARAM wParam, LPARAM) {
    if (wParam != kCheckTimer) return FALSE;
    refresh();
    return TRUE;
}

INT_PTR CheckDialog::onChanged(WPARAM, LPARAM) {
    // Many small files change rows faster than is worth drawing: the timer catches up.
    if (std::chrono::steady_clock::now() - lastRefresh_ < std::chrono::milliseconds(kCheckInterval)) {
        changePosted_ = false;
        return TRUE;
    }
    refresh();
    return TRUE;
}

INT_PTR CheckDialog::onEnded(WPARAM, LPARAM) {
    if (run_->running()) return TRUE;  // an earlier run's notice
    run_->join();
    KillTimer(window_, kCheckTimer);
    refresh();
    showBusy(false);
    return TRUE;
}

void CheckDialog::onStop(const Command&) { run_->stop(); }

void CheckDialog::onCheckAgain(const Command&) {
    if (run_->running()) return;
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    AppendMenuW(menu, MF_STRING, kAgainAll, loadText(IDS_CHECK_AGAIN_ALL).c_str());
    AppendMenuW(menu, MF_STRING, kAgainFailed, loadText(IDS_CHECK_AGAIN_FAILED).c_str());
    const RECT button = look::controlRect(window_, IDC_CHECK_AGAIN);
    POINT at{button.left, button.bottom};
    ClientToScreen(window_, &at);
    const UINT chosen = services_.choosePopupCommand(window_, menu, at);
    DestroyMenu(menu);
    if (chosen == kAgainAll || chosen == kAgainFailed) start(chosen == kAgainFailed);
}

void CheckDialog::onCopyReport(const Command&) { copyToClipboard(window_, report()); }

void CheckDialog::onSaveReport(const Command&) {
    SaveFileRequest request;
    request.owner = window_;
    request.filter = loadText(IDS_CHECK_REPORT_TYPE) + std::wstring(L"\0*.txt\0", 7) + loadText(IDS_ALL_FILES) +
                     std::wstring(L"\0*.*\0", 5);
    std::filesystem::path proposed = sumsPath_;
    proposed += L".report.txt";
    request.proposedName = proposed.wstring();
    request.defaultExtension = L"txt";
    const auto chosen = services_.chooseSaveFile(request);
    if (!chosen) return;
    const std::string bytes = toUtf8(report());
    const HANDLE file = CreateFileW(chosen->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    const std::error_code error(static_cast<int>(GetLastError()), std::system_category());
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) {
        const std::wstring text = systemReason(error);
        MessageBoxW(window_, text.c_str(), loadText(IDS_PRODUCT).c_str(), MB_OK | MB_ICONERROR);
    }
}

void CheckDialog::onClose(const Command&) {
    run_->stop();
    run_->join();
    EndDialog(window_, IDCANCEL);
}

INT_PTR CheckDialog::onDestroy(WPARAM, LPARAM) {
    KillTimer(window_, kCheckTimer);
    if (run_) {
        run_->stop();
        run_->join();
    }
    return FALSE;
}

std::wstring CheckDialog::report() const {
    std::wstring text;
    for (std::size_t index = 0; index < run_->rowCount(); ++index) {
        const CheckRow row = run_->row(index);
        bool escaped = false;
        const std::string shown = printableSumsName(row.entry.name, escaped);
        const std::string line = checkReportLine(shown, escaped, row.status);
        if (line.empty()) continue;
        text += wideName(line) + L"\r\n";
    }
    return text + summaryText() + L"\r\n";
}

std::wstring CheckDialog::summaryText() const {
    const CheckCounts counts = run_->counts();
    std::wstring text;
    auto part = [&text](std::size_t count, UINT id) {
        if (count == 0) return;
        if (!text.empty()) text += L", ";
        text += loadFormatted(id, {std::wstring_view(std::to_wstring(count))});
    };
    part(counts.ok, IDS_CHECK_COUNT_OK);
    part(counts.failed, IDS_CHECK_COUNT_FAILED);
    part(counts.missing, IDS_CHECK_COUNT_MISSING);
    part(counts.unreadable, IDS_CHECK_COUNT_UNREADABLE);
    part(counts.badLines, counts.badLines == 1 ? IDS_CHECK_COUNT_BAD_LINE : IDS_CHECK_COUNT_BAD_LINES);
    return text;
}

}  // namespace sumwise
