// The About box as a user sees it: its texts in each language, the links
// (hand cursor, mail client, browser), the licence page.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <string>

#include "app_harness.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "update_site.h"

namespace sumwise::test {
namespace {

// Opens the About box over the main dialog.
HWND openAbout(const RunningApp& app) {
    postClick(app.dialog(), IDC_ABOUT);
    return waitForOwnedWindow(app.dialog());
}

// The centre of control `id`, in the client coordinates of `dialog`.
POINT centreOf(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

LPARAM pointParameter(POINT point) { return MAKELPARAM(point.x, point.y); }

// A click, handled before this returns.
void clickAt(HWND dialog, POINT point) {
    SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, pointParameter(point));
    PostMessageW(dialog, WM_LBUTTONUP, 0, pointParameter(point));
}

// The cursor the dialog's thread shows after the mouse moved to `point`.
HCURSOR cursorAfterMove(HWND dialog, POINT point) {
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(dialog, WM_MOUSEMOVE, 0, pointParameter(point));
    const HCURSOR cursor = GetCursor();
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    return cursor;
}

std::wstring buildYear() {
    const std::string date = __DATE__;
    return std::wstring(date.end() - 4, date.end());
}

struct AboutTexts {
    const wchar_t* language;
    const wchar_t* title;
    const wchar_t* emailLabel;
    const wchar_t* homepageLabel;
    const wchar_t* homepage;
    const wchar_t* version;
    const wchar_t* translatorLabel;  // empty: no credit
    const wchar_t* translator;
    const wchar_t* license;
    const wchar_t* updates;
};

class AboutTextsTest : public testing::TestWithParam<AboutTexts> {};

TEST_P(AboutTextsTest, ShowsProductVersionLinksAndCredit) {
    const AboutTexts& expected = GetParam();
    RunningApp app(std::wstring(L"/LANG:") + expected.language);
    const HWND about = openAbout(app);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(look::windowText(about), expected.title);
    EXPECT_EQ(dialogText(about, IDC_ABOUT_PRODUCT), L"Sumwise");
    EXPECT_EQ(dialogText(about, IDC_ABOUT_COPYRIGHT), L"Copyright \u00a9 2019-" + buildYear() + L" Sumwise");
    EXPECT_EQ(dialogText(about, IDC_ABOUT_EMAIL_LABEL), expected.emailLabel);
    EXPECT_EQ(dialogText(about, IDC_ABOUT_EMAIL), L"support@sumwise.example");
    EXPECT_EQ(dialogText(about, IDC_ABOUT_HOMEPAGE_LABEL), expected.homepageLabel);
    EXPECT_EQ(dialogText(about, IDC_ABOUT_HOMEPAGE), expected.homepage);
    EXPECT_EQ(dialogText(about, IDC_ABOUT_VERSION), expected.version);
    EXPECT_EQ(dialogText(about, IDC_ABOUT_TRANSLATOR_LABEL), expected.translatorLabel);
    EXPECT_EQ(dialogText(about, IDC_ABOUT_TRANSLATOR), expected.translator);
    EXPECT_FALSE(dialogText(about, IDC_ABOUT_LINE1).empty());
    EXPECT_FALSE(dialogText(about, IDC_ABOUT_LINE2).empty());
    EXPECT_EQ(dialogText(about, IDC_ABOUT_LICENSE), expected.license);
    EXPECT_EQ(dialogText(about, IDC_ABOUT_UPDATES), expected.updates);
    // Every link is as wide as its text, inside the dialog.
    RECT client{};
    GetClientRect(about, &client);
    for (int id : {IDC_ABOUT_EMAIL, IDC_ABOUT_HOMEPAGE, IDC_ABOUT_TRANSLATOR}) {
        RECT rect{};
        GetWindowRect(GetDlgItem(about, id), &rect);
        MapWindowPoints(HWND_DESKTOP, about, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_LE(rect.right, client.right) << id;
    }
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(about); }));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, AboutTextsTest,
    testing::Values(AboutTexts{L"en", L"About...", L"Email:", L"Homepage:", L"https://www.sumwise.example/",
                               L"Version 1.62.780.7200 for Windows 64-bit (unsigned updates)", L"", L"", L"&License...",
                               L"&Check for updates..."},
                    AboutTexts{L"de", L"Info...", L"E-Mail:", L"Homepage:", L"https://www.sumwise.example/",
                               L"Version 1.62.780.7200 für Windows 64-bit (unsignierte Updates)", L"Übersetzung:",
                               L"Sumwise-Übersetzungsteam", L"&Lizenz...", L"&Auf Updates prüfen..."},
                    AboutTexts{L"pl", L"O programie...", L"E-mail:", L"Strona domowa:",
                               L"https://www.sumwise.example/pl/", L"Wersja 1.62.780.7200 dla systemu Windows 64-bit (aktualizacje bez podpisu)",
                               L"Tłumaczenie:", L"Zespół tłumaczy Sumwise", L"&Licencja...",
                               L"&Sprawdź aktualizacje..."}));

