#include "results/browse.h"

#include <commdlg.h>

#include <vector>

#include "resources/resource_ids.h"
#include "toolkit/strings.h"

namespace sumwise::results {

namespace {

// Room for the longest path Win32 knows (the extended form's limit).
constexpr std::size_t kChosenPathCharacters = 32768;
// The shell folder "This PC", which lists the drives.
constexpr const wchar_t* kComputerFolder = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

}  // namespace

std::optional<std::wstring> chooseFileToOpen(HWND owner) {
    // "All files (*.*)", then its pattern; each ends with a NUL and the list with another.
    const std::wstring allFiles = loadText(IDS_ALL_FILES);
    std::wstring filter = formatText(L"%s (*.*)", {std::wstring_view(allFiles)}, 63);
    filter.push_back(L'\0');
    filter += L"*.*";
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = loadText(IDS_CHOOSE_FILE);
    std::vector<wchar_t> chosen(kChosenPathCharacters, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrInitialDir = kComputerFolder;
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    chosen.back() = L'\0';
    return std::wstring(chosen.data());
}

}  // namespace sumwise::results
