// The HAVAL parameters dialog: passes and output length, chosen over the
// main window. Windows only.
#pragma once

#include <windows.h>

#include "algorithms/params.h"

namespace sumwise {

// Runs the dialog modally over `owner`. When OK is pressed with another
// choice than `params`, the "Haval" row of `list` loses its value and
// `params` takes the choice; returns whether that happened (the caller
// then refreshes what depended on the value).
bool runHavalParametersDialog(HWND owner, HWND list, HavalParams& params);

}  // namespace sumwise
