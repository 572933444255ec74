#include "results/results_list.h"

#include <commctrl.h>

#include <vector>

#include "algorithms/algorithm_table.h"

namespace sumwise::results {

namespace {

std::wstring itemText(HWND list, int row, int column, std::size_t capacity) {
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::wstring(buffer.data(), static_cast<std::size_t>(std::max<LRESULT>(0, length)));
}

}  // namespace

int rowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring rowName(HWND list, int row) { return itemText(list, row, 0, 31); }

std::wstring rowValue(HWND list, int row) { return itemText(list, row, 1, kMaxValueCharacters); }

void setRowValue(HWND list, int row, const std::wstring& value) {
    LVITEMW item{};
    item.iSubItem = 1;
    std::wstring bounded = value.substr(0, kMaxValueCharacters);
    item.pszText = bounded.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
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

int addRow(HWND list, std::wstring_view name, bool ticked) {
    std::wstring text(name);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = rowCount(list);
    item.pszText = text.data();
    const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0) setRowTicked(list, row, ticked);
    return row;
}

void deleteRow(HWND list, int row) { SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0); }

int rowForName(HWND list, std::wstring_view name) {
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) {
        const std::wstring rowText = rowName(list, row);
        if (CompareStringOrdinal(rowText.c_str(), static_cast<int>(rowText.size()), name.data(),
                                 static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
            return row;
        }
    }
    return -1;
}

int rowForFlag(HWND list, AlgorithmMask flag) {
    const AlgorithmEntry* entry = algorithmForFlag(flag);
    return entry ? rowForName(list, entry->wideName()) : -1;
}

AlgorithmMask tickedMaskFromRows(HWND list, AlgorithmMask mask) {
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) {
        const AlgorithmEntry* entry = algorithmNamed(std::wstring_view(rowName(list, row)));
        if (entry == nullptr) continue;
        if (rowTicked(list, row)) {
            mask |= entry->flag();
        } else {
            mask &= ~entry->flag();
        }
    }
    return mask;
}

void clearValues(HWND list) {
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) setRowValue(list, row, L"");
}

std::wstring recased(std::wstring text, bool upperCase) {
    for (wchar_t& c : text) {
        if (c > 64) c = upperCase ? static_cast<wchar_t>(c & ~0x20) : static_cast<wchar_t>(c | 0x20);
    }
    return text;
}

void recaseValues(HWND list, bool upperCase) {
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) {
        const std::wstring value = rowValue(list, row);
        if (!value.empty()) setRowValue(list, row, recased(value, upperCase));
    }
}

int countResults(HWND list) {
    int results = 0;
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) results += rowValue(list, row).empty() ? 0 : 1;
    return results;
}

int nextSelectedResult(HWND list, int row) {
    for (;;) {
        row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0 || row >= rowCount(list)) return -1;
        if (!rowValue(list, row).empty()) return row;
    }
}

}  // namespace sumwise::results
