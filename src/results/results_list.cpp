#include "results/results_list.h"

#include <commctrl.h>

namespace sumwise::results {

namespace {

void setItemText(HWND list, int row, int column, std::wstring text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

int rowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::size_t algorithmOfRow(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return kAlgorithmCount;
    const auto algorithm = static_cast<std::size_t>(item.lParam);
    return algorithm < kAlgorithmCount ? algorithm : kAlgorithmCount;
}

int rowOfAlgorithm(HWND list, std::size_t algorithm) {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(algorithm);
    return static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

std::vector<std::size_t> shownAlgorithms(HWND list) {
    std::vector<std::size_t> shown;
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) {
        const std::size_t algorithm = algorithmOfRow(list, row);
        if (algorithm < kAlgorithmCount) shown.push_back(algorithm);
    }
    return shown;
}

bool rowTicked(HWND list, int row) {
    const auto state = SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) != 1;
}

void setRowTicked(HWND list, int row, bool ticked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void showAlgorithm(HWND list, ResultsModel& model, std::size_t algorithm, bool ticked) {
    if (algorithm >= kAlgorithmCount || model[algorithm].shown) return;
    std::wstring name(algorithms()[algorithm].wideName());
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = rowCount(list);
    item.pszText = name.data();
    item.lParam = static_cast<LPARAM>(algorithm);
    const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    ResultRecord& record = model[algorithm];
    record.shown = true;
    record.ticked = ticked;
    record.value.clear();
    setRowTicked(list, row, ticked);
}

void hideRow(HWND list, ResultsModel& model, int row) {
    const std::size_t algorithm = algorithmOfRow(list, row);
    SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    if (algorithm < kAlgorithmCount) model[algorithm] = ResultRecord{};
}

void takeTick(HWND list, ResultsModel& model, int row) {
    const std::size_t algorithm = algorithmOfRow(list, row);
    if (algorithm < kAlgorithmCount) model[algorithm].ticked = rowTicked(list, row);
}

void showValue(HWND list, const ResultsModel& model, std::size_t algorithm) {
    if (algorithm >= kAlgorithmCount) return;
    const int row = rowOfAlgorithm(list, algorithm);
    if (row >= 0) setItemText(list, row, 1, model[algorithm].value);
}

void showValues(HWND list, const ResultsModel& model) {
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) {
        const std::size_t algorithm = algorithmOfRow(list, row);
        setItemText(list, row, 1, algorithm < kAlgorithmCount ? model[algorithm].value : std::wstring());
    }
}

int nextSelectedResult(HWND list, const ResultsModel& model, int row) {
    for (;;) {
        row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0 || row >= rowCount(list)) return -1;
        const std::size_t algorithm = algorithmOfRow(list, row);
        if (algorithm < kAlgorithmCount && !model[algorithm].value.empty()) return row;
    }
}

}  // namespace sumwise::results
