// What the update and About tests need around the program: a site of their
// own on the local update server, and a recorder standing in for the
// programs Sumwise starts (mail client, browser, downloaded update).
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sumwise::test {

// A folder of the local update server (started by the test fixture, whose
// root SUMWISE_TEST_SERVER_ROOT names), served at baseUrl(), removed with
// its files when the object goes. While it lives, the program asks it.
class UpdateSite {
public:
    // Whether the server runs; the tests that need it are skipped without.
    static bool serverRunning();
    // The public key (64 hexadecimal digits) of the key pair the server made
    // at its start and signs with (see answer(): "sign"); none without openssl.
    static std::optional<std::string> testKey();

    UpdateSite();
    ~UpdateSite();
    UpdateSite(const UpdateSite&) = delete;
    UpdateSite& operator=(const UpdateSite&) = delete;

    const std::wstring& baseUrl() const { return baseUrl_; }
    // files/latest.txt and files/beta.txt.
    void publishRelease(const std::string& versionFile) const;
    void publishBeta(const std::string& versionFile) const;
    // What download.php?file=NAME answers.
    void publishDownload(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    // How a file is answered (see the server's description): `path` is
    // "files/latest.txt" or "downloads/NAME"; `how` a JSON object.
    void answer(const std::string& path, const std::string& how) const;
    // The requests the site received, as paths below it.
    std::vector<std::string> requests() const;

private:
    void write(const std::string& path, const std::string& bytes) const;

    std::filesystem::path folder_;
    std::wstring baseUrl_;
    std::optional<std::wstring> previousUrl_;
};

// A server on 127.0.0.1 that accepts every connection and never sends a
// byte, not even to the connectivity probe. While it lives, the program asks it.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // Empty when no socket could be opened.
    const std::wstring& baseUrl() const { return baseUrl_; }
    // Connections accepted so far.
    int accepted() const { return accepted_.load(); }

private:
    std::uintptr_t listener_;  // a SOCKET
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::thread thread_;
    std::wstring baseUrl_;
    std::optional<std::wstring> previousUrl_;
};

// Registers the recorder as the mail client (HKLM\Software\Clients\Mail) and
// as the handler of http and https links (HKLM\Software\Classes: Wine reads
// no per-user classes), and collects what it is started with. Restores the
// registry when it goes.
class LaunchRecord {
public:
    LaunchRecord();
    ~LaunchRecord();
    LaunchRecord(const LaunchRecord&) = delete;
    LaunchRecord& operator=(const LaunchRecord&) = delete;

    // The recorder program and the folder it is in (what %SUMWISE_RECORDER_DIR% expands to).
    static std::filesystem::path recorder();
    // The mail client's command; by default "%SUMWISE_RECORDER_DIR%\launch_recorder.exe" %1 in quotes.
    void setMailCommand(const std::wstring& commandTemplate) const;
    // No default mail client at all.
    void removeMailClient() const;

    // The command lines seen so far.
    std::vector<std::wstring> lines() const;
    // Waits until at least `count` lines are there.
    bool waitForLines(std::size_t count) const;

private:
    std::filesystem::path log_;
};

}  // namespace sumwise::test
