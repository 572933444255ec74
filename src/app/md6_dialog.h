// The MD6 parameters dialog: digest length, key, mode parameter and rounds,
// chosen over the main window. Windows only.
#pragma once

#include <windows.h>

#include "algorithms/params.h"

namespace sumwise {

// Runs the dialog modally over `owner`. When OK is pressed and the record
// differs from `params`, the "MD6" row of `list` loses its value and
// `params` takes the new record; returns whether that happened (the caller
// then refreshes what depended on the value).
bool runMd6ParametersDialog(HWND owner, HWND list, Md6Params& params);

}  // namespace sumwise
