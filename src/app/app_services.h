// The platform pieces the program uses that tests may replace.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/haval_dialog.h"
#include "app/md6_dialog.h"
#include "inputs/device_catalog.h"
#include "toolkit/taskbar_button.h"

struct IDropTarget;
struct IDropTargetHelper;
#include "results/browse.h"
#include "results/save_file_dialog.h"

namespace sumwise {

inline DWORD shellOpen(HWND owner, const std::wstring& target, int show) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The caller tells the user; the shell shows no box of its own.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = target.c_str();
    info.nShow = show;
    if (ShellExecuteExW(&info)) return 0;
    const DWORD error = GetLastError();
    return error != 0 ? error : static_cast<DWORD>(ERROR_NO_ASSOCIATION);
}

struct AppServices {
    // The taskbar button, created when the shell announces it.
    std::function<std::unique_ptr<TaskbarButton>(HWND)> makeTaskbarButton = shellTaskbarButton;
    // Modifier keys, sampled when a command asks (Ctrl+Hash logs the job,
    // Ctrl+Browse reloads the hash file, the results list's keys).
    std::function<bool()> ctrlDown = [] { return GetKeyState(VK_CONTROL) < 0; };
    std::function<bool()> shiftDown = [] { return GetKeyState(VK_SHIFT) < 0; };
    // Where the daily log goes; empty: beside the program.
    std::wstring logFolder;
    // Where it goes when the day's file there cannot be written; empty: the
    // user's application data.
    std::wstring fallbackLogFolder;
    // The open dialog of the Browse button: the chosen path, or none.
    std::function<std::optional<std::wstring>(HWND owner)> chooseFileToOpen = results::chooseFileToOpen;
    // The results list's context menu, shown at a screen point: the chosen command, or 0.
    std::function<UINT(HWND owner, HMENU menu, POINT at)> choosePopupCommand = [](HWND owner, HMENU menu, POINT at) {
        return static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    };
    // The parameter dialogs, modal over the main dialog: the changed parameters, or none.
    std::function<std::optional<HavalParams>(HWND owner, const HavalParams&)> setHavalParameters =
        runHavalParametersDialog;
    std::function<std::optional<Md6Params>(HWND owner, const Md6Params&)> setMd6Parameters = runMd6ParametersDialog;
    // The save dialog: the confirmed path, or none.
    std::function<std::optional<std::wstring>(const SaveFileRequest&)> chooseSaveFile = showSaveFileDialog;
    // Where a downloaded update is saved, given the suggested file name; an
    // empty answer cancels. Unset: the system's save dialog.
    std::function<std::wstring(HWND owner, const std::wstring& suggestedName)> chooseDownloadTarget;
    // How long the update check and download wait for the server's next
    // byte before they end with a timeout, in milliseconds.
    DWORD updateIdleLimit = 30000;
    // Opens a web page with the shell's verb "open", shown as `show`: 0, or
    // the system's error code when the shell cannot open it.
    std::function<DWORD(HWND owner, const std::wstring& target, int show)> openWithShell = shellOpen;
    // Told the main dialog's window once it exists (tests drive it from there).
    std::function<void(HWND)> dialogCreated;
    // The optical drives; null: the machine's own.
    std::shared_ptr<DeviceCatalog> devices;
    // The shell's drag-image object (a new reference, or null when there is
    // none); unset: the shell's own.
    std::function<IDropTargetHelper*()> makeDragImages;
    // Whether the drop target is registered with the system, which makes it
    // reachable from other processes' drags (tests call it directly).
    bool dropTargetWithSystem = true;
    // Told the window's drop target once it is registered (tests drag onto it).
    std::function<void(IDropTarget*)> dropTargetRegistered;
    // Shows a file in its folder (the check window's menu); unset: the shell.
    std::function<void(const std::wstring& path)> showInFolder;
};

}  // namespace sumwise
