// The main dialog as a drop target: a dragged data file becomes the input,
// a dragged hash file fills the compare box.
#include <windows.h>

#include "app/look.h"
#include "app/main_dialog.h"
#include "app/strings.h"
#include "app/win32_text.h"
#include "inputs/drop_target.h"
#include "jobs/input_source.h"
#include "resources/resource_ids.h"
#include "results/hash_file.h"
#include "results/results_list.h"

namespace sumwise {

namespace {

bool sameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The value a hash file stands for, or none when it cannot be read.
std::optional<std::wstring> hashFileText(const std::wstring& path) {
    const auto source = openInput(std::filesystem::path(path));
    if (!source) return std::nullopt;
    std::string bytes(kHashFileReadLimit, '\0');
    bytes.resize(source->read(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    const HashFileValue value = hashFileValue(bytes);
    if (value.encoding == TextEncoding::Ansi) return fromAnsi(value.text);
    std::wstring text(value.text.size(), L'\0');
    text.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, value.text.data(),
                                                             static_cast<int>(value.text.size()), text.data(),
                                                             static_cast<int>(text.size()))));
    return text;
}

// A file named like a hash file: its value goes into the compare box.
bool loadDroppedHashFile(HWND dialog, const std::wstring& path) {
    if (!isHashFileName(path)) return false;
    if (const auto value = hashFileText(path)) SetDlgItemTextW(dialog, IDC_COMPARE, value->c_str());
    return true;
}

// The hash file beside the input of the first ticked row that has one,
// when the compare box is still empty.
void loadCompanion(HWND dialog, HWND list, const std::wstring& input) {
    if (!look::controlText(dialog, IDC_COMPARE).empty()) return;
    for (int row = 0; row < results::rowCount(list); ++row) {
        if (!results::rowTicked(list, row)) continue;
        if (const auto value = hashFileText(input + L"." + results::rowName(list, row))) {
            SetDlgItemTextW(dialog, IDC_COMPARE, value->c_str());
            return;
        }
    }
}

}  // namespace

void MainDialog::registerDropTarget() {
    IDropTargetHelper* dragImages = services_.makeDragImages ? services_.makeDragImages() : shellDragImages();
    dropTarget_ = CSumwise::create([this](const std::wstring& path) { onFileDropped(path); }, dragImages);
    if (dropTarget_ == nullptr) return;
    if (!dropTarget_->oleReady()) {
        revokeDropTarget();
        return;
    }
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
    if (loadDroppedHashFile(window_, path)) return;
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
    loadCompanion(window_, list_, job_.path);
}

}  // namespace sumwise
