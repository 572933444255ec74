// The HAVAL parameters dialog: passes and output length, chosen over the
// main window.
#pragma once

#include <windows.h>

#include <optional>

#include "algorithms/params.h"

namespace sumwise {

// Runs the dialog modally over `owner`, starting from `params`: the new
// choice when OK is pressed with another one, none otherwise.
std::optional<HavalParams> runHavalParametersDialog(HWND owner, const HavalParams& params);

}  // namespace sumwise
