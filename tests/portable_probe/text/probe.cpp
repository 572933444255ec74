// Never built: what the portable-header check must reject, a Windows header
// named directly and one reached through the toolkit.
#include <Windows.h>

#include <string>

#include "text/size_text.h"
#include "toolkit/look.h"
