// The MD6 parameters dialog: digest length, key, mode parameter and rounds,
// chosen over the main window.
#pragma once

#include <windows.h>

#include <optional>

#include "algorithms/params.h"

namespace sumwise {

// Runs the dialog modally over `owner`, starting from `params`: the new
// record when OK is pressed and it differs from `params`, none otherwise.
std::optional<Md6Params> runMd6ParametersDialog(HWND owner, const Md6Params& params);

}  // namespace sumwise
