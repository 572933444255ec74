// The main dialog's side of the results: the list's columns, its ticks taken
// into the results model, the values the job posts, Show all and small
// letters, and the list's keys, context menu and value tips handed to the
// results commands.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "results/results_list.h"
#include "results/copy_results.h"
#include "results/list_tips.h"
#include "results/results_menu.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise {

void MainDialog::setUpResultsList() {
    // No list info tip: the list tips show a cut value (also where the list gives no info tips).
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    results::attachListTips(list_);

    int nameWidth = 0;
    for (const AlgorithmEntry& entry : algorithms()) {
        nameWidth = std::max(nameWidth, look::textWidth(window_, entry.wideName().substr(0, 16)));
    }
    const int nameColumn = nameWidth + 2 * look::systemMetric(window_, SM_CXMENUCHECK) +
                           (look::themesActive() ? 0 : look::scaled(window_, 5));
    RECT listRect{};
    GetClientRect(list_, &listRect);
    const int valueColumn = listRect.right - nameColumn - look::systemMetric(window_, SM_CXVSCROLL);

    std::wstring nameHeader = loadText(IDS_COLUMN_NAME);
    std::wstring valueHeader = loadText(IDS_COLUMN_VALUE);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = nameHeader.data();
    column.cx = nameColumn;
    column.iSubItem = 0;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = valueHeader.data();
    column.cx = std::max(valueColumn, look::scaled(window_, 40));
    column.iSubItem = 1;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
}

results::ResultsHost MainDialog::resultsHost() {
    return {window_, list_, job_, results_, services_, jobActive()};
}

INT_PTR MainDialog::onNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr || header->idFrom != IDC_RESULTS) return FALSE;
    if (header->code != LVN_ITEMCHANGED) return onListNotify(*header, lParam);
    // Whatever changed (tick, selection, focus): the ticks decide the algorithms.
    const int row = reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem;
    if (row >= 0) {
        results::takeTick(list_, results_, row);
    } else {
        for (int each = results::rowCount(list_) - 1; each >= 0; --each) results::takeTick(list_, results_, each);
    }
    updateHashButton();
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
    return TRUE;
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

INT_PTR MainDialog::onShowResult(WPARAM wParam, LPARAM lParam) {
    const auto algorithm = static_cast<std::size_t>(wParam);
    const auto* text = reinterpret_cast<const std::wstring*>(lParam);
    // A job that started on another input: its value belongs to that one (the log still has it).
    if (jobInput_ != inputGeneration_ || text == nullptr || algorithm >= kAlgorithmCount) return TRUE;
    // An algorithm no longer shown keeps no value.
    setValue(results_, algorithm, recased(*text, job_.upperCase));
    results::showValue(list_, results_, algorithm);
    return TRUE;
}

void MainDialog::clearValues() {
    sumwise::clearValues(results_);
    results::showValues(list_, results_);
}

void MainDialog::onShowAll(const Command&) {
    if (checked(IDC_SHOW_ALL)) {
        for (const AlgorithmEntry& entry : algorithms()) results::showAlgorithm(list_, results_, entry.index(), false);
    } else {
        for (int row = results::rowCount(list_) - 1; row >= 0; --row) {
            if (!results::rowTicked(list_, row)) results::hideRow(list_, results_, row);
        }
    }
}

void MainDialog::onSmallCaps(const Command&) {
    job_.upperCase = !checked(IDC_SMALL_CAPS);
    recaseValues(results_, job_.upperCase);
    results::showValues(list_, results_);
}

}  // namespace sumwise
