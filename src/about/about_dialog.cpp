#include "about/about_dialog.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string_view>

#include "about/about_links.h"
#include "about/mail_launcher.h"
#include "resources/resource_ids.h"
#include "resources/version.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "update/update_dialog.h"
#include "update/update_key.h"

namespace sumwise {

namespace {

constexpr COLORREF kGrey = RGB(80, 80, 80);

// The year this program was built, for the end of the copyright range.
std::wstring buildYear() {
    constexpr std::string_view date = __DATE__;  // "Mmm dd yyyy"
    const std::string_view year = date.substr(date.size() - 4);
    return std::wstring(year.begin(), year.end());
}

// The system's words for `error` (in `language` where it has them), or its number.
std::wstring launchFailureReason(DWORD error, LanguageId language) {
    for (const LanguageId tried : {language, LanguageId{0}}) {
        wchar_t* buffer = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
            tried, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        if (length == 0 || buffer == nullptr) continue;
        std::wstring text(buffer, length);
        LocalFree(buffer);
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
        if (!text.empty()) return text;
    }
    return formatText(loadText(IDS_INPUT_ERROR_CODE, language), {static_cast<std::int64_t>(error)}, 63);
}

}  // namespace

AboutOutcome runAboutDialog(HWND mainWindow, LanguageId language, const AppServices& services) {
    AboutDialog dialog(mainWindow, language, services);
    dialog.run();
    if (dialog.setupToStart().empty()) return AboutOutcome::Closed;
    // Setup replaces the program, which ends once Setup runs; when the shell
    // cannot start it (elevation declined, say) the program stays.
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, dialog.setupToStart().c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return started > 32 ? AboutOutcome::EndProgram : AboutOutcome::Closed;
}

AboutDialog::AboutDialog(HWND mainWindow, LanguageId language, const AppServices& services)
    : mainWindow_(mainWindow), language_(language), services_(services) {}

INT_PTR AboutDialog::run() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow_, GWLP_HINSTANCE));
    return runModal(instance, IDD_ABOUT, mainWindow_);
}

INT_PTR AboutDialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr MessageRoute<AboutDialog> kRoutes[] = {
        {WM_INITDIALOG, &AboutDialog::onInitDialog},
        {WM_COMMAND, &AboutDialog::onCommand},
        {WM_MOUSEMOVE, &AboutDialog::onMouseMove},
        {WM_LBUTTONDOWN, &AboutDialog::onLeftButtonDown},
        {WM_SETCURSOR, &AboutDialog::onSetCursor},
        {WM_DESTROY, &AboutDialog::onDestroy},
    };
    return route(*this, kRoutes, message, wParam, lParam);
}

INT_PTR AboutDialog::onCommand(WPARAM wParam, LPARAM lParam) {
    static constexpr CommandRoute<AboutDialog> kRoutes[] = {
        on(IDOK, &AboutDialog::onOk),
        on(IDCANCEL, &AboutDialog::onCancel),
        on(IDC_ABOUT_LICENSE, &AboutDialog::onLicense, BN_CLICKED),
        on(IDC_ABOUT_UPDATES, &AboutDialog::onCheckForUpdates, BN_CLICKED),
    };
    return routeCommand(*this, kRoutes, wParam, lParam) ? TRUE : FALSE;
}

INT_PTR AboutDialog::onInitDialog(WPARAM, LPARAM) {
    headingColour_ = look::headingColour(window_);
    loadIcons();
    setTexts();
    setFonts();
    fitLinksToTexts();
    return TRUE;
}

