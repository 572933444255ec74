// The platform pieces the program uses that tests may replace.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/taskbar_button.h"
#include "results/browse.h"

namespace sumwise {

struct AppServices {
    // The taskbar button, created when the shell announces it.
    std::function<std::unique_ptr<TaskbarButton>(HWND)> makeTaskbarButton = shellTaskbarButton;
    // Modifier keys held while a button is pressed (Ctrl+Hash logs the job, Ctrl+Browse reloads the hash file).
    std::function<bool()> ctrlDown = [] { return GetKeyState(VK_CONTROL) < 0; };
    std::function<bool()> shiftDown = [] { return GetKeyState(VK_SHIFT) < 0; };
    // Where the daily log goes; empty: beside the program.
    std::wstring logFolder;
    // The open dialog of the Browse button: the chosen path, or none.
    std::function<std::optional<std::wstring>(HWND owner)> chooseFileToOpen = results::chooseFileToOpen;
    // Where a downloaded update is saved, given the suggested file name; an
    // empty answer cancels. Unset: the system's save dialog.
    std::function<std::wstring(HWND owner, const std::wstring& suggestedName)> chooseDownloadTarget;
    // Told the main dialog's window once it exists (tests drive it from there).
    std::function<void(HWND)> dialogCreated;
};

}  // namespace sumwise
