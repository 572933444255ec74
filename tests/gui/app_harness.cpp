// The harness that runs the program's main dialog on its own thread: starting,
// clicking, waiting, closing, and the windows and dialogs it opens.
#include "app_harness.h"

#include <commctrl.h>

#include <utility>
#include <cstring>

#include "app/application.h"
#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "results/list_tips.h"
#include "results/results_list.h"
#include "toolkit/look.h"

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
RunningApp::RunningApp(const std::wstring& commandLine, std::wstring logFolder, std::wstring fallbackLogFolder) {
    services_.dropTargetWithSystem = false;
    services_.logFolder = std::move(logFolder);
    services_.fallbackLogFolder = std::move(fallbackLogFolder);
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
    services_.chooseFileToOpen = [this](HWND) {
        std::lock_guard lock(chooserMutex_);
        return std::exchange(chosenFile_, std::nullopt);
    };
    services_.choosePopupCommand = [this](HWND, HMENU menu, POINT) {
        std::vector<MenuEntry> entries;
        for (int position = 0; position < GetMenuItemCount(menu); ++position) {
            MenuEntry entry;
            wchar_t text[64] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 64;
            GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
            entry.separator = (info.fType & MFT_SEPARATOR) != 0;
            entry.text = entry.separator ? L"" : text;
            entry.command = info.wID;
            entry.enabled = (info.fState & (MFS_DISABLED | MFS_GRAYED)) == 0;
            entries.push_back(entry);
        }
        std::lock_guard lock(RecordingTaskbar::mutex);
        dialogs.menus.push_back(entries);
        return dialogs.menuChoice;
    };
    services_.chooseSaveFile = [this](const SaveFileRequest& request) -> std::optional<std::wstring> {
        std::lock_guard lock(RecordingTaskbar::mutex);
        dialogs.saveRequests.push_back(request);
        if (dialogs.saveAnswers.empty()) return std::nullopt;
        auto answer = dialogs.saveAnswers.front();
        dialogs.saveAnswers.pop_front();
        return answer;
    };
    services_.setHavalParameters = [this](HWND owner, const HavalParams& params) -> std::optional<HavalParams> {
        {
            std::lock_guard lock(RecordingTaskbar::mutex);
            dialogs.parameterDialogs.push_back(L"Haval");
        }
        if (!realParameterDialogs) return std::nullopt;
        return runHavalParametersDialog(owner, params);
    };
    services_.setMd6Parameters = [this](HWND owner, const Md6Params& params) -> std::optional<Md6Params> {
        {
            std::lock_guard lock(RecordingTaskbar::mutex);
            dialogs.parameterDialogs.push_back(L"MD6");
        }
        if (!realParameterDialogs) return std::nullopt;
        return runMd6ParametersDialog(owner, params);
    };
    thread_ = std::thread([this, commandLine] {
        exitStatus_ = runApplication(GetModuleHandleW(nullptr), commandLine, services_);
        ended_ = true;
    });
    waitFor([this] { return dialog_.load() != nullptr || ended_.load(); });
    waitFor([this] { return ended_.load() || IsWindowVisible(dialog_.load()); });
    // Disk mode is offered once the first drive list is in (the check window has none).
    waitFor([this] {
        const HWND disk = GetDlgItem(dialog_.load(), IDC_DISK_MODE);
        return ended_.load() || disk == nullptr || IsWindowEnabled(disk);
    });
}

void RunningApp::postClick(int id) { PostMessageW(control(id), BM_CLICK, 0, 0); }

void RunningApp::onDialogThread(const std::function<void()>& work) {
    SendMessageW(runner_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
}

int RunningApp::focusedControl() {
    HWND focus = nullptr;
    onDialogThread([&] { focus = GetFocus(); });
    return focus != nullptr && IsChild(dialog_, focus) ? GetDlgCtrlID(focus) : 0;
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

bool RunningApp::jobFinished() const {
    // During a long job the title has the time too, with the progress bar showing.
    return title().find(L" (") != std::wstring::npos && !visible(IDC_PROGRESS);
}

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

std::wstring RunningApp::saveNotice() {
    std::wstring notice;
    waitFor(
        [&] {
            onDialogThread([&] { notice = results::shownSaveNotice(control(IDC_RESULTS)); });
            return !notice.empty();
        },
        std::chrono::seconds(3));
    return notice;
}

HWND RunningApp::waitForOwnedDialog() const {
    return waitForDialog(GetWindowThreadProcessId(dialog_, nullptr), dialog_);
}

HWND waitForDialog(DWORD thread, HWND except) {
    struct Search {
        HWND except;
        HWND found = nullptr;
    } search{except};
    waitFor(
        [&] {
            EnumThreadWindows(
                thread,
                [](HWND window, LPARAM context) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(context);
                    wchar_t name[16] = {};
                    GetClassNameW(window, name, 16);
                    if (window == s->except || std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
                    s->found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        std::chrono::seconds(10));
    return search.found;
}

std::vector<std::wstring> childTexts(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        std::vector<std::wstring> texts;
    } search{className, {}};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (_wcsicmp(name, s->className) == 0) s->texts.push_back(look::windowText(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.texts;
}

std::wstring clipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void setClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
    }
    CloseClipboard();
}

std::wstring messageBoxText(HWND box) {
    // The longest static text: the message (the icon is a static too, without text).
    std::wstring longest;
    for (const std::wstring& text : childTexts(box, L"Static")) {
        if (text.size() > longest.size()) longest = text;
    }
    return longest;
}

}  // namespace sumwise::test