void AboutDialog::loadIcons() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    const int large = look::scaled(window_, 128);
    const int small = look::systemMetric(window_, SM_CXSMICON);
    largeIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, large, large, 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, small, small, 0));
    if (largeIcon_ != nullptr) {
        SendDlgItemMessageW(window_, IDC_ABOUT_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(largeIcon_));
    }
    if (smallIcon_ != nullptr) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void AboutDialog::setTexts() {
    auto text = [this](UINT id) { return loadText(id, language_); };
    // The main window's About button names this box; its access key has no place in a title.
    std::wstring title = text(IDS_ABOUT);
    std::erase(title, L'&');
    SetWindowTextW(window_, title.c_str());
    look::setControlText(window_, IDC_ABOUT_PRODUCT, text(IDS_PRODUCT));
    // The template holds the copyright line with a %s for the end of its years.
    const std::wstring copyright = look::controlText(window_, IDC_ABOUT_COPYRIGHT);
    const std::wstring year = buildYear();
    look::setControlText(window_, IDC_ABOUT_COPYRIGHT, formatText(copyright, {std::wstring_view(year)}, 259));
    look::setControlText(window_, IDC_ABOUT_EMAIL_LABEL, text(IDS_EMAIL));
    look::setControlText(window_, IDC_ABOUT_EMAIL, std::wstring(kSupportAddress));
    look::setControlText(window_, IDC_ABOUT_HOMEPAGE_LABEL, text(IDS_HOMEPAGE));
    look::setControlText(window_, IDC_ABOUT_HOMEPAGE, std::wstring(homePageFor(language_)));
    std::wstring version =
        formatText(text(IDS_VERSION_FOR), {std::wstring_view(kVersionWideText), std::wstring_view(kPlatformText)}, 259);
    // A build that takes unsigned version files must never pass for a release.
    if (!builtInUpdateKey()) version = formatText(text(IDS_UNSIGNED_UPDATES), {std::wstring_view(version)}, 259);
    look::setControlText(window_, IDC_ABOUT_VERSION, version);

    translatorAddress_ = text(IDS_TRANSLATOR_EMAIL);
    const std::wstring name = text(IDS_TRANSLATOR_NAME);
    const TranslatorCredit credit = translatorCredit(translatorAddress_, name);
    if (credit.shown) {
        look::setControlText(window_, IDC_ABOUT_TRANSLATOR_LABEL, text(IDS_TRANSLATOR_LABEL));
        look::setControlText(window_, IDC_ABOUT_TRANSLATOR, std::wstring(credit.text));
    }
    look::setControlText(window_, IDC_ABOUT_LINE1, text(IDS_LICENSE_NOTICE));
    look::setControlText(window_, IDC_ABOUT_LINE2, text(IDS_CHECK_UPDATES_HINT));

    look::setControlText(window_, IDOK, text(IDS_OK));
    look::setControlText(window_, IDC_ABOUT_LICENSE, text(IDS_LICENSE));
    look::setControlText(window_, IDC_ABOUT_UPDATES, text(IDS_CHECK_UPDATES));
    static constexpr int kButtons[] = {IDC_ABOUT_UPDATES, IDC_ABOUT_LICENSE};
    look::fitButtonRow(window_, kButtons, 2);
}

void AboutDialog::setFonts() {
    const LOGFONTW message = look::messageFont(window_);
    look::setControlFont(window_, IDC_ABOUT_PRODUCT, &message, 12, false, false);
    look::setControlFont(window_, IDC_ABOUT_COPYRIGHT, &message, 9, false, false);
    look::setControlFont(window_, IDC_ABOUT_EMAIL, nullptr, 0, false, true);
    look::setControlFont(window_, IDC_ABOUT_HOMEPAGE, nullptr, 0, false, true);
    look::setControlFont(window_, IDC_ABOUT_VERSION, nullptr, 0, true, false);
}

void AboutDialog::fitLinksToTexts() {
    // Each link is as wide as its text (height kept), so that only the text
    // answers the mouse; none reaches beyond the dialog.
    RECT client{};
    GetClientRect(window_, &client);
    for (int id : {IDC_ABOUT_EMAIL, IDC_ABOUT_HOMEPAGE, IDC_ABOUT_TRANSLATOR}) {
        const RECT rect = look::controlRect(window_, id);
        const int right = static_cast<int>(client.right) - look::scaled(window_, 7);
        const int width = std::min(look::controlTextWidth(window_, id), std::max(right - static_cast<int>(rect.left), 0));
        look::moveControl(window_, id, rect.left, rect.top, width, rect.bottom - rect.top);
    }
}

