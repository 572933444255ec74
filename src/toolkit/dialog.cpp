#include "toolkit/dialog.h"

namespace sumwise {

INT_PTR Dialog::runModal(HINSTANCE instance, UINT templateId, HWND owner) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, procedure, reinterpret_cast<LPARAM>(this));
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
        const INT_PTR result = dialog->dispatch(message, wParam, lParam);
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
