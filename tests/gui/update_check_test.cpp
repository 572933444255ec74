// The update dialog's check against the local update server: the versions it
// compares, the answers it treats as errors and the texts of its error boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "update_dialog_fixture.h"

namespace sumwise::test {
namespace {

// ---------------------------------------------------------------------------
// The error box's text

struct ErrorTextCase {
    DWORD code;
    LanguageId language;
    std::wstring text;  // "*" stands for the system's message
};

class InternetErrorTextTest : public testing::TestWithParam<ErrorTextCase> {};

TEST_P(InternetErrorTextTest, NamesTheCodeAndTheAction) {
    const ErrorTextCase& c = GetParam();
    std::wstring expected = c.text;
    if (const auto star = expected.find(L'*'); star != std::wstring::npos) {
        const std::wstring system = messageOf(c.code);
        ASSERT_FALSE(system.empty()) << c.code;
        expected.replace(star, 1, system);
    }
    EXPECT_EQ(internetErrorText(c.code, IDS_ACTION_READ, c.language), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, InternetErrorTextTest,
    testing::Values(ErrorTextCase{0, kEnglish, L"An unexpected error occurred.\n\nAction: Read data operation"},
                    // WinINet's own codes: the text of its message table.
                    ErrorTextCase{ERROR_INTERNET_CONNECTION_ABORTED, kEnglish,
                                  L"*\nError code: 12030\nAction: Read data operation"},
                    ErrorTextCase{ERROR_INTERNET_TIMEOUT, kEnglish,
                                  L"*\nError code: 12002\nAction: Read data operation"},
                    ErrorTextCase{ERROR_INTERNET_NAME_NOT_RESOLVED, kGerman,
                                  L"*\nFehlercode: 12007\nAktion: Daten lesen"},
                    // A code no table knows.
                    ErrorTextCase{12999, kEnglish,
                                  L"An unexpected error occurred.\n\nError code: 12999\nAction: Read data operation"},
                    ErrorTextCase{ERROR_ACCESS_DENIED, kEnglish, L"*\nError code: 5\nAction: Read data operation"},
                    ErrorTextCase{0, kGerman, L"Ein unerwarteter Fehler ist aufgetreten.\n\nAktion: Daten lesen"}));

// ---------------------------------------------------------------------------
// The check

struct CheckCase {
    const char* what;
    std::string release;
    std::string releaseAnswer;  // JSON, empty: plain
    std::string beta;           // empty: none published
    bool ctrl;
    bool shift;
    std::wstring offered;  // the version shown as new; empty: up to date
    bool install;
    bool betaAsked;
};

class UpdateCheckTest : public UpdateTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(UpdateCheckTest, ComparesTheVersionFilesWithTheProgram) {
    const CheckCase& c = GetParam();
    UpdateSite site;
    site.publishRelease(c.release);
    if (!c.releaseAnswer.empty()) site.answer("files/latest.txt", c.releaseAnswer);
    if (!c.beta.empty()) site.publishBeta(c.beta);
    Updater updater(site);
    ASSERT_TRUE(updater.open(c.ctrl, c.shift));
    EXPECT_EQ(look::windowText(updater.dialog()), L"Updating...");
    if (c.offered.empty()) {
        ASSERT_TRUE(updater.waitForHeading(L"There is no new version available")) << narrow(updater.heading());
        EXPECT_EQ(updater.message(), kUpToDateText);
        EXPECT_FALSE(updater.enabled(IDC_UPDATE_FIRST));
    } else {
        ASSERT_TRUE(updater.waitForHeading(L"There is a new version available")) << narrow(updater.heading());
        EXPECT_EQ(updater.message(), newerText(c.offered));
        EXPECT_TRUE(updater.enabled(IDC_UPDATE_FIRST));
        EXPECT_EQ(dialogText(updater.dialog(), IDC_UPDATE_FIRST), L"&Download");
    }
    EXPECT_EQ(updater.enabled(IDC_UPDATE_SECOND), c.install);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(updater.dialog(), IDC_UPDATE_PROGRESS)));
    const auto requests = site.requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "files/beta.txt"), c.betaAsked ? 1 : 0);
    // Idle again: Cancel closes at once.
    updater.click(IDCANCEL);
    EXPECT_TRUE(updater.waitUntilClosed());
    EXPECT_TRUE(IsWindow(updater.about()));
}

