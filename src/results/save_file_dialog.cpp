#include "results/save_file_dialog.h"

#include <commdlg.h>

#include <vector>

namespace sumwise {

std::optional<std::wstring> showSaveFileDialog(const SaveFileRequest& request) {
    // The dialog takes a proposal up to the classic path limit; beyond it, the
    // folder goes on its own and the field shows the bare name.
    std::wstring_view proposed = request.proposedName;
    std::wstring folder;
    const std::size_t slash = proposed.find_last_of(L"\\/");
    if (proposed.size() >= MAX_PATH && slash != std::wstring_view::npos) {
        if (slash < MAX_PATH) folder.assign(proposed.substr(0, slash));
        proposed.remove_prefix(slash + 1);
    }
    // Room for a chosen path at any length the file system allows.
    std::vector<wchar_t> file(32768, L'\0');
    proposed = proposed.substr(0, file.size() - 1);
    std::copy(proposed.begin(), proposed.end(), file.begin());

    const std::wstring filter = request.filter + L'\0';
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = request.owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    // The current folder stays: an input named relative to it must keep its meaning.
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetSaveFileNameW(&dialog) == FALSE) return std::nullopt;
    return std::wstring(file.data());
}

}  // namespace sumwise
