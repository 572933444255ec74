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

COLORREF SecondaryDialog::staticTextColour(int controlId) const {
    if (headingId_ != 0 && controlId == headingId_) return headingColour_;
    return Dialog::staticTextColour(controlId);
}

}  // namespace sumwise
