// The update dialog's download against the local update server: progress and
// verification, a silent server, the offered names, Run and Install, and every
// way they can fail.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "update_dialog_fixture.h"

namespace sumwise::test {
namespace {

// ---------------------------------------------------------------------------
// Downloads

std::string versionFileNaming(const std::string& name, const std::string& algorithm, const std::string& digest) {
    return "1.62.780.7201\n" + name + ":" + algorithm + ":" + digest + "\n";
}

// A download from a site of the local server into a fresh folder.
class DownloadTest : public UpdateTest {
protected:
    // Publishes `bytes` as the download `name` of a newer release whose
    // version file names it with its digest by `algorithm` (or with the given
    // version file); the download is saved to target().
    void publish(const std::string& name, const std::vector<std::uint8_t>& bytes, const std::string& algorithm,
                 const std::optional<std::string>& versionFile = std::nullopt) {
        site_.publishRelease(versionFile ? *versionFile : versionFileNaming(name, algorithm, hexOf(algorithm, bytes)));
        site_.publishDownload(name, bytes);
        target_ = folder_.path() / name;
    }

    // Opens the update dialog and starts the download with `button`
    // (Download or Install) into target().
    bool startDownload(int button) { return updater().open() && updater().download(button, target_); }
    // The same, until the download has been verified.
    bool download(int button) { return startDownload(button) && updater().waitForHeading(L"Download complete"); }

    Updater& updater() {
        if (!updater_) updater_.emplace(site_);
        return *updater_;
    }
    const UpdateSite& site() const { return site_; }
    const TempDir& folder() const { return folder_; }
    const std::filesystem::path& target() const { return target_; }

private:
    UpdateSite site_;
    TempDir folder_;
    std::filesystem::path target_;
    std::optional<Updater> updater_;
};

struct VerifyCase {
    const char* what;
    std::string entryName;
    std::string algorithm;
    std::string digestOf;  // the algorithm whose digest of the download is published; "wrong": another's
    bool lower;
    bool verified;
};

class DownloadVerifyTest : public DownloadTest, public testing::WithParamInterface<VerifyCase> {};

TEST_P(DownloadVerifyTest, KeepsOnlyAVerifiedDownload) {
    const VerifyCase& c = GetParam();
    const std::vector<std::uint8_t> program = randomBytes(200000, 5);
    std::string digest = c.digestOf == "wrong" ? hexOf("SHA-1", randomBytes(10, 1)) : hexOf(c.digestOf, program);
    if (c.lower) digest = lowerCase(digest);
    publish("Sumwise_x64.exe", program, c.algorithm, versionFileNaming(c.entryName, c.algorithm, digest));
    ASSERT_TRUE(startDownload(IDC_UPDATE_FIRST));
    EXPECT_EQ(updater().app().offeredDownloadNames(), std::vector<std::wstring>{L"Sumwise_x64.exe"});
    if (c.verified) {
        ASSERT_TRUE(updater().waitForHeading(L"Download complete")) << narrow(updater().heading());
        EXPECT_EQ(updater().message(), L"Click on the Run button to execute downloaded file.");
        EXPECT_EQ(dialogText(updater().dialog(), IDC_UPDATE_FIRST), L"&Run");
        EXPECT_TRUE(updater().enabled(IDC_UPDATE_FIRST));
        EXPECT_FALSE(updater().enabled(IDC_UPDATE_SECOND));
        EXPECT_EQ(fileBytes(target()), std::string(program.begin(), program.end()));
        EXPECT_EQ(filesIn(folder().path()), std::vector<std::filesystem::path>{"Sumwise_x64.exe"});
    } else {
        ASSERT_TRUE(updater().waitForHeading(L"Download error")) << narrow(updater().heading());
        EXPECT_EQ(updater().message(), L"The file has not been downloaded correctly. Please try again.");
        EXPECT_EQ(dialogText(updater().dialog(), IDC_UPDATE_FIRST), L"&Download");
        EXPECT_TRUE(updater().enabled(IDC_UPDATE_FIRST));
        EXPECT_TRUE(updater().enabled(IDC_UPDATE_SECOND));
        EXPECT_TRUE(filesIn(folder().path()).empty());
    }
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(updater().dialog(), IDC_UPDATE_PROGRESS)));
}

