#include "toolkit/system_functions.h"

#include <atomic>
#include <string>

namespace sumwise::system {

namespace {

std::atomic<int> pretendingMissing{0};

using GetDpiForWindowFunction = UINT WINAPI(HWND);
using GetSystemMetricsForDpiFunction = int WINAPI(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL WINAPI(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFunction = BOOL WINAPI(LPRECT, DWORD, BOOL, DWORD, UINT);
// shcore.dll, Windows 8.1: GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y).
using GetDpiForMonitorFunction = HRESULT WINAPI(HMONITOR, int, UINT*, UINT*);

// The looked-up function, or nullptr while a test pretends it is missing.
template <typename Function>
Function* available(Function* function) {
    return pretendingMissing.load() != 0 ? nullptr : function;
}

}  // namespace

FARPROC findAddress(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) {
        // Only from the system folder: never a DLL of that name planted elsewhere.
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        const std::wstring path = std::wstring(folder, length) + L"\\" + dll;
        module = LoadLibraryW(path.c_str());
    }
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

UINT systemDpi() {
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) return 96;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT dpiForWindow(HWND window) {
    static auto* const forWindow = find<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (window != nullptr) {
        if (auto* function = available(forWindow)) {
            if (const UINT dpi = function(window); dpi != 0) return dpi;
        }
        static auto* const forMonitor = find<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
        if (auto* function = available(forMonitor)) {
            UINT x = 0;
            UINT y = 0;
            const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
            if (monitor != nullptr && SUCCEEDED(function(monitor, 0, &x, &y)) && y != 0) return y;
        }
    }
    return systemDpi();
}

int systemMetricForDpi(int index, UINT dpi) {
    static auto* const forDpi = find<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
    if (auto* function = available(forDpi)) return function(index, dpi);
    const int metric = GetSystemMetrics(index);
    const UINT system = systemDpi();
    return dpi == 0 || dpi == system ? metric : MulDiv(metric, static_cast<int>(dpi), static_cast<int>(system));
}

bool systemParametersInfoForDpi(UINT action, UINT parameter, void* data, UINT dpi) {
    static auto* const forDpi =
        find<SystemParametersInfoForDpiFunction>(L"user32.dll", "SystemParametersInfoForDpi");
    if (auto* function = available(forDpi)) {
        if (function(action, parameter, data, 0, dpi)) return true;
    }
    if (!SystemParametersInfoW(action, parameter, data, 0)) return false;
    const UINT system = systemDpi();
    if (action == SPI_GETNONCLIENTMETRICS && dpi != 0 && dpi != system) {
        auto& metrics = *static_cast<NONCLIENTMETRICSW*>(data);
        for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                               &metrics.lfStatusFont, &metrics.lfMessageFont}) {
            font->lfHeight = MulDiv(font->lfHeight, static_cast<int>(dpi), static_cast<int>(system));
        }
    }
    return true;
}

bool adjustWindowRectExForDpi(RECT& rect, DWORD style, bool menu, DWORD extendedStyle, UINT dpi) {
    static auto* const forDpi = find<AdjustWindowRectExForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (auto* function = available(forDpi)) return function(&rect, style, menu, extendedStyle, dpi) != FALSE;
    return AdjustWindowRectEx(&rect, style, menu, extendedStyle) != FALSE;
}

PretendNewerFunctionsMissing::PretendNewerFunctionsMissing() { ++pretendingMissing; }
PretendNewerFunctionsMissing::~PretendNewerFunctionsMissing() { --pretendingMissing; }

}  // namespace sumwise::system
