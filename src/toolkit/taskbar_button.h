// The window's taskbar button: progress and a small overlay icon. A thin
// interface, so tests can watch what the program shows there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace sumwise {

class TaskbarButton {
public:
    enum class Progress { None, Normal };

    virtual ~TaskbarButton() = default;
    virtual void setProgressState(Progress state) = 0;
    virtual void setProgressValue(std::uint64_t completed, std::uint64_t total) = 0;
    // `icon` null removes the overlay.
    virtual void setOverlayIcon(HICON icon, const wchar_t* description) = 0;
};

// The shell's taskbar list for `window`, or null when the shell offers none.
std::unique_ptr<TaskbarButton> shellTaskbarButton(HWND window);

}  // namespace sumwise
