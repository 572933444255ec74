#include "update/save_target.h"

#include "resources/resource_ids.h"
#include "results/save_file_dialog.h"
#include "toolkit/strings.h"

namespace sumwise {

std::wstring chooseSaveTarget(HWND owner, const std::wstring& suggestedName, LanguageId language) {
    SaveFileRequest request;
    request.owner = owner;
    request.filter = loadText(IDS_ALL_FILES, language) + L" (*.*)" + L'\0' + L"*.*" + L'\0';
    request.proposedName = suggestedName;
    request.defaultExtension = L"exe";
    return showSaveFileDialog(request).value_or(std::wstring());
}

}  // namespace sumwise
