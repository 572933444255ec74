#include "results/save_file_dialog.h"

#include <commdlg.h>

#include <vector>

namespace sumwise {

namespace {

// The dialog's answer: a path, a cancel (none), or a refusal of the proposed name.
struct Answer {
    bool refused = false;
    std::optional<std::wstring> path;
};

Answer ask(const SaveFileRequest& request, std::wstring_view proposed) {
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
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (GetSaveFileNameW(&dialog) != FALSE) return {false, std::wstring(file.data())};
    return {CommDlgExtendedError() != 0, std::nullopt};
}

}  // namespace

std::optional<std::wstring> showSaveFileDialog(const SaveFileRequest& request) {
    const Answer answer = ask(request, request.proposedName);
    if (!answer.refused) return answer.path;
    // A proposal the dialog cannot show (a folder beyond its reach): offer the bare name.
    const std::size_t slash = request.proposedName.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::nullopt;
    return ask(request, std::wstring_view(request.proposedName).substr(slash + 1)).path;
}

}  // namespace sumwise
