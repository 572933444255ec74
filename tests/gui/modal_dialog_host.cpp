#include "modal_dialog_host.h"

#include <commctrl.h>

#include "toolkit/look.h"

namespace sumwise::test {

namespace {

HWND createResultsList(HWND owner) {
    const HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 400, 200, owner, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_SUBITEM;
    for (int i = 0; i < 2; ++i) {
        column.cx = 150;
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

// A row as a plain list holds it: name, value and check box.
void addRow(HWND list, const ListRow& row) {
    std::wstring name = row.name;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = name.data();
    const int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return;
    ListView_SetCheckState(list, index, row.ticked);
    ListView_SetItemText(list, index, 1, const_cast<wchar_t*>(row.value.c_str()));
}

ListRow readRow(HWND list, int index) {
    wchar_t name[64]{};
    wchar_t value[256]{};
    ListView_GetItemText(list, index, 0, name, 64);
    ListView_GetItemText(list, index, 1, value, 256);
    return {name, value, ListView_GetCheckState(list, index) != FALSE};
}

struct Search {
    HWND owner;
    HWND found;
};

BOOL CALLBACK findVisibleDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    wchar_t className[16]{};
    GetClassNameW(window, className, 16);
    if (window != search->owner && IsWindowVisible(window) && std::wstring_view(className) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ModalDialogHost::ModalDialogHost(std::vector<ListRow> rows, std::function<void(HWND, HWND)> open) {
    thread_ = std::thread([this, rows = std::move(rows), open = std::move(open)] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        const HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                           nullptr, GetModuleHandleW(nullptr), nullptr);
        const HWND list = createResultsList(owner);
        for (const ListRow& row : rows) addRow(list, row);
        owner_ = owner;
        threadId_ = GetCurrentThreadId();
        open(owner, list);
        const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) rowsAfter_.push_back(readRow(list, row));
        DestroyWindow(owner);
        ended_ = true;
    });
    waitFor([this] { return threadId_.load() != 0; });
    waitFor(
        [this] {
            Search search{owner_, nullptr};
            EnumThreadWindows(threadId_, findVisibleDialog, reinterpret_cast<LPARAM>(&search));
            dialog_ = search.found;
            return dialog_ != nullptr || ended_.load();
        },
        std::chrono::seconds(10));
}

ModalDialogHost::~ModalDialogHost() {
    if (!ended_ && dialog_ != nullptr) endWith(WM_COMMAND, IDCANCEL, 0);
    if (thread_.joinable()) thread_.join();
}

std::wstring ModalDialogHost::text(int id) const { return look::controlText(dialog_, id); }

void ModalDialogHost::setText(int id, const std::wstring& text) {
    SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ModalDialogHost::type(int id, const std::wstring& text) {
    SendMessageW(control(id), EM_SETSEL, 0, -1);
    if (text.empty()) SendMessageW(control(id), WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text) SendMessageW(control(id), WM_CHAR, c, 0);
}

bool ModalDialogHost::endWith(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(dialog_, message, wParam, lParam);
    return finished();
}

bool ModalDialogHost::finished() {
    const bool ended = waitFor([this] { return ended_.load(); }, std::chrono::seconds(10));
    if (ended && thread_.joinable()) thread_.join();
    return ended;
}

}  // namespace sumwise::test
