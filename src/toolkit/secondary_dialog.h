// What the dialogs opened over the main window share: a heading in the
// message font and the heading colour, a row of buttons fitted to their
// translated texts, the themed background with the band behind the buttons,
// and static-control colours.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>

#include "toolkit/dialog.h"

namespace sumwise {

class SecondaryDialog : public Dialog {
protected:
    SecondaryDialog() = default;

    // Sets the title and the given control texts from the string table.
    void setTexts(UINT titleId, std::initializer_list<std::pair<int, UINT>> texts);
    // The heading control in the 10-point message font and the heading colour;
    // the buttons (rightmost first) as wide as their texts need.
    void applyLook(int headingId, std::initializer_list<int> buttonsRightmostFirst);

    // The heading in the heading colour, every other static as the base has it.
    COLORREF staticTextColour(int controlId) const override;
    bool hasFooterBand() const override { return true; }

private:
    int headingId_ = 0;
    COLORREF headingColour_ = RGB(0, 51, 153);
};

}  // namespace sumwise
