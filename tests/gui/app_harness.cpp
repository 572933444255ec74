#include "app_harness.h"

#include <commctrl.h>

#include <utility>

#include "app/application.h"
#include "app/look.h"
#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "results/results_list.h"

namespace sumwise::test {

std::mutex RecordingTaskbar::mutex;

void RecordingTaskbar::setProgressState(Progress state) {
    std::lock_guard lock(mutex);
    record_.states.push_back(state);
}

void RecordingTaskbar::setProgressValue(std::uint64_t completed, std::uint64_t total) {
    std::lock_guard lock(mutex);
    record_.values.emplace_back(completed, total);
}

void RecordingTaskbar::setOverlayIcon(HICON icon, const wchar_t*) {
    std::lock_guard lock(mutex);
    record_.overlays.push_back(icon);
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

RunningApp::RunningApp(const std::wstring& commandLine, std::wstring logFolder) {
    services_.makeTaskbarButton = [this](HWND) { return std::make_unique<RecordingTaskbar>(taskbar); };
    services_.ctrlDown = [this] { return ctrl.load(); };
    services_.shiftDown = [this] { return shift.load(); };
    services_.logFolder = std::move(logFolder);
    services_.chooseDownloadTarget = [this](HWND, const std::wstring& name) {
        std::lock_guard lock(saveMutex_);
        offeredNames_.push_back(name);
        return saveTarget_.wstring();
    };
    services_.dialogCreated = [this](HWND window) { dialog_ = window; };
    services_.chooseFileToOpen = [this](HWND) {
        std::lock_guard lock(chooserMutex_);
        return std::exchange(chosenFile_, std::nullopt);
    };
    thread_ = std::thread([this, commandLine] {
        runApplication(GetModuleHandleW(nullptr), commandLine, services_);
        ended_ = true;
    });
    waitFor([this] { return dialog_.load() != nullptr || ended_.load(); });
    waitFor([this] { return ended_.load() || IsWindowVisible(dialog_.load()); });
}

RunningApp::~RunningApp() {
    if (resultHook_ != nullptr) UnhookWindowsHookEx(resultHook_);
    close();
    if (thread_.joinable()) thread_.join();
}

std::wstring RunningApp::text(int id) const { return look::controlText(dialog_, id); }

std::wstring RunningApp::title() const { return look::windowText(dialog_); }

bool RunningApp::checked(int id) const { return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void RunningApp::click(int id) { SendMessageW(control(id), BM_CLICK, 0, 0); }

void RunningApp::setText(int id, const std::wstring& text) {
    SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<ListRow> RunningApp::rows() const {
    const HWND list = control(IDC_RESULTS);
    std::vector<ListRow> result;
    for (int row = 0; row < results::rowCount(list); ++row) {
        result.push_back({results::rowName(list, row), results::rowValue(list, row), results::rowTicked(list, row)});
    }
    return result;
}

std::wstring RunningApp::value(const std::wstring& name) const {
    for (const ListRow& row : rows()) {
        if (row.name == name) return row.value;
    }
    return L"<no row>";
}

void RunningApp::tick(const std::wstring& name, bool ticked) {
    const HWND list = control(IDC_RESULTS);
    const int row = results::rowForName(list, name);
    if (row >= 0) results::setRowTicked(list, row, ticked);
}

bool RunningApp::jobFinished() const { return title().find(L" (") != std::wstring::npos; }

void RunningApp::hashAndWait() {
    click(IDC_HASH);
    waitFor([this] { return jobFinished(); });
    // The end of the job is handled on the dialog's thread; let it settle.
    SendMessageW(dialog_, WM_NULL, 0, 0);
}

void RunningApp::announceTaskbarButton() {
    SendMessageW(dialog_, RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
}

void RunningApp::browse(std::optional<std::wstring> chosen) {
    {
        std::lock_guard lock(chooserMutex_);
        chosenFile_ = std::move(chosen);
    }
    click(IDC_BROWSE);
}

void RunningApp::pressKey(int id, UINT key) {
    // Through the dialog's message loop, which turns Enter into the default button.
    PostMessageW(control(id), WM_KEYDOWN, key, 1);
    PostMessageW(control(id), WM_KEYUP, key, 0xC0000001);
    settle();
}

namespace {

// A marker posted behind other messages: once the loop takes it, they are done.
const UINT kSettledMessage = RegisterWindowMessageW(L"SumwiseTestSettled");
std::atomic<unsigned> settledCount{0};

LRESULT CALLBACK watchQueue(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == kSettledMessage) ++settledCount;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void RunningApp::settle() {
    const DWORD thread = GetWindowThreadProcessId(dialog_, nullptr);
    const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, watchQueue, nullptr, thread);
    const unsigned before = settledCount.load();
    PostMessageW(dialog_, kSettledMessage, 0, 0);
    // A dialog that has ended takes no more messages.
    waitFor([this, before] { return settledCount.load() != before || ended_.load(); }, std::chrono::seconds(5));
    if (hook != nullptr) UnhookWindowsHookEx(hook);
}

namespace {

std::mutex resultActionMutex;
std::function<void()> resultAction;

LRESULT CALLBACK watchResults(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == kShowResultMessage) {
        std::function<void()> action;
        {
            std::lock_guard lock(resultActionMutex);
            action = std::exchange(resultAction, nullptr);
        }
        if (action) action();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void RunningApp::beforeNextResult(std::function<void()> action) {
    {
        std::lock_guard lock(resultActionMutex);
        resultAction = std::move(action);
    }
    if (resultHook_ == nullptr) {
        resultHook_ = SetWindowsHookExW(WH_CALLWNDPROC, watchResults, nullptr,
                                        GetWindowThreadProcessId(dialog_, nullptr));
    }
}

void RunningApp::answerSaveDialog(const std::filesystem::path& target) {
    std::lock_guard lock(saveMutex_);
    saveTarget_ = target;
}

std::vector<std::wstring> RunningApp::offeredDownloadNames() const {
    std::lock_guard lock(saveMutex_);
    return offeredNames_;
}

HWND waitForOwnedWindow(HWND owner, std::chrono::milliseconds limit) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    waitFor(
        [&] {
            EnumThreadWindows(
                GetWindowThreadProcessId(owner, nullptr),
                [](HWND window, LPARAM parameter) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(parameter);
                    if (GetWindow(window, GW_OWNER) != s->owner || !IsWindowVisible(window)) return TRUE;
                    s->found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        limit);
    return search.found;
}

void postClick(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring dialogText(HWND dialog, int id) { return look::controlText(dialog, id); }

bool RunningApp::close() {
    if (ended_ || dialog_.load() == nullptr) return true;
    for (int attempt = 0; attempt < 10 && !ended_; ++attempt) {
        // Dialogs a test left open over the main dialog go first.
        EnumThreadWindows(
            GetWindowThreadProcessId(dialog_, nullptr),
            [](HWND window, LPARAM main) -> BOOL {
                if (window != reinterpret_cast<HWND>(main) && IsWindowVisible(window)) {
                    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(dialog_.load()));
        PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
        waitFor([this] { return ended_.load(); }, std::chrono::milliseconds(1000));
    }
    return ended_;
}

}  // namespace sumwise::test
