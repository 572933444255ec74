// Drives an installed Sumwise.exe through an update, as a user would, from
// another process: About, "Check for updates...", Install, the save dialog,
// Install again. Succeeds when the newer version was offered, the Setup was
// saved, the program ended and the Setup it started is running (which is
// then ended: the release test runs it silently itself).
//   update_loop_driver PROGRAM TARGET OLD_VERSION NEW_VERSION
// The program asks the server SUMWISE_UPDATE_URL names (inherited).
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "resources/resource_ids.h"

namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 30s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

int fail(const char* what) {
    std::fprintf(stderr, "update loop: %s\n", what);
    std::fflush(stderr);
    return 1;
}

// Another process's control text: WM_GETTEXT crosses processes, GetWindowText does not.
std::wstring textOf(HWND control) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

void click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The visible top-level window of a process.
HWND windowOfProcess(DWORD process) {
    struct Search {
        DWORD process;
        HWND found;
    } search{process, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible window `owner` owns, waited for.
HWND ownedWindow(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    waitFor([&] {
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
    });
    return search.found;
}

DWORD processNamed(const wchar_t* name) {
    DWORD found = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && found == 0; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

bool contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

}  // namespace

int wmain(int argc, wchar_t** argv);  // the wide entry point, chosen by -municode

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return fail("usage: update_loop_driver PROGRAM TARGET OLD_VERSION NEW_VERSION");
    const std::wstring program = argv[1];
    const std::wstring target = argv[2];

    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return fail("the installed program does not start");
    }
    CloseHandle(started.hThread);

    HWND main = nullptr;
    if (!waitFor([&] { return (main = windowOfProcess(started.dwProcessId)) != nullptr; })) {
        return fail("the program shows no window");
    }
    click(main, IDC_ABOUT);
    const HWND about = ownedWindow(main);
    if (about == nullptr) return fail("no About box");
    click(about, IDC_ABOUT_UPDATES);
    const HWND update = ownedWindow(about);
    if (update == nullptr) return fail("no update dialog");

    // Install is offered only with a newer version.
    const HWND install = GetDlgItem(update, IDC_UPDATE_SECOND);
    if (!waitFor([&] { return IsWindowEnabled(install) != FALSE; })) return fail("no newer version offered");
    const std::wstring message = textOf(GetDlgItem(update, IDC_UPDATE_TEXT));
    if (!contains(message, argv[3]) || !contains(message, argv[4])) {
        return fail("the offer names other versions than the installed and the published one");
    }
    std::printf("offered the newer version\n");

    click(update, IDC_UPDATE_SECOND);
    const HWND save = ownedWindow(update);
    if (save == nullptr) return fail("no save dialog");
    // The file name box: a combo box in the Explorer-style dialog, an edit in older templates.
    HWND name = GetDlgItem(save, 0x47C);
    if (name == nullptr) name = GetDlgItem(save, 0x480);
    if (name == nullptr) return fail("the save dialog has no file name box");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    PostMessageW(save, WM_COMMAND, IDOK, 0);

    // The verified download gets its name; then Install starts it.
    if (!waitFor([&] {
            return GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES && !IsWindow(save) &&
                   IsWindowEnabled(install) != FALSE;
        })) {
        return fail("the Setup was not downloaded and verified");
    }
    std::printf("downloaded and verified the Setup\n");
    click(update, IDC_UPDATE_SECOND);
    if (WaitForSingleObject(started.hProcess, 30000) != WAIT_OBJECT_0) return fail("the program did not end");
    CloseHandle(started.hProcess);
    std::printf("the program ended\n");

    DWORD setup = 0;
    if (!waitFor([&] { return (setup = processNamed(L"SumwiseSetup.exe")) != 0; })) {
        return fail("the Setup was not started");
    }
    std::printf("the Setup runs\n");
    std::fflush(stdout);
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, setup);
    if (process == nullptr) return fail("the Setup cannot be ended");
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    return 0;
}