INSTANTIATE_TEST_SUITE_P(
    VersionFiles, UpdateCheckTest,
    testing::Values(
        CheckCase{"newer release", "1.62.780.7201\n", "", "", false, false, L"1.62.780.7201", true, false},
        CheckCase{"same version", "1.62.780.7200\n", "", "", false, false, L"", false, false},
        CheckCase{"last component longer", "1.62.780.72000\n", "", "", false, false, L"1.62.780.72000", true, false},
        CheckCase{"older release", "1.62.780.7199\n", "", "", false, false, L"", false, false},
        CheckCase{"no LF: no version", "1.63.790.7300", "", "", false, false, L"", false, false},
        CheckCase{"no content length", "1.63\n", R"({"length": false})", "", false, false, L"1.63", true, false},
        CheckCase{"Shift: every version newer", "1.62.780.7200\n", "", "", false, true, L"1.62.780.7200", true, false},
        CheckCase{"Ctrl: beta newer than the release", "1.62.780.7201\n", "", "1.63.0.1\n", true, false,
                  L"1.63.0.1 (beta)", false, true},
        CheckCase{"Ctrl: beta not newer than the release", "1.62.780.7201\n", "", "1.62.780.7201\n", true, false,
                  L"1.62.780.7201", true, true},
        CheckCase{"Ctrl: only the beta newer", "1.62.780.7200\n", "", "1.62.780.7300\n", true, false,
                  L"1.62.780.7300 (beta)", false, true},
        CheckCase{"Ctrl: no beta published", "1.62.780.7201\n", "", "", true, false, L"1.62.780.7201", true, true}),
    [](const testing::TestParamInfo<CheckCase>& row) { return "Case" + std::to_string(row.index); });

struct StatusCase {
    int status;
    const wchar_t* box;
};

class UpdateCheckStatusTest : public UpdateTest, public testing::WithParamInterface<StatusCase> {};

TEST_P(UpdateCheckStatusTest, ReleaseFileAnswerOtherThanOkIsAnError) {
    UpdateSite site;
    site.publishRelease("1.62.780.7201\n");
    site.answer("files/latest.txt", "{\"status\": " + std::to_string(GetParam().status) + "}");
    Updater updater(site);
    ASSERT_TRUE(updater.open());
    EXPECT_EQ(updater.dismissErrorBox(), GetParam().box);
    EXPECT_TRUE(updater.waitUntilClosed());
    EXPECT_TRUE(IsWindow(updater.about()));
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, UpdateCheckStatusTest,
    testing::Values(StatusCase{404, L"The server answered with HTTP status 404.\nAction: Checking file"},
                    StatusCase{500, L"The server answered with HTTP status 500.\nAction: Checking file"}));

TEST_F(UpdateTest, NoServerListeningIsAConnectionError) {
    UpdateSite site;
    SetEnvironmentVariableW(L"SUMWISE_UPDATE_URL", L"http://127.0.0.1:1/");
    Updater updater(site);
    ASSERT_TRUE(updater.open());
    ASSERT_TRUE(updater.waitForHeading(L"Connection error"));
    EXPECT_EQ(updater.message(), L"There is no Internet connection or server does not respond.");
    EXPECT_FALSE(updater.enabled(IDC_UPDATE_FIRST));
    EXPECT_FALSE(updater.enabled(IDC_UPDATE_SECOND));
    updater.click(IDCANCEL);
    EXPECT_TRUE(updater.waitUntilClosed());
}

TEST_F(UpdateTest, CancelWhileTheServerIsSlowToAnswer) {
    UpdateSite site;
    site.publishRelease("1.62.780.7201\n");
    site.answer("files/latest.txt", R"({"wait": 1})");
    Updater updater(site);
    ASSERT_TRUE(updater.open());
    ASSERT_TRUE(updater.waitForHeading(L"Checking for updates..."));
    ASSERT_TRUE(waitFor([&] { return !site.requests().empty() && site.requests().back() == "files/latest.txt"; }));
    updater.click(IDCANCEL);
    // Cancel acts at once: "Closing connection..." may show too briefly to be seen.
    EXPECT_TRUE(updater.waitUntilClosed());
    EXPECT_TRUE(IsWindow(updater.about()));
}

}  // namespace
}  // namespace sumwise::test
