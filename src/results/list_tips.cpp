#include "results/list_tips.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <new>
#include <vector>

#include "jobs/results_model.h"
#include "resources/resource_ids.h"
#include "results/results_list.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise::results {

namespace {

constexpr UINT_PTR kSubclassId = 0x5357'5449;
// The list's own timers have small numbers.
constexpr UINT_PTR kShowNoticeTimer = 0x5357'0001;
constexpr UINT_PTR kHideNoticeTimer = 0x5357'0002;
constexpr UINT kNoticeMilliseconds = 4000;
// The list's tips are found by a property (the import library lacks GetWindowSubclass).
constexpr const wchar_t* kTipsProperty = L"Sumwise.ListTips";

struct Tip {
    HWND window = nullptr;
    std::wstring text;  // shown while not empty
};

struct ListTips {
    Tip value;
    Tip notice;
    int hoverRow = -1;
    std::vector<std::wstring> saved;  // names for the next notice
};

// The one tool of a tip: the whole list, placed by the program. The pointer
// goes through a tip to the list below it (the value tip lies over the
// value the pointer rests on; the list must not think the pointer left).
TTTOOLINFOW toolOf(HWND list) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    tool.hwnd = list;
    tool.uId = reinterpret_cast<UINT_PTR>(list);
    return tool;
}

HWND createTip(HWND list, DWORD style) {
    // Owned by no window: a popup the dialog owned would be moved with it and
    // keep "Always On Top" from taking effect (the tip puts itself on top when shown).
    const HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | style, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    if (tip == nullptr) return nullptr;
    TTTOOLINFOW tool = toolOf(list);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return tip;
}