INSTANTIATE_TEST_SUITE_P(
    Digests, DownloadVerifyTest,
    testing::Values(VerifyCase{"CRC32", "Sumwise_x64.exe", "CRC32", "CRC32", false, true},
                    VerifyCase{"MD5 in lower case", "Sumwise_x64.exe", "MD5", "MD5", true, true},
                    VerifyCase{"SHA-1", "Sumwise_x64.exe", "SHA-1", "SHA-1", false, true},
                    VerifyCase{"SHA-256 in lower case", "sumwise_x64.exe", "SHA-256", "SHA-256", true, true},
                    VerifyCase{"wrong digest", "Sumwise_x64.exe", "SHA-1", "wrong", false, false},
                    VerifyCase{"no entry names it", "Sumwise_x86.exe", "SHA-1", "SHA-1", false, false},
                    VerifyCase{"unknown algorithm", "Sumwise_x64.exe", "SHA-3", "SHA-256", false, false}),
    [](const testing::TestParamInfo<VerifyCase>& row) { return "Case" + std::to_string(row.index); });

struct ChannelCase {
    const char* what;
    std::string beta;
    std::string betaEntry;  // the beta's entry for the download, "" for none
    const char* downloadName;
};

class DownloadChannelTest : public UpdateTest, public testing::WithParamInterface<ChannelCase> {};

TEST_P(DownloadChannelTest, VerifiesWithTheVersionFileOfTheVersionOnOffer) {
    const ChannelCase& c = GetParam();
    const std::vector<std::uint8_t> program = randomBytes(50000, 9);
    const std::string digest = hexOf("SHA-1", program);
    UpdateSite site;
    // The release names the download correctly; a beta that is not on offer
    // names it with a wrong digest and must not count.
    site.publishRelease("1.62.780.7201\nSumwise_x64.exe:SHA-1:" + digest + "\n");
    site.publishBeta(c.beta + (c.betaEntry.empty() ? "" : c.betaEntry + digest + "\n"));
    site.publishDownload(c.downloadName, program);
    TempDir folder;
    Updater updater(site);
    ASSERT_TRUE(updater.open(true));
    ASSERT_TRUE(updater.download(IDC_UPDATE_FIRST, folder.path() / c.downloadName));
    EXPECT_EQ(updater.app().offeredDownloadNames().front(), std::wstring(c.downloadName, c.downloadName + std::strlen(c.downloadName)));
    EXPECT_TRUE(updater.waitForHeading(L"Download complete")) << narrow(updater.heading());
}

INSTANTIATE_TEST_SUITE_P(
    Channels, DownloadChannelTest,
    testing::Values(ChannelCase{"beta on offer", "1.63.0.1\n", "Sumwise_x64_beta.exe:SHA-1:", "Sumwise_x64_beta.exe"},
                    ChannelCase{"beta not newer", "1.62.780.7201\nSumwise_x64.exe:SHA-1:00", "", "Sumwise_x64.exe"}));

struct FailureCase {
    const char* what;
    std::string answer;
    std::wstring box;  // the start of the error box's text
};

class DownloadFailureTest : public DownloadTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(DownloadFailureTest, ReportsItKeepsNothingAndLeavesTheUsersFile) {
    const FailureCase& c = GetParam();
    publish("Sumwise_x64.exe", randomBytes(300000, 6), "SHA-1");
    site().answer("downloads/Sumwise_x64.exe", c.answer);
    std::ofstream(target(), std::ios::binary) << "the user's own file";
    ASSERT_TRUE(startDownload(IDC_UPDATE_FIRST));
    const std::wstring box = updater().dismissErrorBox();
    EXPECT_EQ(box.rfind(c.box, 0), 0u) << narrow(box);
    EXPECT_TRUE(updater().waitUntilClosed());
    EXPECT_EQ(fileBytes(target()), "the user's own file");
    EXPECT_EQ(filesIn(folder().path()), std::vector<std::filesystem::path>{"Sumwise_x64.exe"});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DownloadFailureTest,
    testing::Values(FailureCase{"server error", R"({"status": 500})",
                                L"The server answered with HTTP status 500.\nAction: Checking file"},
                    FailureCase{"not found", R"({"status": 404})",
                                L"The server answered with HTTP status 404.\nAction: Checking file"},
                    FailureCase{"dropped connection", R"({"chunk": 65536, "drop_after": 100000})",
                                // Wine's WinINet has no text for this one, Windows' has.
                                messageOf(12031).empty()
                                    ? L"An unexpected error occurred.\n\nError code: 12031\nAction: Read data operation"
                                    : messageOf(12031) + L"\nError code: 12031\nAction: Read data operation"}),
    [](const testing::TestParamInfo<FailureCase>& row) { return "Case" + std::to_string(row.index); });

