// Signed version files: a program built with an update key (here the key
// pair the local update server made at its start) offers an update only
// when the version file's signature verifies over the bytes it received,
// on both channels; anything else ends the check with the error box.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "toolkit/look.h"
#include "app_harness.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "update_site.h"

namespace sumwise::test {
namespace {

// The test program's update key for as long as the object lives (see
// test_update_key.cpp); without one it takes unsigned version files.
class KeyedProgram {
public:
    explicit KeyedProgram(const std::string& key) { SetEnvironmentVariableA(kVariable, key.c_str()); }
    ~KeyedProgram() { SetEnvironmentVariableA(kVariable, nullptr); }
    KeyedProgram(const KeyedProgram&) = delete;
    KeyedProgram& operator=(const KeyedProgram&) = delete;

private:
    static constexpr const char* kVariable = "SUMWISE_TEST_UPDATE_PUBLIC_KEY";
};

enum class Signature { None, Good, OtherKey, OtherBytes, Truncated };

// How the server answers NAME.sig (see the server's description).
std::string signatureAnswer(Signature signature, const std::string& file) {
    switch (signature) {
    case Signature::None: break;
    case Signature::Good: return R"({"sign": ")" + file + R"("})";
    case Signature::OtherKey: return R"({"sign": ")" + file + R"(", "key": "other"})";
    case Signature::OtherBytes: return R"({"sign": "../downloads/other.txt"})";
    case Signature::Truncated: return R"({"sign": ")" + file + R"(", "truncate": 100})";
    }
    return "";
}

struct SignedCase {
    const char* what;
    bool ctrl;
    Signature release;
    std::string beta;  // empty: none published
    Signature betaSignature;
    std::wstring offered;  // the version shown as new; empty: the error box
    std::wstring failing;  // the version file the error names
};

class SignedUpdateTest : public testing::TestWithParam<SignedCase> {};

TEST_P(SignedUpdateTest, OffersOnlyWhatIsSigned) {
    const SignedCase& c = GetParam();
    if (!UpdateSite::serverRunning()) GTEST_SKIP() << "the update test server is not running";
    const auto key = UpdateSite::testKey();
    if (!key) GTEST_SKIP() << "the update test server made no key pair (no openssl)";
    const KeyedProgram keyed(*key);
    UpdateSite site;
    site.publishRelease("1.62.780.7201\nSumwise_x64.exe:SHA-256:AB12\n");
    site.publishDownload("other.txt", {'1', '.', '9', '\n'});
    if (c.release != Signature::None) site.answer("files/latest.txt.sig", signatureAnswer(c.release, "latest.txt"));
    if (!c.beta.empty()) {
        site.publishBeta(c.beta);
        if (c.betaSignature != Signature::None) {
            site.answer("files/beta.txt.sig", signatureAnswer(c.betaSignature, "beta.txt"));
        }
    }

    RunningApp app(L"");
    app.ctrl = c.ctrl;
    postClick(app.dialog(), IDC_ABOUT);
    const HWND about = waitForOwnedWindow(app.dialog());
    ASSERT_NE(about, nullptr);
    postClick(about, IDC_ABOUT_UPDATES);
    const HWND update = waitForOwnedWindow(about);
    app.ctrl = false;
    ASSERT_NE(update, nullptr);

    if (c.offered.empty()) {
        const HWND box = waitForOwnedWindow(update, std::chrono::seconds(20));
        ASSERT_NE(box, nullptr) << c.what;
        EXPECT_EQ(dialogText(box, 0xFFFF),
                  L"The update information is not signed correctly.\nFile: " + site.baseUrl() + L"files/" + c.failing)
            << c.what;
        EXPECT_NE(dialogText(update, IDC_UPDATE_HEADING), L"There is a new version available") << c.what;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(update); }, std::chrono::seconds(20))) << c.what;
    } else {
        ASSERT_TRUE(waitFor([&] { return dialogText(update, IDC_UPDATE_HEADING) == L"There is a new version available"; }))
            << c.what;
        EXPECT_NE(dialogText(update, IDC_UPDATE_TEXT).find(L"New version: " + c.offered), std::wstring::npos) << c.what;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(update, IDC_UPDATE_FIRST))) << c.what;
        postClick(update, IDCANCEL);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(update); }, std::chrono::seconds(20))) << c.what;
    }
    EXPECT_TRUE(app.offeredDownloadNames().empty()) << c.what;
    const auto requests = site.requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "files/latest.txt.sig"), 1) << c.what;
}

const std::string kBeta = "1.63.0.1\nSumwise_x64_beta.exe:SHA-256:CD34\n";

