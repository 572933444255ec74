#include "app_harness.h"

#include <commctrl.h>

#include "app/application.h"
#include "app/look.h"
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

namespace {

constexpr UINT kRunMessage = WM_APP + 100;

LRESULT CALLBACK runnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunMessage) return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
}

// A message-only window on the calling thread that runs what it is sent.
HWND createRunner() {
    static const ATOM runnerClass = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = runnerProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SumwiseTestRunner";
        return RegisterClassW(&windowClass);
    }();
    return CreateWindowExW(0, MAKEINTATOM(runnerClass), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

// Wine gives each COM apartment that offers an object to other processes an
// endpoint of its own and serves at most about sixty: the program offers its
// drop target once in its life, the tests start dialog after dialog in one
// process. So tests reach the target directly, unless they ask for the
// system's registration.
RunningApp::RunningApp(const std::wstring& commandLine, std::wstring logFolder) {
    services_.dropTargetWithSystem = false;
    services_.logFolder = std::move(logFolder);
    start(commandLine);
}

RunningApp::RunningApp(const std::wstring& commandLine, const std::function<void(AppServices&)>& adjust) {
    services_.dropTargetWithSystem = false;
    adjust(services_);
    start(commandLine);
}

void RunningApp::start(const std::wstring& commandLine) {
    services_.makeTaskbarButton = [this](HWND) { return std::make_unique<RecordingTaskbar>(taskbar); };
    services_.ctrlDown = [this] { return ctrl.load(); };
    services_.shiftDown = [this] { return shift.load(); };
    services_.chooseDownloadTarget = [this](HWND, const std::wstring& name) {
        std::lock_guard lock(saveMutex_);
        offeredNames_.push_back(name);
        return saveTarget_.wstring();
    };
    services_.dialogCreated = [this](HWND window) {
        runner_ = createRunner();
        dialog_ = window;
    };
    services_.dropTargetRegistered = [this](IDropTarget* target) { dropTarget_ = target; };
    thread_ = std::thread([this, commandLine] {
        runApplication(GetModuleHandleW(nullptr), commandLine, services_);
        ended_ = true;
    });
    waitFor([this] { return dialog_.load() != nullptr || ended_.load(); });
    waitFor([this] { return ended_.load() || IsWindowVisible(dialog_.load()); });
    // Disk mode is offered once the first drive list is in.
    waitFor([this] { return ended_.load() || IsWindowEnabled(GetDlgItem(dialog_.load(), IDC_DISK_MODE)); });
}

void RunningApp::postClick(int id) { PostMessageW(control(id), BM_CLICK, 0, 0); }

void RunningApp::onDialogThread(const std::function<void()>& work) {
    SendMessageW(runner_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
}

RunningApp::~RunningApp() {
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
