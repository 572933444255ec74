// The main dialog's side of the results list: its notifications handed to
// the results commands, and the context menu from the keyboard.
#include <windows.h>
#include <commctrl.h>

#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "results/copy_results.h"
#include "results/results_menu.h"

namespace sumwise {

results::ResultsHost MainDialog::resultsHost() {
    return {window_, list_, job_, services_, driver_ && driver_->state() != JobState::Idle};
}

INT_PTR MainDialog::onListNotify(const NMHDR& header, LPARAM lParam) {
    switch (header.code) {
    case LVN_KEYDOWN: results::onListKey(resultsHost(), reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey); break;
    case NM_RCLICK: {
        POINT at{};
        GetCursorPos(&at);
        results::showContextMenu(resultsHost(), at);
        return reply(TRUE);  // handled: no second menu through WM_CONTEXTMENU
    }
    case NM_DBLCLK: results::copyRowValue(resultsHost(), reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem); break;
    default: break;
    }
    return reply(0);
}

INT_PTR MainDialog::onContextMenu(WPARAM wParam, LPARAM lParam) {
    // Only the menu key or Shift+F10 in the list come here (a right click is NM_RCLICK).
    if (reinterpret_cast<HWND>(wParam) != list_ || static_cast<DWORD>(lParam) != 0xFFFFFFFF) return FALSE;
    POINT at{0, 0};
    const int focused = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    RECT row{};
    row.left = LVIR_LABEL;
    if (focused >= 0 && SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&row))) {
        at = {row.left, row.bottom};
    }
    ClientToScreen(list_, &at);
    results::showContextMenu(resultsHost(), at);
    return TRUE;
}

}  // namespace sumwise
