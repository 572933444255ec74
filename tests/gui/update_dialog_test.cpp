// The update dialog against the local update server: the check, the
// download with its progress and verification, Run and Install, and every
// way they can fail.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/look.h"
#include "app_harness.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "update_site.h"

namespace sumwise::test {
namespace {

class UpdateDialogTest : public testing::Test {
protected:
    void SetUp() override {
        if (!UpdateSite::serverRunning()) GTEST_SKIP() << "the update test server is not running";
    }
};

// Opens About, then the update dialog over it.
struct OpenDialogs {
    HWND about = nullptr;
    HWND update = nullptr;
};

OpenDialogs openUpdateDialog(const RunningApp& app) {
    OpenDialogs dialogs;
    postClick(app.dialog(), IDC_ABOUT);
    dialogs.about = waitForOwnedWindow(app.dialog());
    if (dialogs.about == nullptr) return dialogs;
    postClick(dialogs.about, IDC_ABOUT_UPDATES);
    dialogs.update = waitForOwnedWindow(dialogs.about);
    return dialogs;
}

bool waitForHeading(HWND update, const std::wstring& heading) {
    return waitFor([&] { return dialogText(update, IDC_UPDATE_HEADING) == heading; });
}

TEST_F(UpdateDialogTest, NewerReleaseOffersDownloadAndInstall) {
    UpdateSite site;
    site.publishRelease("1.62.780.7201\n");
    RunningApp app(L"");
    const OpenDialogs dialogs = openUpdateDialog(app);
    ASSERT_NE(dialogs.update, nullptr);
    EXPECT_EQ(look::windowText(dialogs.update), L"Updating...");
    ASSERT_TRUE(waitForHeading(dialogs.update, L"There is a new version available"))
        << std::string(dialogText(dialogs.update, IDC_UPDATE_HEADING).begin(), dialogText(dialogs.update, IDC_UPDATE_HEADING).end());
    EXPECT_EQ(dialogText(dialogs.update, IDC_UPDATE_TEXT),
              L"Click on the button to download the portable version or the Setup program.\nCurrent version: "
              L"1.62.780.7200\nNew version: 1.62.780.7201");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialogs.update, IDC_UPDATE_FIRST)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialogs.update, IDC_UPDATE_SECOND)));
}

}  // namespace
}  // namespace sumwise::test
