// The harness's results-list side: reading, ticking, selecting and setting
// rows, and the mouse and keys on the list as a user works it.
#include "app_harness.h"

#include <commctrl.h>

#include <utility>
#include <cstring>

#include "app/application.h"
#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "results/list_tips.h"
#include "results/results_list.h"
#include "toolkit/look.h"

namespace sumwise {

// The test's way into the dialog's results model, on the dialog's thread.
class MainDialogTestAccess {
public:
    static void setValue(HWND window, std::size_t algorithm, const std::wstring& value) {
        auto& dialog = static_cast<MainDialog&>(*reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER)));
        sumwise::setValue(dialog.results_, algorithm, value);
        results::showValue(dialog.list_, dialog.results_, algorithm);
    }
};

}  // namespace sumwise

namespace sumwise::test {

namespace {

// A column's text as the list shows it.
std::wstring itemText(HWND list, int row, int column) {
    std::vector<wchar_t> buffer(256, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::wstring(buffer.data(), static_cast<std::size_t>(std::max<LRESULT>(0, length)));
}

// The row of the algorithm named `name`, found as the program finds it: by its table index.
int rowNamed(HWND list, const std::wstring& name) {
    const AlgorithmEntry* entry = algorithmNamed(std::wstring_view(name));
    return entry != nullptr ? results::rowOfAlgorithm(list, entry->index()) : -1;
}

}  // namespace

std::vector<ListRow> RunningApp::rows() const {
    const HWND list = control(IDC_RESULTS);
    std::vector<ListRow> result;
    for (int row = 0; row < results::rowCount(list); ++row) {
        result.push_back({itemText(list, row, 0), itemText(list, row, 1), results::rowTicked(list, row)});
    }
    return result;
}

std::wstring RunningApp::value(const std::wstring& name) const {
    for (const ListRow& row : rows()) {
        if (row.name == name) return row.value;
    }
    return L"<no row>";
}

void RunningApp::tick(const std::wstring& name, bool ticked) {
    const HWND list = control(IDC_RESULTS);
    const int row = rowNamed(list, name);
    if (row >= 0) results::setRowTicked(list, row, ticked);
}

void RunningApp::select(const std::vector<std::wstring>& names) {
    const HWND list = control(IDC_RESULTS);
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (const std::wstring& name : names) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(rowNamed(list, name)),
                     reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<std::wstring> RunningApp::selected() const {
    const HWND list = control(IDC_RESULTS);
    std::vector<std::wstring> names;
    for (int row = -1; (row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                             LVNI_SELECTED))) >= 0;) {
        names.push_back(itemText(list, row, 0));
    }
    return names;
}

void RunningApp::setValue(const std::wstring& name, const std::wstring& value) {
    const AlgorithmEntry* entry = algorithmNamed(std::wstring_view(name));
    if (entry == nullptr) return;
    const HWND window = dialog_;
    onDialogThread([&] { MainDialogTestAccess::setValue(window, entry->index(), value); });
}

void RunningApp::keyInList(WORD key) { SendMessageW(control(IDC_RESULTS), WM_KEYDOWN, key, 1); }

void RunningApp::postKeyInList(WORD key) {
    // The list's notification itself: a posted WM_KEYDOWN would also be translated into a
    // character, which the list takes for a search and selects the row it names.
    keyDown_ = {};
    keyDown_.hdr = {control(IDC_RESULTS), IDC_RESULTS, LVN_KEYDOWN};
    keyDown_.wVKey = key;
    PostMessageW(dialog_, WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&keyDown_));
}

std::vector<MenuEntry> RunningApp::rightClick(UINT choice) {
    std::size_t before = 0;
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        dialogs.menuChoice = choice;
        before = dialogs.menus.size();
    }
    NMITEMACTIVATE click{};
    click.hdr = {control(IDC_RESULTS), IDC_RESULTS, NM_RCLICK};
    click.iItem = -1;
    SendMessageW(dialog_, WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&click));
    std::lock_guard lock(RecordingTaskbar::mutex);
    return dialogs.menus.size() > before ? dialogs.menus.back() : std::vector<MenuEntry>{};
}

void RunningApp::postRightClick(UINT choice) {
    {
        std::lock_guard lock(RecordingTaskbar::mutex);
        dialogs.menuChoice = choice;
    }
    rightClick_ = {};
    rightClick_.hdr = {control(IDC_RESULTS), IDC_RESULTS, NM_RCLICK};
    rightClick_.iItem = -1;
    PostMessageW(dialog_, WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&rightClick_));
}

namespace {

// The middle of a row's value cell, in the list's client coordinates.
LPARAM valueCellPoint(HWND list, int row) {
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT cell{};
    cell.top = 1;
    cell.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
}

}  // namespace

std::wstring RunningApp::valueTip(const std::wstring& name) {
    const HWND list = control(IDC_RESULTS);
    const LPARAM at = valueCellPoint(list, rowNamed(list, name));
    // The pointer rests on the row: the system's hover, posted as it would come (no move: the
    // system would find the real pointer elsewhere and say it left).
    PostMessageW(list, WM_MOUSEHOVER, 0, at);
    settle();
    std::wstring tip;
    onDialogThread([&] { tip = results::shownValueTip(list); });
    // The pointer leaves: the tip goes.
    PostMessageW(list, WM_MOUSELEAVE, 0, 0);
    settle();
    std::wstring after;
    onDialogThread([&] { after = results::shownValueTip(list); });
    // A tip that stays after the pointer left is no tip the test can trust.
    return after.empty() ? tip : L"<stays: " + after + L">";
}

void RunningApp::doubleClick(const std::wstring& name) {
    const HWND list = control(IDC_RESULTS);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, valueCellPoint(list, rowNamed(list, name)));
    PostMessageW(list, WM_LBUTTONUP, 0, valueCellPoint(list, rowNamed(list, name)));
    settle();
}

}  // namespace sumwise::test
