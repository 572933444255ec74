// The update dialog's tests share these: the program with its update dialog
// open against the local update server, and the texts the dialog shows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app_harness.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "toolkit/look.h"
#include "update/internet_error.h"
#include "update_site.h"

namespace sumwise::test {

inline std::string narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

inline std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path().filename());
    return files;
}

// The system's text for an error code: WinINet's own codes from its
// message table. Empty when there is none.
inline std::wstring messageOf(DWORD code) {
    const HMODULE wininet = code >= 12000 && code < 13000 ? GetModuleHandleW(L"wininet.dll") : nullptr;
    wchar_t message[256] = {};
    FormatMessageW((wininet != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM) |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   wininet, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), message, 256, nullptr);
    std::wstring text = message;
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

inline const std::wstring kCurrent = L"1.62.780.7200";

inline std::wstring newerText(const std::wstring& version) {
    return L"Click on the button to download the portable version or the Setup program.\nCurrent version: " + kCurrent +
           L"\nNew version: " + version;
}

inline const std::wstring kUpToDateText =
    L"You are already using the latest version of the program. Please check again later.\nCurrent version: " + kCurrent;

// The program with its About box and update dialog open, against a site of
// the local update server.
class Updater {
public:
    // `idleLimit`: how long the check and the download wait for the server's next byte.
    explicit Updater(const UpdateSite&, DWORD idleLimit = 30000)
        : app_(L"", [idleLimit](AppServices& services) { services.updateIdleLimit = idleLimit; }) {}

    RunningApp& app() { return app_; }
    HWND about() const { return about_; }
    HWND dialog() const { return update_; }

    // Opens About and the update dialog (with Ctrl or Shift held as given).
    bool open(bool ctrl = false, bool shift = false) {
        app_.ctrl = ctrl;
        app_.shift = shift;
        postClick(app_.dialog(), IDC_ABOUT);
        about_ = waitForOwnedWindow(app_.dialog());
        if (about_ == nullptr) return false;
        postClick(about_, IDC_ABOUT_UPDATES);
        update_ = waitForOwnedWindow(about_);
        app_.ctrl = false;
        app_.shift = false;
        return update_ != nullptr;
    }

    std::wstring heading() const { return dialogText(update_, IDC_UPDATE_HEADING); }
    std::wstring message() const { return dialogText(update_, IDC_UPDATE_TEXT); }
    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(update_, id)) != FALSE; }
    bool waitForHeading(const std::wstring& heading) const {
        return waitFor([&] { return dialogText(update_, IDC_UPDATE_HEADING) == heading; });
    }
    bool waitUntilClosed() const {
        return waitFor([&] { return !IsWindow(update_); }, std::chrono::seconds(20));
    }
    void click(int id) const { postClick(update_, id); }

    // The text of the error box over the update dialog, which is then closed.
    std::wstring dismissErrorBox() const {
        const HWND box = waitForOwnedWindow(update_, std::chrono::seconds(20));
        if (box == nullptr) return L"<no error box>";
        const std::wstring text = dialogText(box, 0xFFFF);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return text;
    }

    // Checks, then downloads with the first (Download) or second (Install)
    // button into `target`; the button is clicked `clicks` times at once.
    bool download(int button, const std::filesystem::path& target, bool shift = false, int clicks = 1) {
        if (!waitForHeading(L"There is a new version available")) return false;
        app_.answerSaveDialog(target);
        app_.shift = shift;
        for (int i = 0; i < clicks; ++i) click(button);
        return waitFor([&] { return !app_.offeredDownloadNames().empty(); });
    }

private:
    RunningApp app_;
    HWND about_ = nullptr;
    HWND update_ = nullptr;
};

class UpdateTest : public testing::Test {
protected:
    void SetUp() override {
        if (!UpdateSite::serverRunning()) GTEST_SKIP() << "the update test server is not running";
    }
};

}  // namespace sumwise::test
