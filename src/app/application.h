// Start-up and shut-down of the program around its main dialog.
#pragma once

#include <windows.h>

#include <string_view>

#include "app/app_services.h"

namespace sumwise {

// Prepares COM, the common controls, the job record and the UI language,
// runs the main dialog until it ends, and tears everything down again.
// `arguments` is the command line without the program name. With /CHECK:
// the check window runs instead. Returns 0, or 2 when the sums file cannot
// be checked.
int runApplication(HINSTANCE instance, std::wstring_view arguments, const AppServices& services = {});

}  // namespace sumwise
