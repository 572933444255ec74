// The system's save dialog, behind a plain call so tests can answer it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace sumwise {

struct SaveFileRequest {
    HWND owner = nullptr;
    // Pairs of description and pattern, each ended by a NUL.
    std::wstring filter;
    // The name the dialog starts with, folder included.
    std::wstring proposedName;
    std::wstring defaultExtension;
};

// The path the user confirmed, or none when the dialog was cancelled.
std::optional<std::wstring> showSaveFileDialog(const SaveFileRequest& request);

}  // namespace sumwise
