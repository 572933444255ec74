// The platform pieces the program uses that tests may replace.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/taskbar_button.h"
#include "inputs/device_catalog.h"

struct IDropTarget;
struct IDropTargetHelper;

namespace sumwise {

struct AppServices {
    // The taskbar button, created when the shell announces it.
    std::function<std::unique_ptr<TaskbarButton>(HWND)> makeTaskbarButton = shellTaskbarButton;
    // Modifier keys held while Hash is pressed.
    std::function<bool()> ctrlDown = [] { return GetKeyState(VK_CONTROL) < 0; };
    std::function<bool()> shiftDown = [] { return GetKeyState(VK_SHIFT) < 0; };
    // Where the daily log goes; empty: beside the program.
    std::wstring logFolder;
    // Where a downloaded update is saved, given the suggested file name; an
    // empty answer cancels. Unset: the system's save dialog.
    std::function<std::wstring(HWND owner, const std::wstring& suggestedName)> chooseDownloadTarget;
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
};

}  // namespace sumwise
