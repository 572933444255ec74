// The main dialog's compare side: the compare box and its result, the
// Browse button, and the hash files that fill the compare box.
#include <windows.h>

#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "results/compare.h"
#include "toolkit/look.h"

namespace sumwise {

void MainDialog::onCompareChanged(const Command&) {
    // A pasted line is checked against the input file's name; a text or a volume has none.
    const bool file = job_.fileMode && !job_.diskMode;
    results::compareResult(window_, results_, file ? std::wstring_view(job_.path) : std::wstring_view(),
                           taskbar_.get(), {matchIcon_, mismatchIcon_});
}

void MainDialog::refreshCompare() { SendMessageW(window_, WM_COMMAND, MAKEWPARAM(IDC_COMPARE, EN_CHANGE), 0); }

bool MainDialog::loadHashFile(const std::wstring& path) { return results::loadHashFile(window_, path, job_.path); }

void MainDialog::loadCompanionHashFile(bool force) {
    // Only a file has files beside it: a typed text or a volume has none.
    if (!job_.fileMode || job_.diskMode || job_.path.empty()) return;
    results::loadCompanionHashFile(window_, results_, job_.path, force);
}

void MainDialog::onBrowse(const Command&) {
    if (services_.ctrlDown && services_.ctrlDown()) {
        loadCompanionHashFile(true);
        return;
    }
    if (!services_.chooseFileToOpen) return;
    const std::optional<std::wstring> chosen = services_.chooseFileToOpen(window_);
    if (!chosen || chosen->empty()) return;
    if (loadHashFile(*chosen)) return;  // a hash file fills the compare box; the input stays
    const std::wstring current = look::controlText(window_, IDC_INPUT);
    if (CompareStringOrdinal(current.c_str(), static_cast<int>(current.size()), chosen->c_str(),
                             static_cast<int>(chosen->size()), TRUE) == CSTR_EQUAL) {
        return;
    }
    setInput(*chosen);
    showSizeLabel();
    loadCompanionHashFile(false);
}

}  // namespace sumwise