void show(HWND list, Tip& tip, std::wstring text, POINT screen) {
    if (tip.window == nullptr || text.empty()) return;
    tip.text = std::move(text);
    TTTOOLINFOW tool = toolOf(list);
    tool.lpszText = tip.text.data();
    SendMessageW(tip.window, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip.window, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageW(tip.window, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void hide(HWND list, Tip& tip) {
    if (tip.window == nullptr || tip.text.empty()) return;
    TTTOOLINFOW tool = toolOf(list);
    SendMessageW(tip.window, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    tip.text.clear();
}

int rowAt(HWND list, POINT at) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return (hit.flags & LVHT_ONITEM) != 0 ? hit.iItem : -1;
}

// Over the value's own cell, so that the whole value covers the cut one.
void showValueTip(HWND list, ListTips& tips, int row) {
    std::wstring text = valueTipText(list, row);
    if (text.empty()) return;
    RECT cell{};
    cell.top = 1;  // the value column
    cell.left = LVIR_LABEL;
    if (!SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell))) return;
    POINT at{cell.left, cell.top};
    ClientToScreen(list, &at);
    show(list, tips.value, std::move(text), at);
}

void showNotice(HWND list, ListTips& tips) {
    if (tips.saved.empty()) return;
    std::wstring names;
    for (const std::wstring& name : tips.saved) names += (names.empty() ? L"" : L", ") + name;
    tips.saved.clear();
    hide(list, tips.value);
    hide(list, tips.notice);
    RECT client{};
    GetClientRect(list, &client);
    POINT at{(client.left + client.right) / 2, client.bottom - look::scaled(list, 8)};
    ClientToScreen(list, &at);
    show(list, tips.notice, loadFormatted(IDS_SAVED_FILES, {std::wstring_view(names)}), at);
    SetTimer(list, kHideNoticeTimer, kNoticeMilliseconds, nullptr);
}

LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto& tips = *reinterpret_cast<ListTips*>(data);
    switch (message) {
    case WM_MOUSEMOVE: {
        // A tip belongs to the row it was shown for.
        const int row = rowAt(list, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (row != tips.hoverRow) {
            hide(list, tips.value);
            tips.hoverRow = row;
        }
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, list, HOVER_DEFAULT};
        TrackMouseEvent(&track);
        break;
    }
    case WM_MOUSEHOVER: {
        const int row = rowAt(list, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        tips.hoverRow = row;
        if (row >= 0 && tips.value.text.empty()) showValueTip(list, tips, row);
        break;
    }
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_KEYDOWN:
    case WM_KILLFOCUS:
        hide(list, tips.value);
        if (message == WM_MOUSELEAVE) tips.hoverRow = -1;
        break;
    case WM_TIMER:
        if (wParam == kShowNoticeTimer) {
            KillTimer(list, kShowNoticeTimer);
            showNotice(list, tips);
            return 0;
        }
        if (wParam == kHideNoticeTimer) {
            KillTimer(list, kHideNoticeTimer);
            hide(list, tips.notice);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemovePropW(list, kTipsProperty);
        RemoveWindowSubclass(list, listProc, kSubclassId);
        for (Tip* tip : {&tips.value, &tips.notice}) {
            if (tip->window != nullptr) DestroyWindow(tip->window);
        }
        delete &tips;
        return DefSubclassProc(list, message, wParam, lParam);
    default: break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

ListTips* tipsOf(HWND list) { return static_cast<ListTips*>(GetPropW(list, kTipsProperty)); }

// What the tip window itself holds, while it is shown.
std::wstring shownText(HWND list, const Tip& tip) {
    if (tip.window == nullptr || !IsWindowVisible(tip.window)) return {};
    std::vector<wchar_t> buffer(4096, L'\0');
    TTTOOLINFOW tool = toolOf(list);
    tool.lpszText = buffer.data();
    SendMessageW(tip.window, TTM_GETTEXTW, buffer.size() - 1, reinterpret_cast<LPARAM>(&tool));
    return buffer.data();
}

}  // namespace

void attachListTips(HWND list) {
    if (list == nullptr || tipsOf(list) != nullptr) return;
    auto* tips = new (std::nothrow) ListTips;
    if (tips == nullptr) return;
    tips->value.window = createTip(list, TTS_ALWAYSTIP);
    tips->notice.window = createTip(list, TTS_ALWAYSTIP | TTS_BALLOON);
    // Names of several files wrap; a value stays on one line.
    if (tips->notice.window != nullptr) SendMessageW(tips->notice.window, TTM_SETMAXTIPWIDTH, 0, look::scaled(list, 400));
    if (!SetPropW(list, kTipsProperty, tips) ||
        !SetWindowSubclass(list, listProc, kSubclassId, reinterpret_cast<DWORD_PTR>(tips))) {
        RemovePropW(list, kTipsProperty);
        for (Tip* tip : {&tips->value, &tips->notice}) {
            if (tip->window != nullptr) DestroyWindow(tip->window);
        }
        delete tips;
    }
}

// The value as the row shows it: the tip only shows it whole.
static std::wstring shownValue(HWND list, int row) {
    std::wstring text(kMaxValueCharacters + 1, L'\0');
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
    return text;
}

std::wstring valueTipText(HWND list, int row) {
    if (row < 0) return {};
    std::wstring value = shownValue(list, row);
    if (value.empty()) return {};
    // The list leaves a margin on either side of a value.
    const int needed =
        static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(value.c_str()))) +
        look::scaled(list, 12);
    const int column = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));
    return needed <= column ? std::wstring() : value;
}

void noteSavedFile(HWND list, const std::wstring& path) {
    ListTips* tips = tipsOf(list);
    if (tips == nullptr) return;
    const std::size_t slash = path.find_last_of(L"\\/");
    tips->saved.push_back(slash == std::wstring::npos ? path : path.substr(slash + 1));
    // A timer comes only when the queue is empty: after the command has saved every file.
    SetTimer(list, kShowNoticeTimer, USER_TIMER_MINIMUM, nullptr);
}

std::wstring shownValueTip(HWND list) {
    const ListTips* tips = tipsOf(list);
    return tips != nullptr ? shownText(list, tips->value) : std::wstring();
}

std::wstring shownSaveNotice(HWND list) {
    const ListTips* tips = tipsOf(list);
    return tips != nullptr ? shownText(list, tips->notice) : std::wstring();
}

}  // namespace sumwise::results