const std::wstring kRecorderCommand = L"\"" + LaunchRecord::recorder().wstring() + L"\"";

TEST(AboutLinks, ClicksReachTheDialogAndOnlyLinksShowTheHand) {
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    for (const wchar_t* language : {L"de", L"en"}) {
        RunningApp app(std::wstring(L"/LANG:") + language);
        const HWND about = openAbout(app);
        ASSERT_NE(about, nullptr);
        const bool credit = std::wstring(language) != L"en";
        // The statics let the mouse through, so the dialog hit-tests the links.
        for (int id : {IDC_ABOUT_EMAIL, IDC_ABOUT_HOMEPAGE, IDC_ABOUT_TRANSLATOR}) {
            POINT point = centreOf(about, id);
            ClientToScreen(about, &point);
            EXPECT_EQ(SendMessageW(GetDlgItem(about, id), WM_NCHITTEST, 0, pointParameter(point)), HTTRANSPARENT) << id;
        }
        EXPECT_EQ(cursorAfterMove(about, centreOf(about, IDC_ABOUT_EMAIL)), hand);
        EXPECT_EQ(cursorAfterMove(about, centreOf(about, IDC_ABOUT_HOMEPAGE)), hand);
        EXPECT_EQ(cursorAfterMove(about, centreOf(about, IDC_ABOUT_TRANSLATOR)) == hand, credit) << "translator";
        EXPECT_NE(cursorAfterMove(about, centreOf(about, IDC_ABOUT_VERSION)), hand);
        EXPECT_NE(cursorAfterMove(about, centreOf(about, IDC_ABOUT_EMAIL_LABEL)), hand);
    }
}

struct MailCase {
    const wchar_t* language;
    int link;
    const wchar_t* argument;
};

class MailLinkTest : public testing::TestWithParam<MailCase> {};

TEST_P(MailLinkTest, StartsTheMailClientWithAddressAndSubject) {
    const MailCase& c = GetParam();
    LaunchRecord launches;
    RunningApp app(std::wstring(L"/LANG:") + c.language);
    const HWND about = openAbout(app);
    ASSERT_NE(about, nullptr);
    clickAt(about, centreOf(about, c.link));
    ASSERT_TRUE(launches.waitForLines(1));
    Sleep(300);
    const auto lines = launches.lines();
    ASSERT_EQ(lines.size(), 1u);
    // The environment reference expanded inside the quotes, then the argument.
    EXPECT_EQ(lines[0], kRecorderCommand + L" " + c.argument);
    EXPECT_TRUE(IsWindowVisible(about));  // a mail link keeps the About box open
}

INSTANTIATE_TEST_SUITE_P(
    Links, MailLinkTest,
    testing::Values(MailCase{L"en", IDC_ABOUT_EMAIL, L"support@sumwise.example?subject=Sumwise"},
                    MailCase{L"de", IDC_ABOUT_TRANSLATOR, L"translations@sumwise.example?subject=Sumwise"}));

struct PageCase {
    const wchar_t* language;
    int control;  // a link is clicked, a button pressed
    const wchar_t* url;
};

class PageLinkTest : public testing::TestWithParam<PageCase> {};

TEST_P(PageLinkTest, OpensTheBrowserAndMinimisesTheProgram) {
    const PageCase& c = GetParam();
    LaunchRecord launches;
    RunningApp app(std::wstring(L"/LANG:") + c.language);
    const HWND about = openAbout(app);
    ASSERT_NE(about, nullptr);
    // A click beside the links does nothing.
    clickAt(about, centreOf(about, IDC_ABOUT_VERSION));
    if (c.control == IDC_ABOUT_LICENSE) {
        postClick(about, c.control);
    } else {
        clickAt(about, centreOf(about, c.control));
    }
    ASSERT_TRUE(launches.waitForLines(1));
    const auto lines = launches.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(kRecorderCommand, 0), 0u);
    EXPECT_NE(lines[0].find(c.url), std::wstring::npos);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(about); }));
    EXPECT_TRUE(IsIconic(app.dialog()));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageLinkTest,
    testing::Values(PageCase{L"en", IDC_ABOUT_HOMEPAGE, L"https://www.sumwise.example/"},
                    PageCase{L"pl", IDC_ABOUT_HOMEPAGE, L"https://www.sumwise.example/pl/"},
                    PageCase{L"en", IDC_ABOUT_LICENSE, L"https://www.sumwise.example/license.html"},
                    PageCase{L"pl", IDC_ABOUT_LICENSE, L"https://www.sumwise.example/pl/license.html"}));

}  // namespace
}  // namespace sumwise::test

