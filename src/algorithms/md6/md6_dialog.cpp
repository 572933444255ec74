#include "algorithms/md6/md6_dialog.h"

namespace sumwise {

void runMd6ParametersDialog(HWND, HWND, Md6Params&) {}

}  // namespace sumwise