int AboutDialog::linkAt(POINT point) const {
    const int links[] = {IDC_ABOUT_EMAIL, IDC_ABOUT_HOMEPAGE, IDC_ABOUT_TRANSLATOR};
    for (int id : links) {
        if (id == IDC_ABOUT_TRANSLATOR && translatorAddress_.empty()) continue;
        const RECT rect = look::controlRect(window_, id);
        if (PtInRect(&rect, point)) return id;
    }
    return 0;
}

INT_PTR AboutDialog::onMouseMove(WPARAM, LPARAM lParam) {
    if (linkAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != 0) SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

INT_PTR AboutDialog::onSetCursor(WPARAM, LPARAM lParam) {
    // Keeps the hand over a link while the mouse moves, instead of the arrow.
    if (LOWORD(lParam) != HTCLIENT) return FALSE;
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(window_, &point);
    if (linkAt(point) == 0) return FALSE;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return reply(TRUE);
}

INT_PTR AboutDialog::onLeftButtonDown(WPARAM, LPARAM lParam) {
    const std::wstring subject = loadText(IDS_PRODUCT, language_);
    switch (linkAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
    case IDC_ABOUT_EMAIL:
        if (const DWORD error = launchMail(kSupportAddress, subject)) reportFailure(IDS_MAIL_NOT_STARTED, error);
        break;
    case IDC_ABOUT_HOMEPAGE:
        openPage(homePageFor(language_), SW_SHOWMAXIMIZED);
        break;
    case IDC_ABOUT_TRANSLATOR:
        if (const DWORD error = launchMail(translatorAddress_, subject)) reportFailure(IDS_MAIL_NOT_STARTED, error);
        break;
    default:
        break;
    }
    return TRUE;
}

void AboutDialog::openPage(std::wstring_view url, int show) {
    // Only a page that opened makes way for the browser.
    if (const DWORD error = services_.openWithShell(window_, std::wstring(url), show)) {
        reportFailure(IDS_PAGE_NOT_OPENED, error);
        return;
    }
    ShowWindow(mainWindow_, SW_MINIMIZE);
    EndDialog(window_, 1);
}

void AboutDialog::reportFailure(UINT textId, DWORD error) {
    const std::wstring reason = launchFailureReason(error, language_);
    const std::wstring text = formatText(loadText(textId, language_), {std::wstring_view(reason)}, 511);
    MessageBoxW(window_, text.c_str(), loadText(IDS_PRODUCT, language_).c_str(), MB_OK | MB_ICONERROR);
}

void AboutDialog::onOk(const Command&) { EndDialog(window_, 1); }

void AboutDialog::onCancel(const Command&) { EndDialog(window_, 0); }

void AboutDialog::onLicense(const Command&) { openPage(licensePageFor(language_), SW_SHOWNORMAL); }

void AboutDialog::onCheckForUpdates(const Command&) {
    UpdateDialog dialog(services_, language_);
    const UpdateOutcome outcome = dialog.run(window_);
    if (outcome.kind == UpdateOutcome::Kind::Closed) return;
    if (outcome.kind == UpdateOutcome::Kind::Install) setupToStart_ = outcome.path;
    EndDialog(window_, 1);
}

COLORREF AboutDialog::staticTextColour(int controlId) const {
    switch (controlId) {
    case IDC_ABOUT_PRODUCT:
    case IDC_ABOUT_EMAIL:
    case IDC_ABOUT_HOMEPAGE:
    case IDC_ABOUT_TRANSLATOR:
        return headingColour_;
    case IDC_ABOUT_VERSION:
    case IDC_ABOUT_LINE2:
        return kGrey;
    default:
        return Dialog::staticTextColour(controlId);
    }
}

INT_PTR AboutDialog::onDestroy(WPARAM, LPARAM) {
    for (HICON* icon : {&largeIcon_, &smallIcon_}) {
        if (*icon != nullptr) DestroyIcon(*icon);
        *icon = nullptr;
    }
    return FALSE;
}

}  // namespace sumwise