INSTANTIATE_TEST_SUITE_P(
    Signatures, SignedUpdateTest,
    testing::Values(
        SignedCase{"signed release", false, Signature::Good, "", Signature::None, L"1.62.780.7201", L""},
        SignedCase{"unsigned release", false, Signature::None, "", Signature::None, L"", L"latest.txt"},
        SignedCase{"release signed by another key", false, Signature::OtherKey, "", Signature::None, L"",
                   L"latest.txt"},
        SignedCase{"release signature over other bytes", false, Signature::OtherBytes, "", Signature::None, L"",
                   L"latest.txt"},
        SignedCase{"truncated release signature", false, Signature::Truncated, "", Signature::None, L"",
                   L"latest.txt"},
        SignedCase{"Ctrl: signed beta", true, Signature::Good, kBeta, Signature::Good, L"1.63.0.1 (beta)", L""},
        SignedCase{"Ctrl: no beta published", true, Signature::Good, "", Signature::None, L"1.62.780.7201", L""},
        SignedCase{"Ctrl: unsigned beta", true, Signature::Good, kBeta, Signature::None, L"", L"beta.txt"},
        SignedCase{"Ctrl: beta signed by another key", true, Signature::Good, kBeta, Signature::OtherKey, L"",
                   L"beta.txt"},
        SignedCase{"Ctrl: beta signature over other bytes", true, Signature::Good, kBeta, Signature::OtherBytes, L"",
                   L"beta.txt"},
        SignedCase{"Ctrl: truncated beta signature", true, Signature::Good, kBeta, Signature::Truncated, L"",
                   L"beta.txt"},
        SignedCase{"Ctrl: unsigned release, signed beta", true, Signature::None, kBeta, Signature::Good, L"",
                   L"latest.txt"}),
    [](const testing::TestParamInfo<SignedCase>& row) { return "Case" + std::to_string(row.index); });

// Once the signature holds, the download is checked against the signed
// digest as in an unkeyed build: kept only when it matches.
TEST(SignedUpdate, DownloadIsVerifiedWithTheSignedDigest) {
    if (!UpdateSite::serverRunning()) GTEST_SKIP() << "the update test server is not running";
    const auto key = UpdateSite::testKey();
    if (!key) GTEST_SKIP() << "the update test server made no key pair (no openssl)";
    const KeyedProgram keyed(*key);
    const std::vector<std::uint8_t> program = randomBytes(100000, 23);
    for (const bool matching : {true, false}) {
        SCOPED_TRACE(matching ? "matching digest" : "other digest");
        UpdateSite site;
        const std::string digest = hexOf("SHA-256", matching ? program : randomBytes(10, 1));
        site.publishRelease("1.62.780.7201\nSumwise_x64.exe:SHA-256:" + digest + "\n");
        site.answer("files/latest.txt.sig", signatureAnswer(Signature::Good, "latest.txt"));
        site.publishDownload("Sumwise_x64.exe", program);
        TempDir folder;
        const auto target = folder.path() / "Sumwise_x64.exe";

        RunningApp app(L"");
        postClick(app.dialog(), IDC_ABOUT);
        const HWND about = waitForOwnedWindow(app.dialog());
        ASSERT_NE(about, nullptr);
        postClick(about, IDC_ABOUT_UPDATES);
        const HWND update = waitForOwnedWindow(about);
        ASSERT_NE(update, nullptr);
        const auto heading = [&](const wchar_t* text) {
            return waitFor([&] { return dialogText(update, IDC_UPDATE_HEADING) == text; });
        };
        ASSERT_TRUE(heading(L"There is a new version available"));
        app.answerSaveDialog(target);
        postClick(update, IDC_UPDATE_FIRST);
        ASSERT_TRUE(heading(matching ? L"Download complete" : L"Download error"));
        EXPECT_EQ(std::filesystem::exists(target), matching);
        postClick(update, IDCANCEL);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(update); }, std::chrono::seconds(20)));
    }
}

TEST(SignedUpdate, AboutShowsUnsignedUpdatesOnlyWithoutAKey) {
    const std::wstring version = L"Version 1.62.780.7200 for Windows 64-bit";
    for (const bool withKey : {false, true}) {
        std::optional<KeyedProgram> keyed;
        if (withKey) keyed.emplace(std::string(64, 'a'));
        RunningApp app(L"/LANG:en");
        postClick(app.dialog(), IDC_ABOUT);
        const HWND about = waitForOwnedWindow(app.dialog());
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(dialogText(about, IDC_ABOUT_VERSION), withKey ? version : version + L" (unsigned updates)");
        PostMessageW(about, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(about); }));
    }
}

}  // namespace
}  // namespace sumwise::test
