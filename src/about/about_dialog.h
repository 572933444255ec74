// The About box: product, version, links to the support address and the
// home page, the translator credit, the licence page and the update check.
#pragma once

#include <windows.h>

#include <string>

#include "app/app_services.h"
#include "text/ui_language.h"
#include "toolkit/secondary_dialog.h"

namespace sumwise {

enum class AboutOutcome {
    Closed,
    EndProgram,  // the Setup program of a new version was started: the program ends
};

// Runs the About box modally over the main dialog `mainWindow`.
AboutOutcome runAboutDialog(HWND mainWindow, LanguageId language, const AppServices& services);

class AboutDialog final : public SecondaryDialog {
public:
    AboutDialog(HWND mainWindow, LanguageId language, const AppServices& services);
    ~AboutDialog() override = default;
    AboutDialog(const AboutDialog&) = delete;
    AboutDialog& operator=(const AboutDialog&) = delete;

    // 1 when closed by OK, a link, the licence button or a started update;
    // 0 when closed with Escape or the close box.
    INT_PTR run();
    // The Setup program to start once the About box is gone, if any.
    const std::wstring& setupToStart() const { return setupToStart_; }

private:
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Messages
    INT_PTR onInitDialog(WPARAM, LPARAM);
    INT_PTR onCommand(WPARAM, LPARAM);
    INT_PTR onMouseMove(WPARAM, LPARAM);
    INT_PTR onLeftButtonDown(WPARAM, LPARAM);
    INT_PTR onSetCursor(WPARAM, LPARAM);
    INT_PTR onDestroy(WPARAM, LPARAM);
    // The product, the links and the translator in the heading colour; the version lines grey.
    COLORREF staticTextColour(int controlId) const override;

    // Commands
    void onOk(const Command&);
    void onCancel(const Command&);
    void onLicense(const Command&);
    void onCheckForUpdates(const Command&);

    // Initialisation steps
    void loadIcons();
    void setTexts();
    void setFonts();
    void fitLinksToTexts();

    // The link under a point of the client area (a control id), or 0.
    int linkAt(POINT point) const;
    // Opens a page in the browser and closes the About box, or says why it could not.
    void openPage(std::wstring_view url, int show);
    // A message box: the text `textId` with the system's reason for `error`.
    void reportFailure(UINT textId, DWORD error);

    HWND mainWindow_;
    LanguageId language_;
    const AppServices& services_;
    std::wstring translatorAddress_;
    std::wstring setupToStart_;
    HICON largeIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    COLORREF headingColour_ = RGB(0, 51, 153);
};

}  // namespace sumwise