TEST_F(DownloadTest, CancelDuringASlowDownload) {
    publish("Sumwise_x64.exe", randomBytes(400000, 7), "SHA-1");
    site().answer("downloads/Sumwise_x64.exe", R"({"chunk": 8192, "delay": 0.05})");
    std::ofstream(target(), std::ios::binary) << "the user's own file";
    ASSERT_TRUE(startDownload(IDC_UPDATE_FIRST));
    ASSERT_TRUE(updater().waitForHeading(L"Downloading file..."));
    const HWND bar = GetDlgItem(updater().dialog(), IDC_UPDATE_PROGRESS);
    // The progress text comes every quarter of a second, with the share received.
    ASSERT_TRUE(waitFor([&] { return updater().message().find(L"%)") != std::wstring::npos; }));
    const std::wstring progress = updater().message();
    EXPECT_EQ(progress.rfind(L"File: Sumwise_x64.exe\nDownloaded: ", 0), 0u) << narrow(progress);
    EXPECT_EQ(GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE, 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 400000);
    EXPECT_GT(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
    EXPECT_TRUE(updater().enabled(IDCANCEL));
    updater().click(IDCANCEL);
    EXPECT_TRUE(updater().waitUntilClosed());
    EXPECT_EQ(fileBytes(target()), "the user's own file");
    EXPECT_EQ(filesIn(folder().path()), std::vector<std::filesystem::path>{"Sumwise_x64.exe"});
}

TEST_F(DownloadTest, DownloadWithoutContentLengthCountsBytes) {
    const std::vector<std::uint8_t> program = randomBytes(300000, 8);
    publish("Sumwise_x64.exe", program, "MD5");
    site().answer("downloads/Sumwise_x64.exe", R"({"length": false, "chunk": 16384, "delay": 0.05})");
    ASSERT_TRUE(startDownload(IDC_UPDATE_FIRST));
    ASSERT_TRUE(waitFor([&] { return updater().message().find(L"Downloaded: ") != std::wstring::npos; }));
    const std::wstring progress = updater().message();
    EXPECT_EQ(progress.rfind(L"File: Sumwise_x64.exe\nDownloaded: ", 0), 0u) << narrow(progress);
    EXPECT_EQ(progress.find(L'%'), std::wstring::npos) << narrow(progress);
    EXPECT_NE(GetWindowLongW(GetDlgItem(updater().dialog(), IDC_UPDATE_PROGRESS), GWL_STYLE) & PBS_MARQUEE, 0);
    ASSERT_TRUE(updater().waitForHeading(L"Download complete"));
    EXPECT_EQ(fileBytes(target()), std::string(program.begin(), program.end()));
}

// ---------------------------------------------------------------------------
// A server that stops answering: the time limit, and Cancel at every stage

constexpr DWORD kIdleLimit = 1500;  // the tests' time limit, in milliseconds

enum class Stall {
    Check,            // a server that accepts and never answers, not even the probe
    Connecting,       // the download's answer never starts
    AfterBytes,       // the download stops after its first bytes
    SlowButSteady,    // a byte now and then, never a whole time limit apart
};

struct SilenceCase {
    const char* what;
    Stall stall;
    bool cancel;        // Cancel, else the time limit
    std::wstring box;   // the time limit's error box; empty: none (the download completes)
};

class ServerSilenceTest : public UpdateTest, public testing::WithParamInterface<SilenceCase> {};

TEST_P(ServerSilenceTest, EndsWithATimeoutOrACancelAndNeverWaitsForEver) {
    const SilenceCase& c = GetParam();
    const std::vector<std::uint8_t> program = randomBytes(60000, 11);
    UpdateSite site;
    site.publishRelease(versionFileNaming("Sumwise_x64.exe", "SHA-1", hexOf("SHA-1", program)));
    site.publishDownload("Sumwise_x64.exe", program);
    if (c.stall == Stall::Connecting) site.answer("downloads/Sumwise_x64.exe", R"({"wait": 20})");
    if (c.stall == Stall::AfterBytes) site.answer("downloads/Sumwise_x64.exe", R"({"chunk": 5000, "delay": 20})");
    if (c.stall == Stall::SlowButSteady) site.answer("downloads/Sumwise_x64.exe", R"({"chunk": 10000, "delay": 0.6})");
    std::optional<SilentServer> silent;
    if (c.stall == Stall::Check) {
        silent.emplace();
        ASSERT_FALSE(silent->baseUrl().empty());
    }
    TempDir folder;
    const auto target = folder.path() / "Sumwise_x64.exe";
    Updater updater(site, kIdleLimit);
    ASSERT_TRUE(updater.open());
    const HWND bar = GetDlgItem(updater.dialog(), IDC_UPDATE_PROGRESS);
    switch (c.stall) {
    case Stall::Check:
        ASSERT_TRUE(updater.waitForHeading(L"Checking for updates..."));
        ASSERT_TRUE(waitFor([&] { return silent->accepted() >= 2; }));  // the probe, then the version file
        break;
    case Stall::Connecting:
        ASSERT_TRUE(updater.download(IDC_UPDATE_FIRST, target));
        ASSERT_TRUE(waitFor([&] { return updater.message() == L"Connecting..."; }));
        ASSERT_TRUE(waitFor([&] { return site.requests().back().rfind("download.php", 0) == 0; }));
        break;
    case Stall::AfterBytes:
    case Stall::SlowButSteady:
        ASSERT_TRUE(updater.download(IDC_UPDATE_FIRST, target));
        ASSERT_TRUE(waitFor([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }));
        break;
    }
    // Whatever the stage, the user can cancel.
    EXPECT_TRUE(updater.enabled(IDCANCEL));
    const auto start = std::chrono::steady_clock::now();
    if (c.cancel) {
        updater.click(IDCANCEL);
        ASSERT_TRUE(updater.waitUntilClosed());
        EXPECT_LE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    } else if (!c.box.empty()) {
        EXPECT_EQ(updater.dismissErrorBox(), c.box);
        EXPECT_TRUE(updater.waitUntilClosed());
    } else {
        // Each pause is shorter than the limit, the whole download longer.
        EXPECT_TRUE(updater.waitForHeading(L"Download complete")) << narrow(updater.heading());
        EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kIdleLimit));
        EXPECT_EQ(fileBytes(target), std::string(program.begin(), program.end()));
        return;
    }
    EXPECT_TRUE(IsWindow(updater.about()));
    EXPECT_TRUE(filesIn(folder.path()).empty());  // no partial download left
}

