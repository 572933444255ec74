// The system's open dialog behind the Browse button.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace sumwise::results {

// Asks the user for an existing file, starting in the folder that lists the
// computer's drives; the chosen path whatever its length, or none when the
// user cancels.
std::optional<std::wstring> chooseFileToOpen(HWND owner);

}  // namespace sumwise::results
