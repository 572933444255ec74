#include "toolkit/dialog.h"

#include "toolkit/look.h"

namespace sumwise {

INT_PTR Dialog::runModal(HINSTANCE instance, UINT templateId, HWND owner) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, procedure, reinterpret_cast<LPARAM>(this));
}

COLORREF Dialog::staticTextColour(int) const { return GetSysColor(COLOR_WINDOWTEXT); }

INT_PTR Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(look::backgroundBrush());
    case WM_CTLCOLORSTATIC: {
        const COLORREF colour = staticTextColour(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        return reinterpret_cast<INT_PTR>(look::staticColours(reinterpret_cast<HDC>(wParam), colour));
    }
    case WM_PAINT:
        if (hasFooterBand()) return paint();
        break;
    default:
        break;
    }
    return dispatch(message, wParam, lParam);
}

INT_PTR Dialog::paint() {
    PAINTSTRUCT painting{};
    const HDC dc = BeginPaint(window_, &painting);
    if (dc != nullptr) look::paintFooterBand(window_, dc);
    EndPaint(window_, &painting);
    return TRUE;
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // The object comes as the creation parameter; from here on the window carries it.
        auto* created = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        if (created != nullptr) created->window_ = window;
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;  // messages before WM_INITDIALOG
    try {
        const INT_PTR result = dialog->handle(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, DWLP_USER, 0);
            dialog->window_ = nullptr;
        }
        return result;
    } catch (...) {
        // Nothing may escape into the window manager; the message counts as unhandled.
        return FALSE;
    }
}

}  // namespace sumwise
