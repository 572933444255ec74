// The main dialog's layout: controls fitted to their translated texts, and
// the resize rules with the least size and a new monitor's DPI.
#include <windows.h>
#include <commctrl.h>

#include <array>

#include "app/job_title.h"
#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise {

namespace {

// How each control follows the window: fixed left, top, width, height.
enum Anchor : unsigned { kLeft = 1, kTop = 2, kWidth = 4, kHeight = 8 };

struct Resizable {
    int id;
    unsigned fixed;
};

constexpr std::array<Resizable, 19> kResizable{{
    {IDC_RESULTS, kLeft | kTop},
    {IDC_FUNCTIONS_GROUP, kLeft | kHeight},
    {IDC_PROGRESS, kLeft | kHeight},
    {IDC_INPUT_GROUP, kLeft | kHeight},
    {IDC_INPUT, kLeft | kHeight},
    {IDC_DRIVES, kLeft | kHeight},
    {IDC_COMPARE_GROUP, kLeft | kHeight},
    {IDC_COMPARE, kLeft | kHeight},
    {IDC_SHOW_ALL, kLeft | kWidth | kHeight},
    {IDC_SMALL_CAPS, kLeft | kWidth | kHeight},
    {IDC_TEXT_MODE, kLeft | kWidth | kHeight},
    {IDC_DISK_MODE, kLeft | kWidth | kHeight},
    {IDC_COMPARE_LABEL, kLeft | kWidth | kHeight},
    {IDC_COMPARE_MATCH, kLeft | kHeight},
    {IDC_COMPARE_NEGATIVE, kLeft | kHeight},
    {IDC_ABOUT, kLeft | kWidth | kHeight},
    {IDC_HASH, kWidth | kHeight},
    {IDC_BROWSE, kWidth | kHeight},
    {IDOK, kWidth | kHeight},
}};

}  // namespace

void MainDialog::fitControlsToTexts() {
    // The option check boxes in two columns, each as wide as its text; the
    // second column starts where both first-column texts have ended.
    const LanguageId language = uiLanguage();
    int secondColumn = look::scaled(window_, primaryLanguage(language) == primaryLanguage(kGerman)      ? 160
                                             : primaryLanguage(language) == primaryLanguage(kSlovenian) ? 145
                                                                                                         : 170);
    const int gap = look::scaled(window_, 12);
    secondColumn = look::placeCheckBox(window_, IDC_SHOW_ALL, 0, secondColumn, gap);
    secondColumn = look::placeCheckBox(window_, IDC_TEXT_MODE, 0, secondColumn, gap);
    look::placeCheckBox(window_, IDC_SMALL_CAPS, secondColumn, 0, 0);
    look::placeCheckBox(window_, IDC_DISK_MODE, secondColumn, 0, 0);

    // The right-hand buttons share one width: the widest of their texts.
    int buttonText = 0;
    for (UINT id = IDS_OK; id <= IDS_BROWSE; ++id) buttonText = std::max(buttonText, look::stringTextWidth(window_, id));
    const int buttonWidth = std::max(buttonText + look::scaled(window_, 20), look::scaled(window_, 70));
    for (int id : {IDC_HASH, IDC_BROWSE, IDOK}) {
        const RECT rect = look::controlRect(window_, id);
        look::moveControl(window_, id, rect.right - buttonWidth, rect.top, buttonWidth, rect.bottom - rect.top);
    }
    const RECT about = look::controlRect(window_, IDC_ABOUT);
    look::moveControl(window_, IDC_ABOUT, about.left, about.top,
                      std::max(look::controlTextWidth(window_, IDC_ABOUT) + look::scaled(window_, 20),
                               look::scaled(window_, 70)),
                      about.bottom - about.top);

    // The compare result: its label, and beside it a name or NEGATIVE.
    const RECT label = look::controlRect(window_, IDC_COMPARE_LABEL);
    const int labelWidth = look::stringTextWidth(window_, IDS_COMPARE_RESULT);
    const int height = label.bottom - label.top;
    look::moveControl(window_, IDC_COMPARE_LABEL, label.left, label.top, labelWidth, height);
    const int resultLeft = label.left + labelWidth + look::scaled(window_, 5);
    // Up to the compare box's right edge, for the note on a pasted line of another file; never
    // narrower than NEGATIVE or the widest name, so neither is clipped.
    int resultWidth = std::max(static_cast<int>(look::controlRect(window_, IDC_COMPARE).right) - resultLeft,
                               look::stringTextWidth(window_, IDS_NEGATIVE));
    for (const AlgorithmEntry& entry : algorithms()) {
        resultWidth = std::max(resultWidth, look::textWidth(window_, entry.wideName()));
    }
    look::moveControl(window_, IDC_COMPARE_NEGATIVE, resultLeft, label.top, resultWidth, height);
    look::moveControl(window_, IDC_COMPARE_MATCH, resultLeft, label.top, resultWidth, height);
    ShowWindow(item(IDC_COMPARE_MATCH), SW_HIDE);
    ShowWindow(item(IDC_COMPARE_NEGATIVE), SW_HIDE);
}

