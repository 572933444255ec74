// Runs one of the program's modal dialogs on a thread of its own, over a
// hidden owner window that holds a results list, so a test can find the
// dialog and drive it with window messages as the main dialog's user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app_harness.h"

namespace sumwise::test {

class ModalDialogHost {
public:
    // `open` runs on the host's thread with the owner and its list (filled
    // with `rows`) and returns when the dialog has ended.
    ModalDialogHost(std::vector<ListRow> rows, std::function<void(HWND owner, HWND list)> open);
    ~ModalDialogHost();
    ModalDialogHost(const ModalDialogHost&) = delete;
    ModalDialogHost& operator=(const ModalDialogHost&) = delete;

    // The dialog once it is visible, or null when none showed up.
    HWND dialog() const { return dialog_; }
    HWND control(int id) const { return GetDlgItem(dialog_, id); }
    std::wstring text(int id) const;
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    bool checked(int id) const { return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool readOnly(int id) const { return (GetWindowLongW(control(id), GWL_STYLE) & ES_READONLY) != 0; }

    void click(int id) { SendMessageW(control(id), BM_CLICK, 0, 0); }
    void setText(int id, const std::wstring& text);
    // Replaces an edit's text key by key, as typing over a selection does.
    void type(int id, const std::wstring& text);
    // Posts a message to the dialog (Esc, closing) and waits until the dialog has ended.
    bool endWith(UINT message, WPARAM wParam, LPARAM lParam);
    // Waits until `open` has returned; the rows as the list held them then.
    bool finished();
    const std::vector<ListRow>& rowsAfter() const { return rowsAfter_; }

private:
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<HWND> owner_{nullptr};
    std::atomic<bool> ended_{false};
    HWND dialog_ = nullptr;
    std::vector<ListRow> rowsAfter_;
};

}  // namespace sumwise::test
