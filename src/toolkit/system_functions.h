// System functions newer than Windows 7, found at run time so the program
// still starts where they are missing. Each is looked up once; the callers
// use the wrappers below, which fall back to what Windows 7 has.
//
// The program is compiled for Windows 7 (_WIN32_WINNT 0x0601), so the
// system headers do not even declare the newer functions: calling one
// directly does not compile, and the import-table test checks the result.
#pragma once

#include <windows.h>

namespace sumwise::system {

// The address of a function of a system DLL ("user32.dll"), or nullptr.
// The DLL is loaded from the system folder only, and stays loaded.
FARPROC findAddress(const wchar_t* dll, const char* name);

// The same with its type (the headers do not declare the newer functions):
//   using GetDpiForSystemFunction = UINT WINAPI();
//   static auto* const getDpi = system::find<GetDpiForSystemFunction>(L"user32.dll", "GetDpiForSystem");
//   if (getDpi != nullptr) ...
// Look each function up once (a function-local static) and test for nullptr.
template <typename Function>
Function* find(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(findAddress(dll, name)));
}

// The DPI the system scales to (the primary screen's), 96 when unknown.
UINT systemDpi();
// The window's DPI: GetDpiForWindow (Windows 10 1607), else the DPI of the
// window's monitor (Windows 8.1), else the system DPI.
UINT dpiForWindow(HWND window);
// GetSystemMetricsForDpi, else GetSystemMetrics scaled from the system DPI.
int systemMetricForDpi(int index, UINT dpi);
// SystemParametersInfoForDpi, else SystemParametersInfoW; for the
// non-client metrics the fonts are then scaled from the system DPI.
bool systemParametersInfoForDpi(UINT action, UINT parameter, void* data, UINT dpi);
// AdjustWindowRectExForDpi, else AdjustWindowRectEx.
bool adjustWindowRectExForDpi(RECT& rect, DWORD style, bool menu, DWORD extendedStyle, UINT dpi);

// For tests: while one exists, the wrappers act as on Windows 7, as if the
// newer functions were missing.
class PretendNewerFunctionsMissing {
public:
    PretendNewerFunctionsMissing();
    ~PretendNewerFunctionsMissing();
    PretendNewerFunctionsMissing(const PretendNewerFunctionsMissing&) = delete;
    PretendNewerFunctionsMissing& operator=(const PretendNewerFunctionsMissing&) = delete;
};

}  // namespace sumwise::system
