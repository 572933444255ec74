#include "results/copy_results.h"

#include <commctrl.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "resources/resource_ids.h"
#include "results/results_list.h"

namespace sumwise::results {

namespace {

// Another program may hold the clipboard for a moment.
bool openClipboard(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner) != FALSE) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void publish(HWND owner, const std::wstring& text) {
    if (!openClipboard(owner)) return;
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {
        if (void* memory = GlobalLock(block)) {
            std::memcpy(memory, text.c_str(), bytes);
            GlobalUnlock(block);
            EmptyClipboard();
            // From here on the clipboard owns the block.
            if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
        } else {
            GlobalFree(block);
        }
    }
    CloseClipboard();
}

}  // namespace

std::wstring clipboardLine(std::wstring_view name, std::wstring_view value) {
    std::wstring line;
    if (name.size() < 11) line.assign(11 - name.size(), L' ');
    line.append(name).append(L": ").append(value).append(L"\r\n");
    return line;
}

void copyResults(const ResultsHost& host, bool allRows, bool toCompare) {
    std::wstring text;
    int examined = 0;
    std::wstring lastValue;
    const int count = rowCount(host.list);
    int row = -1;
    for (;;) {
        row = allRows ? row + 1
                      : static_cast<int>(SendMessageW(host.list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                      LVNI_SELECTED));
        if (row < 0 || row >= count) break;
        ++examined;
        const std::size_t algorithm = algorithmOfRow(host.list, row);
        lastValue = algorithm < kAlgorithmCount ? host.model[algorithm].value : std::wstring();
        if (lastValue.empty()) continue;
        text += clipboardLine(algorithms()[algorithm].wideName(), lastValue);
        if (text.size() > kClipboardCharacters) text.resize(kClipboardCharacters);
    }
    if (text.empty()) return;
    if (examined == 1) {
        const std::size_t colon = text.find(L": ");
        if (colon != std::wstring::npos) text.erase(0, colon + 2);
    }
    publish(host.dialog, text);
    if (toCompare && !allRows) SetDlgItemTextW(host.dialog, IDC_COMPARE, lastValue.c_str());
}

void copyRowValue(const ResultsHost& host, int row) {
    if (row < 0 || row >= rowCount(host.list)) return;
    const std::size_t algorithm = algorithmOfRow(host.list, row);
    if (algorithm >= kAlgorithmCount) return;
    const std::wstring& value = host.model[algorithm].value;
    if (!value.empty()) publish(host.dialog, value + L"\r\n");
}

}  // namespace sumwise::results
