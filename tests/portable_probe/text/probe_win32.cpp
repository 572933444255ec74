// Never built: Windows code by its name, which the portable-header check passes over.
#include <windows.h>
