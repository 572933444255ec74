// The shape every dialog of the program shares: one window procedure that
// binds the dialog object to its window, keeps exceptions out of the window
// manager, answers the look's messages (background, static colours, the band
// behind the buttons) the same way for every dialog, and hands each other
// message to the object's table of small named handlers.
#pragma once

#include <windows.h>

#include <cstddef>

namespace sumwise {

// A WM_COMMAND as the handlers see it.
struct Command {
    int id;
    UINT notification;
    HWND control;
};

inline constexpr UINT kAnyNotification = 0xFFFFFFFF;
// For running a command handler from code rather than from a control.
inline constexpr Command kNoCommand{0, 0, nullptr};

// One row of a dialog's message table.
template <class D>
struct MessageRoute {
    UINT message;
    INT_PTR (D::*handler)(WPARAM, LPARAM);
};

// One row of a dialog's command table: the controls `firstId` to `lastId`
// (a single control when both are equal) with the given notification.
template <class D>
struct CommandRoute {
    int firstId;
    int lastId;
    UINT notification;
    void (D::*handler)(const Command&);
};

template <class D>
constexpr CommandRoute<D> on(int id, void (D::*handler)(const Command&), UINT notification = kAnyNotification) {
    return {id, id, notification, handler};
}

template <class D>
constexpr CommandRoute<D> onRange(int firstId, int lastId, void (D::*handler)(const Command&),
                                     UINT notification = kAnyNotification) {
    return {firstId, lastId, notification, handler};
}

class Dialog {
public:
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog of `templateId` modally, owned by `owner`; returns the
    // id it ended with (or -1 when it could not be created).
    INT_PTR runModal(HINSTANCE instance, UINT templateId, HWND owner);
    HWND window() const { return window_; }

protected:
    Dialog() = default;
    virtual ~Dialog() = default;

    // Every message after the window is bound, but for the look's; FALSE
    // leaves it to the system.
    virtual INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // The text colour of a control that asks for static colours (statics,
    // group boxes, check and radio boxes, read-only edits): the window-text
    // colour unless the dialog gives one of its own.
    virtual COLORREF staticTextColour(int controlId) const;
    // Whether the band behind the buttons is painted (the main window has none).
    virtual bool hasFooterBand() const { return false; }

    HWND item(int id) const { return GetDlgItem(window_, id); }
    bool checked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }
    void setChecked(int id, bool value) { CheckDlgButton(window_, id, value ? BST_CHECKED : BST_UNCHECKED); }
    void enable(int id, bool enabled) { EnableWindow(item(id), enabled ? TRUE : FALSE); }
    // Answers a message whose result travels in DWLP_MSGRESULT (notifications and the like).
    INT_PTR reply(LONG_PTR result) {
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
        return TRUE;
    }

    // Hands a message to the first matching row of `routes`; FALSE when none matches.
    template <class D, std::size_t N>
    static INT_PTR route(D& self, const MessageRoute<D> (&routes)[N], UINT message, WPARAM wParam, LPARAM lParam) {
        for (const MessageRoute<D>& row : routes) {
            if (row.message == message) return (self.*row.handler)(wParam, lParam);
        }
        return FALSE;
    }

    // Hands a WM_COMMAND to the first matching row of `routes`; false when none matches.
    template <class D, std::size_t N>
    static bool routeCommand(D& self, const CommandRoute<D> (&routes)[N], WPARAM wParam, LPARAM lParam) {
        const Command command{LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)};
        for (const CommandRoute<D>& row : routes) {
            if (command.id < row.firstId || command.id > row.lastId) continue;
            if (row.notification != kAnyNotification && row.notification != command.notification) continue;
            (self.*row.handler)(command);
            return true;
        }
        return false;
    }

    // Set when the window is created, cleared when it is gone.
    HWND window_ = nullptr;

private:
    // The look's messages, then `dispatch`.
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR paint();

    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace sumwise