const std::wstring kTimedOut = messageOf(ERROR_INTERNET_TIMEOUT) + L"\nError code: 12002\nAction: ";

INSTANTIATE_TEST_SUITE_P(
    Stalls, ServerSilenceTest,
    testing::Values(SilenceCase{"check, time limit", Stall::Check, false, kTimedOut + L"Checking file"},
                    SilenceCase{"check, Cancel", Stall::Check, true, L""},
                    SilenceCase{"connecting, time limit", Stall::Connecting, false, kTimedOut + L"Checking file"},
                    SilenceCase{"connecting, Cancel", Stall::Connecting, true, L""},
                    SilenceCase{"after bytes, time limit", Stall::AfterBytes, false,
                                kTimedOut + L"Read data operation"},
                    SilenceCase{"after bytes, Cancel", Stall::AfterBytes, true, L""},
                    SilenceCase{"slow but steady", Stall::SlowButSteady, false, L""}),
    [](const testing::TestParamInfo<SilenceCase>& row) { return "Case" + std::to_string(row.index); });

struct NameCase {
    bool ctrl;
    bool shiftAtDownload;
    int button;
    const wchar_t* name;
};

class DownloadNameTest : public UpdateTest, public testing::WithParamInterface<NameCase> {};

TEST_P(DownloadNameTest, OffersTheNameOfTheBuildAndClosesWhenTheSaveDialogIsCancelled) {
    const NameCase& c = GetParam();
    UpdateSite site;
    site.publishRelease("1.62.780.7201\n");
    site.publishBeta("1.63.0.1\n");
    TempDir folder;
    Updater updater(site);
    ASSERT_TRUE(updater.open(c.ctrl));
    // A double click starts one download.
    ASSERT_TRUE(updater.download(c.button, std::filesystem::path(), c.shiftAtDownload, 2));
    EXPECT_TRUE(updater.waitUntilClosed());
    EXPECT_EQ(updater.app().offeredDownloadNames(), std::vector<std::wstring>{c.name});
    EXPECT_TRUE(IsWindow(updater.about()));
}

