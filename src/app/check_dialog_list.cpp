// The check window's list (virtual: the rows live in CheckRun), its colours,
// its menu, and the window's resizing.
#include "app/check_dialog.h"

#include "app/check_text.h"
#include "app/input_failure_text.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "resources/resource_ids.h"

namespace sumwise {

namespace {

constexpr UINT kCopyDigest = 3;
constexpr UINT kOpenFolder = 4;

}  // namespace

std::wstring CheckDialog::statusText(const CheckRow& row) const {
    switch (row.status) {
        case LineStatus::Waiting: return loadText(IDS_CHECK_STATUS_WAITING);
        case LineStatus::Checking: return loadText(IDS_CHECK_STATUS_CHECKING);
        case LineStatus::Ok: return loadText(IDS_CHECK_STATUS_OK);
        case LineStatus::Failed: return loadText(IDS_CHECK_STATUS_FAILED);
        case LineStatus::Missing: return loadText(IDS_CHECK_STATUS_MISSING);
        case LineStatus::Unreadable: {
            const std::wstring reason = systemReason(row.error);
            return loadFormatted(IDS_CHECK_STATUS_UNREADABLE, {std::wstring_view(reason)});
        }
        case LineStatus::BadLine: return loadText(IDS_CHECK_STATUS_BAD_LINE);
    }
    return {};
}

const CheckRow& CheckDialog::cachedRow(std::size_t index) const {
    if (index != cachedIndex_) {
        cachedRow_ = run_->row(index);
        cachedIndex_ = index;
    }
    return cachedRow_;
}

void CheckDialog::fillItem(NMLVDISPINFOW& info) const {
    if ((info.item.mask & LVIF_TEXT) == 0 || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
    const CheckRow& row = cachedRow(static_cast<std::size_t>(info.item.iItem));
    switch (info.item.iSubItem) {
        case 0: itemText_ = wideName(row.entry.name); break;
        case 1: itemText_ = row.entry.algorithm != nullptr ? std::wstring(row.entry.algorithm->wideName()) : L""; break;
        default: itemText_ = statusText(row); break;
    }
    lstrcpynW(info.item.pszText, itemText_.c_str(), info.item.cchTextMax);
}

LRESULT CheckDialog::customDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
            if (draw.iSubItem == 2) {
                const LineStatus status = cachedRow(static_cast<std::size_t>(draw.nmcd.dwItemSpec)).status;
                if (status == LineStatus::Failed || status == LineStatus::Unreadable) draw.clrText = errorColour_;
                if (status == LineStatus::Ok) draw.clrText = headingColour_;
            }
            return CDRF_NEWFONT;
        }
        default: return CDRF_DODEFAULT;
    }
}

INT_PTR CheckDialog::onNotify(WPARAM, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header == nullptr || header->hwndFrom != list_) return FALSE;
    switch (header->code) {
        case LVN_GETDISPINFOW: fillItem(*reinterpret_cast<NMLVDISPINFOW*>(lParam)); return TRUE;
        case NM_CUSTOMDRAW: return reply(customDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
        case NM_RCLICK: {
            const auto* click = reinterpret_cast<NMITEMACTIVATE*>(lParam);
            POINT at = click->ptAction;
            ClientToScreen(list_, &at);
            contextMenu(click->iItem, at);
            return TRUE;
        }
        default: return FALSE;
    }
}

void CheckDialog::contextMenu(int index, POINT at) {
    if (index < 0 || static_cast<std::size_t>(index) >= run_->rowCount()) return;
    const CheckRow row = run_->row(static_cast<std::size_t>(index));
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    // A bad line has no expected digest and names no file.
    const bool checked = row.entry.kind == SumsEntry::Kind::Check;
    const UINT state = checked ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | state, kCopyDigest, loadText(IDS_CHECK_COPY_DIGEST).c_str());
    AppendMenuW(menu, MF_STRING | state, kOpenFolder, loadText(IDS_CHECK_OPEN_FOLDER).c_str());
    const UINT chosen = services_.choosePopupCommand(window_, menu, at);
    DestroyMenu(menu);
    if (!checked) return;
    if (chosen == kCopyDigest) {
        copyToClipboard(window_, wideName(row.entry.digest));
    } else if (chosen == kOpenFolder) {
        const std::wstring path = std::filesystem::absolute(run_->pathOf(row)).make_preferred().wstring();
        if (services_.showInFolder) {
            services_.showInFolder(path);
        } else {
            showFileInFolder(path);
        }
    }
}

INT_PTR CheckDialog::onSizing(WPARAM wParam, LPARAM lParam) {
    auto* rect = reinterpret_cast<RECT*>(lParam);
    if (!layout_ || rect == nullptr) return FALSE;
    // Never smaller than at the start.
    look::keepAtLeast(wParam, *rect, layout_->window);
    return TRUE;
}

INT_PTR CheckDialog::onSize(WPARAM wParam, LPARAM lParam) {
    if (!layout_ || wParam == SIZE_MINIMIZED) return FALSE;
    const int dx = static_cast<int>(LOWORD(lParam)) - layout_->client.cx;
    const int dy = static_cast<int>(HIWORD(lParam)) - layout_->client.cy;
    auto moved = [dx, dy](RECT rect, bool right, bool down, bool wider, bool taller) {
        if (right) OffsetRect(&rect, dx, 0);
        if (down) OffsetRect(&rect, 0, dy);
        if (wider) rect.right += dx;
        if (taller) rect.bottom += dy;
        return rect;
    };
    const Layout& layout = *layout_;
    const RECT list = moved(layout.list, false, false, true, true);
    look::moveControl(window_, IDC_CHECK_LIST, list.left, list.top, list.right - list.left, list.bottom - list.top);
    const RECT summary = moved(layout.summary, false, true, true, false);
    look::moveControl(window_, IDC_CHECK_SUMMARY, summary.left, summary.top, summary.right - summary.left,
                      summary.bottom - summary.top);
    const RECT progress = moved(layout.progress, false, true, true, false);
    look::moveControl(window_, IDC_CHECK_PROGRESS, progress.left, progress.top, progress.right - progress.left,
                      progress.bottom - progress.top);
    const RECT speed = moved(layout.speed, true, true, false, false);
    look::moveControl(window_, IDC_CHECK_SPEED, speed.left, speed.top, speed.right - speed.left,
                      speed.bottom - speed.top);
    const int buttons[] = {IDCANCEL, IDC_CHECK_SAVE, IDC_CHECK_COPY, IDC_CHECK_AGAIN, IDC_CHECK_STOP};
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        const RECT button = moved(layout.buttons[i], true, true, false, false);
        look::moveControl(window_, buttons[i], button.left, button.top, button.right - button.left,
                          button.bottom - button.top);
    }
    InvalidateRect(window_, nullptr, TRUE);
    return TRUE;
}

INT_PTR CheckDialog::onDpiChanged(WPARAM, LPARAM lParam) {
    // Take the suggested size, fit the buttons anew in the rescaled font,
    // and start the resize rules from there.
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    layout_.reset();
    if (suggested != nullptr) {
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    setTexts();
    captureLayout();
    return TRUE;
}

}  // namespace sumwise
