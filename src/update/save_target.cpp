#include "update/save_target.h"

#include <commdlg.h>

#include <array>

#include "app/strings.h"
#include "resources/resource_ids.h"

namespace sumwise {

std::wstring chooseSaveTarget(HWND owner, const std::wstring& suggestedName, LanguageId language) {
    // "All files (*.*)" NUL "*.*" NUL NUL, within 64 characters.
    std::array<wchar_t, 64> filter{};
    const std::wstring label = (loadText(IDS_ALL_FILES, language) + L" (*.*)").substr(0, filter.size() - 7);
    label.copy(filter.data(), label.size());
    std::wstring(L"*.*").copy(filter.data() + label.size() + 1, 3);

    std::array<wchar_t, MAX_PATH> path{};
    suggestedName.substr(0, path.size() - 1).copy(path.data(), path.size() - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.data();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = L"exe";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) return {};
    return std::wstring(path.data());
}

}  // namespace sumwise
