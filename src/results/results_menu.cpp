#include "results/results_menu.h"

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "algorithms/algorithm_table.h"
#include "results/copy_results.h"
#include "results/results_list.h"
#include "results/save_results.h"
#include "results/save_sums.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise::results {

namespace {

bool fileInput(const ResultsHost& host) { return host.job.fileMode && !host.job.diskMode; }

// The algorithm of the first selected row, or null when none is selected.
const AlgorithmEntry* firstSelectedAlgorithm(HWND list) {
    const int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const std::size_t algorithm = algorithmOfRow(list, row);
    return algorithm < kAlgorithmCount ? &algorithms()[algorithm] : nullptr;
}

ParameterKind parametersOf(const AlgorithmEntry* algorithm) {
    return algorithm ? algorithm->parameters : ParameterKind::None;
}

void setEveryRowState(HWND list, UINT mask, UINT state) {
    // Row by row: the list refuses to give the focus to all rows at once.
    const int count = rowCount(list);
    for (int row = 0; row < count; ++row) {
        LVITEMW item{};
        item.stateMask = mask;
        item.state = state;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
}

struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

void insertAtTop(HMENU menu, UINT command, UINT stringId, bool enabled) {
    const std::wstring text = loadText(stringId);
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), command, text.c_str());
}

Menu buildMenu(const ResultsHost& host) {
    Menu menu(CreatePopupMenu());
    if (!menu) return menu;
    const bool selectedResult = nextSelectedResult(host.list, host.model, -1) >= 0;
    const bool anyResult = valueCount(host.model) > 0;
    // Inserted bottom first, each at the top.
    insertAtTop(menu.get(), kSaveSumsCommand, IDS_MENU_SAVE_SUMS, fileInput(host) && anyResult);
    insertAtTop(menu.get(), kSaveAllCommand, IDS_MENU_SAVE_ALL, fileInput(host) && anyResult);
    insertAtTop(menu.get(), kSaveAsCommand, IDS_MENU_SAVE_AS, selectedResult);
    insertAtTop(menu.get(), kSaveCommand, IDS_MENU_SAVE, fileInput(host) && selectedResult);
    insertAtTop(menu.get(), kCopyToCompareCommand, IDS_MENU_COPY_TO_COMPARE, selectedResult);
    insertAtTop(menu.get(), kCopyAllCommand, IDS_MENU_COPY_ALL, anyResult);
    insertAtTop(menu.get(), kCopyCommand, IDS_MENU_COPY, selectedResult);
    InsertMenuW(menu.get(), 3, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    if (parametersOf(firstSelectedAlgorithm(host.list)) != ParameterKind::None) {
        // A job under way keeps the parameters it started with: no new ones meanwhile.
        InsertMenuW(menu.get(), 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        insertAtTop(menu.get(), kSetParametersCommand, IDS_SET_PARAMETERS, !host.jobActive);
    }
    return menu;
}

// Stores what a parameters dialog chose; false when it chose nothing new.
template <class Params>
bool take(const std::optional<Params>& chosen, Params& params) {
    if (!chosen) return false;
    params = *chosen;
    return true;
}

void setParameters(const ResultsHost& host) {
    if (host.jobActive) return;
    const AlgorithmEntry* algorithm = firstSelectedAlgorithm(host.list);
    const ParameterKind parameters = parametersOf(algorithm);
    AlgorithmParams& params = host.model.params;
    bool changed = false;
    if (parameters == ParameterKind::Md6 && host.services.setMd6Parameters) {
        changed = take(host.services.setMd6Parameters(host.dialog, params.md6), params.md6);
    } else if (parameters == ParameterKind::Haval && host.services.setHavalParameters) {
        changed = take(host.services.setHavalParameters(host.dialog, params.haval), params.haval);
    }
    if (!changed) return;
    // The value was made with the old parameters; the row keeps its name and tick.
    host.model[algorithm->index()].value.clear();
    showValue(host.list, host.model, algorithm->index());
    // The row lost its value: the comparison may no longer hold.
    SendMessageW(host.dialog, WM_COMMAND, MAKEWPARAM(IDC_COMPARE, EN_CHANGE), 0);
}

}  // namespace

void onListKey(const ResultsHost& host, WORD key) {
    const bool ctrl = host.services.ctrlDown && host.services.ctrlDown();
    switch (key) {
    case 'A':
        if (ctrl) {
            setEveryRowState(host.list, LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED,
                             LVIS_SELECTED | LVIS_FOCUSED);
        }
        break;
    case 'C':
        if (ctrl) {
            copyResults(host, false, false);
        } else {
            setEveryRowState(host.list, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
        }
        break;
    case 'S':
    case 'G':
        if (!ctrl) {
            setEveryRowState(host.list, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
        } else if (fileInput(host)) {
            saveSelected(host);
        }
        break;
    default: break;
    }
}

void showContextMenu(const ResultsHost& host, POINT at) {
    const Menu menu = buildMenu(host);
    if (!menu || !host.services.choosePopupCommand) return;
    const UINT command = host.services.choosePopupCommand(host.dialog, menu.get(), at);
    runCommand(host, command);
}

void runCommand(const ResultsHost& host, UINT command) {
    switch (command) {
    case kSetParametersCommand: setParameters(host); break;
    case kCopyCommand: copyResults(host, false, false); break;
    case kCopyAllCommand: copyResults(host, true, false); break;
    case kCopyToCompareCommand: copyResults(host, false, true); break;
    case kSaveCommand:
        if (fileInput(host)) saveSelected(host);
        break;
    case kSaveAsCommand:
        for (int row = nextSelectedResult(host.list, host.model, -1); row >= 0;
             row = nextSelectedResult(host.list, host.model, row)) {
            saveResultAs(host, algorithmOfRow(host.list, row));
        }
        break;
    case kSaveAllCommand:
        if (fileInput(host)) saveAll(host);
        break;
    case kSaveSumsCommand:
        if (fileInput(host)) saveAsSumsFiles(host);
        break;
    default: break;  // dismissed
    }
}

}  // namespace sumwise::results
