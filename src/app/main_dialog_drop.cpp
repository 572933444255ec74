// The main dialog as a drop target: a dragged data file becomes the input,
// a dragged hash file fills the compare box, a dragged sums file naming
// several files opens the check window.
#include <windows.h>

#include <utility>

#include "app/check_dialog.h"
#include "app/main_dialog.h"
#include "inputs/drop_target.h"
#include "results/compare.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"

namespace sumwise {

namespace {

bool sameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

void MainDialog::registerDropTarget() {
    IDropTargetHelper* dragImages = services_.makeDragImages ? services_.makeDragImages() : shellDragImages();
    dropTarget_ = FileDropTarget::create([this](const std::wstring& path) { onFileDropped(path); }, dragImages);
    if (dropTarget_ == nullptr) return;
    if (!dropTarget_->oleReady()) {
        revokeDropTarget();
        return;
    }
    // During a job only a hash file does something (it fills the compare box).
    dropTarget_->setFileFilter([this](const std::wstring& path) { return !jobActive() || results::isHashFile(path); });
    const std::wstring apply = formatText(L"%s %%1", {std::wstring_view(loadText(IDS_DROP_APPLY))});
    const std::wstring compare = formatText(L"%s %%1", {std::wstring_view(loadText(IDS_DROP_COMPARE))});
    const std::wstring oneFile = loadText(IDS_DROP_ONE_FILE);
    if (dropTarget_->registerTarget(window_, {apply, compare, oneFile, oneFile}, services_.dropTargetWithSystem) &&
        services_.dropTargetRegistered) {
        services_.dropTargetRegistered(dropTarget_);
    }
}

void MainDialog::revokeDropTarget() {
    if (dropTarget_ == nullptr) return;
    dropTarget_->revokeTarget();
    dropTarget_->Release();
    dropTarget_ = nullptr;
}

void MainDialog::onFileDropped(const std::wstring& path) {
    // A sums file naming several files opens the check window over this one.
    // The drag's source waits for the drop to return, so the window opens afterwards.
    if (namesSeveralFiles(path)) {
        droppedSums_ = path;
        PostMessageW(window_, kOpenCheckMessage, 0, 0);
        return;
    }
    if (loadHashFile(path)) return;  // a hash file fills the compare box; the input stays
    // A job reads the input it started on: that stays until the job ends.
    if (jobActive()) return;
    if (sameText(look::controlText(window_, IDC_INPUT), path)) return;
    job_.fileMode = true;
    job_.diskMode = false;
    setChecked(IDC_TEXT_MODE, false);
    onTextMode(kNoCommand);
    setChecked(IDC_DISK_MODE, false);
    onDiskMode(kNoCommand);
    setInput(path);
    showSizeLabel();
    loadCompanionHashFile(false);
}

INT_PTR MainDialog::onOpenCheck(WPARAM, LPARAM) {
    const std::wstring path = std::exchange(droppedSums_, std::wstring());
    if (!path.empty() && CheckDialog::canCheck(path, window_)) {
        CheckDialog(path, services_).run(GetModuleHandleW(nullptr), window_);
    }
    return TRUE;
}

}  // namespace sumwise
