// The HAVAL and MD6 parameters dialogs' look: their texts in every language,
// the fitted buttons and the colours of their static controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "modal_dialog_host.h"
#include "parameter_dialog_open.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise::test {
namespace {

// Switches the language the dialogs load their strings in, for one scope.
class LanguageScope {
public:
    explicit LanguageScope(LanguageId language) : previous_(uiLanguage()) { setUiLanguage(language); }
    ~LanguageScope() { setUiLanguage(previous_); }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    LanguageId previous_;
};

struct DialogTexts {
    Which which;
    UINT title;
    std::vector<std::pair<int, UINT>> controls;
    int heading;
};

// Every language: the translated texts, the heading in the 10-point message
// font, and the button row fitted to its texts without leaving the dialog.
TEST(ParameterDialogs, EveryLanguageShowsItsTextsInFittedButtons) {
    const DialogTexts dialogs[] = {
        {Which::Haval,
         IDS_HAVAL_TITLE,
         {{IDC_HAVAL_HEADING, IDS_HAVAL_HEADING}, {IDC_HAVAL_PASSES_GROUP, IDS_HAVAL_PASSES},
          {IDC_HAVAL_BITS_GROUP, IDS_HAVAL_BITS}, {IDOK, IDS_OK}, {IDCANCEL, IDS_CANCEL},
          {IDC_SET_DEFAULT, IDS_SET_DEFAULT}},
         IDC_HAVAL_HEADING},
        {Which::Md6,
         IDS_MD6_TITLE,
         {{IDC_MD6_HEADING, IDS_MD6_HEADING}, {IDC_MD6_D_CHECK, IDS_MD6_D}, {IDC_MD6_KEY_CHECK, IDS_MD6_KEY},
          {IDC_MD6_L_CHECK, IDS_MD6_L}, {IDC_MD6_R_CHECK, IDS_MD6_R}, {IDOK, IDS_OK}, {IDCANCEL, IDS_CANCEL},
          {IDC_SET_DEFAULT, IDS_SET_DEFAULT}},
         IDC_MD6_HEADING},
    };
    for (LanguageId language : kLanguages) {
        LanguageScope scope(language);
        for (const DialogTexts& expected : dialogs) {
            SCOPED_TRACE(testing::Message() << "language " << language << ", dialog " << expected.title);
            HavalParams haval;
            Md6Params md6Params;
            ModalDialogHost host(rowsWith(rowName(expected.which)),
                                 OpenDialog{expected.which, &haval, &md6Params, nullptr});
            const HWND dialog = host.dialog();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(look::windowText(dialog), loadText(expected.title, language));
            for (const auto& [id, stringId] : expected.controls) {
                EXPECT_EQ(host.text(id), loadText(stringId, language)) << id;
                EXPECT_FALSE(host.text(id).empty()) << id;
            }

            LOGFONTW heading{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(host.control(expected.heading), WM_GETFONT, 0, 0)),
                       sizeof heading, &heading);
            const LOGFONTW message = look::messageFont(dialog);
            EXPECT_EQ(std::wstring(heading.lfFaceName), std::wstring(message.lfFaceName));
            EXPECT_EQ(heading.lfHeight, -MulDiv(10, static_cast<int>(look::dpiOf(dialog)), 72));
            EXPECT_EQ(heading.lfWeight, FW_NORMAL);

            // The longest translations still fit: the heading in its own font, the
            // labels of check boxes and group boxes beside their box or frame.
            const HWND headingControl = host.control(expected.heading);
            const HDC dc = GetDC(dialog);
            const HGDIOBJ previous =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(headingControl, WM_GETFONT, 0, 0)));
            const std::wstring headingText = host.text(expected.heading);
            SIZE headingSize{};
            GetTextExtentPoint32W(dc, headingText.c_str(), static_cast<int>(headingText.size()), &headingSize);
            SelectObject(dc, previous);
            ReleaseDC(dialog, dc);
            const RECT headingRect = look::controlRect(dialog, expected.heading);
            EXPECT_LE(headingSize.cx, headingRect.right - headingRect.left);
            EXPECT_LE(headingSize.cy, headingRect.bottom - headingRect.top);
            for (const auto& [id, stringId] : expected.controls) {
                if (id == expected.heading || id == IDOK || id == IDCANCEL || id == IDC_SET_DEFAULT) continue;
                const RECT rect = look::controlRect(dialog, id);
                EXPECT_GE(rect.right - rect.left, look::controlTextWidth(dialog, id) + look::scaled(dialog, 18)) << id;
            }

            // Rightmost first: Cancel keeps the template's right edge, each button
            // fits its text, and the row keeps 6 pixels between neighbours.
            // (The template's left edge and width in dialog units, each mapped as the dialog manager does.)
            RECT templateCancel{expected.which == Which::Haval ? 206 : 246, 0, 47, 0};
            MapDialogRect(dialog, &templateCancel);
            int right = templateCancel.left + templateCancel.right;
            for (int id : {IDCANCEL, IDOK, IDC_SET_DEFAULT}) {
                const RECT rect = look::controlRect(dialog, id);
                EXPECT_EQ(rect.right, right) << id;
                EXPECT_GE(rect.right - rect.left, look::controlTextWidth(dialog, id) + look::scaled(dialog, 30)) << id;
                EXPECT_GE(rect.right - rect.left, look::scaled(dialog, 70)) << id;
                EXPECT_GE(rect.left, 0) << id;
                right = rect.left - look::scaled(dialog, 6);
            }
        }
    }
}

// The colours every static control asks for: the heading in the heading
// colour, the others in the window-text colour, all on the dialog's background.
TEST(ParameterDialogs, StaticControlsTakeTheDialogColours) {
    for (Which which : {Which::Haval, Which::Md6}) {
        HavalParams haval;
        Md6Params md6Params;
        ModalDialogHost host(rowsWith(rowName(which)), OpenDialog{which, &haval, &md6Params, nullptr});
        const HWND dialog = host.dialog();
        ASSERT_NE(dialog, nullptr);
        const int heading = which == Which::Haval ? IDC_HAVAL_HEADING : IDC_MD6_HEADING;
        const int ordinary = which == Which::Haval ? IDC_HAVAL_BITS_GROUP : IDC_MD6_R;
        const HDC dc = GetDC(dialog);
        for (int id : {heading, ordinary}) {
            SetTextColor(dc, RGB(1, 2, 3));
            SetBkMode(dc, OPAQUE);
            const auto brush = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(host.control(id)));
            EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), look::backgroundBrush()) << id;
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << id;
            if (id == heading) {
                EXPECT_NE(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
                EXPECT_NE(GetTextColor(dc), RGB(1, 2, 3));
            } else {
                EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
            }
        }
        ReleaseDC(dialog, dc);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORDLG, 0, 0)), look::backgroundBrush());
    }
}

}  // namespace
}  // namespace sumwise::test