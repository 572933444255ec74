// A program that imports two functions Windows 7 lacks: the import check
// must reject it, one from its list of newer functions and one that only
// the system headers know to be newer. Declared here, as the headers hide
// them for Windows 7.
#include <windows.h>

extern "C" {
__declspec(dllimport) UINT WINAPI GetDpiForWindow(HWND window);
__declspec(dllimport) BOOL WINAPI GetPointerType(UINT32 pointerId, DWORD* pointerType);
}

int main(int argc, char**) {
    DWORD type = 0;
    if (argc > 5) return static_cast<int>(GetDpiForWindow(nullptr)) + GetPointerType(0, &type);
    return 0;
}