INSTANTIATE_TEST_SUITE_P(Names, DownloadNameTest,
                         testing::Values(NameCase{false, false, IDC_UPDATE_FIRST, L"Sumwise_x64.exe"},
                                         NameCase{false, true, IDC_UPDATE_FIRST, L"Sumwise_x86.exe"},
                                         NameCase{true, false, IDC_UPDATE_FIRST, L"Sumwise_x64_beta.exe"},
                                         NameCase{true, true, IDC_UPDATE_FIRST, L"Sumwise_x86_beta.exe"},
                                         NameCase{false, false, IDC_UPDATE_SECOND, L"SumwiseSetup.exe"}));

// ---------------------------------------------------------------------------
// Run and Install

std::vector<std::uint8_t> recorderBytes() {
    const std::string bytes = fileBytes(LaunchRecord::recorder());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

TEST_F(DownloadTest, RunStartsTheVerifiedPortableBuild) {
    LaunchRecord launches;
    publish("Sumwise_x64.exe", recorderBytes(), "SHA-1");
    ASSERT_TRUE(download(IDC_UPDATE_FIRST));
    updater().click(IDC_UPDATE_FIRST);
    ASSERT_TRUE(launches.waitForLines(1));
    EXPECT_NE(launches.lines()[0].find(L"Sumwise_x64.exe"), std::wstring::npos) << narrow(launches.lines()[0]);
    EXPECT_TRUE(updater().waitUntilClosed());
    EXPECT_TRUE(waitFor([&] { return !IsWindow(updater().about()); }));
    EXPECT_FALSE(updater().app().ended());
}

TEST_F(DownloadTest, InstallStartsSetupAndEndsTheProgramAfterStoppingAJob) {
    LaunchRecord launches;
    publish("SumwiseSetup.exe", recorderBytes(), "SHA-256");
    // A job that runs for long: a large file that reads as zeros.
    const auto big = sparseFile(folder(), L"big.bin", 6ull << 30);
    updater().app().setText(IDC_INPUT, big.wstring());
    updater().app().click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return updater().app().visible(IDC_PROGRESS); }));
    // Suspended, so that it neither ends by itself nor keeps the window busy.
    updater().app().click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return updater().app().text(IDC_HASH) == L"Resu&me"; }));
    ASSERT_TRUE(download(IDC_UPDATE_SECOND));
    EXPECT_EQ(updater().message(),
              L"In order to continue with the installation process you have to close the program. Click Install to "
              L"continue or Cancel to run the Setup later.");
    EXPECT_FALSE(updater().enabled(IDC_UPDATE_FIRST));
    EXPECT_TRUE(updater().enabled(IDC_UPDATE_SECOND));
    updater().click(IDC_UPDATE_SECOND);
    ASSERT_TRUE(launches.waitForLines(1));
    EXPECT_NE(launches.lines()[0].find(L"SumwiseSetup.exe"), std::wstring::npos) << narrow(launches.lines()[0]);
    EXPECT_TRUE(waitFor([&] { return updater().app().ended(); }));
    EXPECT_TRUE(std::filesystem::exists(target()));
}

TEST_F(DownloadTest, SetupThatCannotStartLeavesTheProgramRunning) {
    LaunchRecord launches;
    publish("SumwiseSetup.exe", recorderBytes(), "MD5");
    ASSERT_TRUE(download(IDC_UPDATE_SECOND));
    std::filesystem::remove(target());
    updater().click(IDC_UPDATE_SECOND);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(updater().about()); }));
    Sleep(300);
    EXPECT_FALSE(updater().app().ended());
    EXPECT_TRUE(launches.lines().empty());
}

}  // namespace
}  // namespace sumwise::test
