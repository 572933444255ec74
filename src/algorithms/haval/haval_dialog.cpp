#include "algorithms/haval/haval_dialog.h"

namespace sumwise {

void runHavalParametersDialog(HWND, HWND, HavalParams&) {}

}  // namespace sumwise