namespace sumwise::test {
namespace {

// The system's English words for an error.
std::wstring reasonOf(DWORD error) {
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                   MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, 512, nullptr);
    std::wstring reason = text;
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ')) {
        reason.pop_back();
    }
    return reason;
}

struct LaunchFailure {
    const char* what;
    const wchar_t* language;
    int control;                  // a link is clicked, a button pressed
    const wchar_t* mailCommand;   // the mail client's command; null: none registered
    DWORD shellError;             // what the shell answers for a page (0: the real shell)
    const wchar_t* box;           // how the box begins
    DWORD reason;                 // the error it names in English (0: not checked)
};

class LaunchFailureTest : public testing::TestWithParam<LaunchFailure> {};

TEST_P(LaunchFailureTest, SaysWhyAndLeavesTheWindowsAsTheyWere) {
    const LaunchFailure& c = GetParam();
    LaunchRecord launches;
    if (c.mailCommand != nullptr) launches.setMailCommand(c.mailCommand);
    if (c.mailCommand == nullptr) launches.removeMailClient();
    const DWORD shellError = c.shellError;
    RunningApp app(std::wstring(L"/LANG:") + c.language, [shellError](AppServices& services) {
        if (shellError != 0) {
            services.openWithShell = [shellError](HWND, const std::wstring&, int) { return shellError; };
        }
    });
    const HWND about = openAbout(app);
    ASSERT_NE(about, nullptr);
    if (c.control == IDC_ABOUT_LICENSE) {
        postClick(about, c.control);
    } else {
        // Posted: the box keeps the click's handler busy until it is closed.
        const POINT point = centreOf(about, c.control);
        PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, pointParameter(point));
        PostMessageW(about, WM_LBUTTONUP, 0, pointParameter(point));
    }
    const HWND box = waitForOwnedWindow(about, std::chrono::seconds(20));
    ASSERT_NE(box, nullptr);
    const std::wstring text = dialogText(box, 0xFFFF);
    EXPECT_EQ(text.rfind(c.box, 0), 0u);
    EXPECT_GT(text.size(), std::wcslen(c.box));  // and the reason after it
    if (c.reason != 0) {
        EXPECT_EQ(text, c.box + reasonOf(c.reason));
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_FALSE(IsIconic(app.dialog()));
    EXPECT_TRUE(launches.lines().empty());
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(about); }));
}

constexpr const wchar_t* kPageFailed = L"The web page could not be opened.\n\n";
constexpr const wchar_t* kMailFailed = L"The e-mail program could not be started.\n\n";
constexpr const wchar_t* kRecorderMail = L"\"%SUMWISE_RECORDER_DIR%\\launch_recorder.exe\" %1";

INSTANTIATE_TEST_SUITE_P(
    Failures, LaunchFailureTest,
    testing::Values(
        LaunchFailure{"no browser", L"en", IDC_ABOUT_HOMEPAGE, kRecorderMail, ERROR_NO_ASSOCIATION, kPageFailed,
                      ERROR_NO_ASSOCIATION},
        LaunchFailure{"licence page refused", L"en", IDC_ABOUT_LICENSE, kRecorderMail, ERROR_ACCESS_DENIED,
                      kPageFailed, ERROR_ACCESS_DENIED},
        LaunchFailure{"no mail client", L"en", IDC_ABOUT_EMAIL, nullptr, 0, kMailFailed, ERROR_NO_ASSOCIATION},
        LaunchFailure{"command without placeholder", L"en", IDC_ABOUT_EMAIL,
                      L"\"%SUMWISE_RECORDER_DIR%\\launch_recorder.exe\" /compose", 0, kMailFailed,
                      ERROR_NO_ASSOCIATION},
        LaunchFailure{"mail program missing", L"en", IDC_ABOUT_EMAIL,
                      L"\"%SUMWISE_RECORDER_DIR%\\no_such_mailer.exe\" %1", 0, kMailFailed, ERROR_FILE_NOT_FOUND},
        LaunchFailure{"translator link, German", L"de", IDC_ABOUT_TRANSLATOR, nullptr, 0,
                      L"Das E-Mail-Programm konnte nicht gestartet werden.\n\n", 0}),
    [](const testing::TestParamInfo<LaunchFailure>& row) { return "Case" + std::to_string(row.index); });

}  // namespace
}  // namespace sumwise::test
