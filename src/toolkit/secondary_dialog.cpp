#include "toolkit/secondary_dialog.h"

#include <vector>

#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise {

void SecondaryDialog::setTexts(UINT titleId, std::initializer_list<std::pair<int, UINT>> texts) {
    SetWindowTextW(window_, loadText(titleId).c_str());
    for (const auto& [id, stringId] : texts) look::setControlText(window_, id, loadText(stringId));
}

void SecondaryDialog::applyLook(int headingId, std::initializer_list<int> buttonsRightmostFirst) {
    headingId_ = headingId;
    const LOGFONTW message = look::messageFont(window_);
    look::setControlFont(window_, headingId, &message, 10, false, false);
    headingColour_ = look::headingColour(window_);
    const std::vector<int> buttons(buttonsRightmostFirst);
    look::fitButtonRow(window_, buttons.data(), static_cast<int>(buttons.size()));
}

INT_PTR SecondaryDialog::onCtlColorDialog(WPARAM, LPARAM) {
    return reinterpret_cast<INT_PTR>(look::backgroundBrush());
}

INT_PTR SecondaryDialog::onCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const bool heading = headingId_ != 0 && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == headingId_;
    return reinterpret_cast<INT_PTR>(look::staticColours(dc, heading ? headingColour_ : GetSysColor(COLOR_WINDOWTEXT)));
}

INT_PTR SecondaryDialog::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window_, &paint);
    if (dc != nullptr) look::paintFooterBand(window_, dc);
    EndPaint(window_, &paint);
    return TRUE;
}

}  // namespace sumwise