void MainDialog::captureLayout() {
    static_assert(std::tuple_size_v<decltype(Layout::rects)> == kResizable.size());
    layout_ = std::make_unique<Layout>();
    RECT client{};
    GetClientRect(window_, &client);
    layout_->client = {client.right, client.bottom};
    RECT frame{};
    GetWindowRect(window_, &frame);
    layout_->window = {frame.right - frame.left, frame.bottom - frame.top};
    for (std::size_t i = 0; i < kResizable.size(); ++i) layout_->rects[i] = look::controlRect(window_, kResizable[i].id);
}

void MainDialog::relayout() {
    if (!layout_) return;
    RECT client{};
    GetClientRect(window_, &client);
    const int dx = client.right - layout_->client.cx;
    const int dy = client.bottom - layout_->client.cy;
    HDWP batch = BeginDeferWindowPos(static_cast<int>(kResizable.size()));
    for (std::size_t i = 0; i < kResizable.size() && batch != nullptr; ++i) {
        const RECT& r = layout_->rects[i];
        const unsigned fixed = kResizable[i].fixed;
        const int left = r.left + ((fixed & kLeft) ? 0 : dx);
        const int top = r.top + ((fixed & kTop) ? 0 : dy);
        const int width = (r.right - r.left) + ((fixed & kWidth) ? 0 : dx);
        const int height = (r.bottom - r.top) + ((fixed & kHeight) ? 0 : dy);
        batch = DeferWindowPos(batch, item(kResizable[i].id), nullptr, left, top, width, height,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch != nullptr) EndDeferWindowPos(batch);
    // Everything moved is drawn anew at its place (some systems leave moved controls blank until hovered).
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (layout_->valueColumn == 0) {
        layout_->valueColumn = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, 1, 0));
    }
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 1, std::max(layout_->valueColumn + dx, look::scaled(window_, 40)));
}

INT_PTR MainDialog::onSizing(WPARAM wParam, LPARAM lParam) {
    auto* rect = reinterpret_cast<RECT*>(lParam);
    if (!layout_ || rect == nullptr) return FALSE;
    // Never smaller than at the start.
    look::keepAtLeast(wParam, *rect, layout_->window);
    return TRUE;
}

INT_PTR MainDialog::onGetMinMaxInfo(WPARAM, LPARAM lParam) {
    // The frame's own tracking stops at the start size (before the dialog
    // has one, the system's limits hold).
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (!layout_ || info == nullptr) return FALSE;
    info->ptMinTrackSize = {layout_->window.cx, layout_->window.cy};
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
    return TRUE;
}

INT_PTR MainDialog::onSize(WPARAM wParam, LPARAM) {
    if (wParam != SIZE_MINIMIZED) relayout();
    return TRUE;
}

INT_PTR MainDialog::onDpiChanged(WPARAM, LPARAM lParam) {
    // On another monitor's DPI: take the suggested size, fit the texts anew
    // in the rescaled font, and start the resize rules from there.
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    if (suggested != nullptr) {
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fitControlsToTexts();
    captureLayout();
    return TRUE;
}

}  // namespace sumwise
