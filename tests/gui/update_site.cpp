// Winsock first: it must come before windows.h.
#include <winsock2.h>

#include "update_site.h"

#include <atomic>
#include <fstream>
#include <sstream>

#include "app_harness.h"
#include "update/update_server.h"

namespace sumwise::test {

namespace {

std::optional<std::wstring> environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    if (length == 0 || length >= 1024) return std::nullopt;
    return std::wstring(value, length);
}

// The server's root: a Unix path, seen through Wine's Z: drive.
std::optional<std::filesystem::path> serverRoot() {
    const auto root = environment(L"SUMWISE_TEST_SERVER_ROOT");
    if (!root || root->empty()) return std::nullopt;
    std::wstring path = *root;
    if (path.front() == L'/') {
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        path = L"Z:" + path;
    }
    return std::filesystem::path(path);
}

std::optional<int> serverPort() {
    const auto root = serverRoot();
    if (!root) return std::nullopt;
    std::ifstream file(*root / "server.port");
    int port = 0;
    if (!(file >> port) || port <= 0) return std::nullopt;
    return port;
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// The default value of a key, or none.
std::optional<std::wstring> defaultValue(HKEY root, const std::wstring& path) {
    wchar_t value[1024] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

void setDefaultValue(HKEY root, const std::wstring& path, const std::wstring& value, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

constexpr const wchar_t* kMailClients = L"Software\\Clients\\Mail";
constexpr const wchar_t* kTestClient = L"SumwiseTestMail";
constexpr const wchar_t* kBrowserCommands[] = {L"Software\\Classes\\http\\shell\\open\\command",
                                               L"Software\\Classes\\https\\shell\\open\\command"};
std::optional<std::wstring> gPreviousMailClient;
std::optional<std::wstring> gPreviousBrowsers[2];

}  // namespace

bool UpdateSite::serverRunning() { return serverPort().has_value(); }

std::optional<std::string> UpdateSite::testKey() {
    const auto root = serverRoot();
    if (!root) return std::nullopt;
    std::ifstream file(*root / "test-key.hex");
    std::string key;
    if (!(file >> key) || key.size() != 64) return std::nullopt;
    return key;
}

UpdateSite::UpdateSite() {
    static std::atomic<int> counter{0};
    const auto root = serverRoot();
    const auto port = serverPort();
    if (!root || !port) return;
    const std::string name = "site-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    folder_ = *root / name;
    std::filesystem::create_directories(folder_ / "files");
    std::filesystem::create_directories(folder_ / "downloads");
    baseUrl_ = L"http://127.0.0.1:" + std::to_wstring(*port) + L"/" + std::wstring(name.begin(), name.end()) + L"/";
    previousUrl_ = environment(kUpdateUrlVariable);
    SetEnvironmentVariableW(kUpdateUrlVariable, baseUrl_.c_str());
}

UpdateSite::~UpdateSite() {
    SetEnvironmentVariableW(kUpdateUrlVariable, previousUrl_ ? previousUrl_->c_str() : nullptr);
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

void UpdateSite::write(const std::string& path, const std::string& bytes) const {
    std::ofstream file(folder_ / path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void UpdateSite::publishRelease(const std::string& versionFile) const { write("files/latest.txt", versionFile); }

void UpdateSite::publishBeta(const std::string& versionFile) const { write("files/beta.txt", versionFile); }

void UpdateSite::publishDownload(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    write("downloads/" + name, std::string(bytes.begin(), bytes.end()));
}

void UpdateSite::answer(const std::string& path, const std::string& how) const { write(path + ".how", how); }

std::vector<std::string> UpdateSite::requests() const { return splitLines(readAll(folder_ / "requests.log")); }

SilentServer::SilentServer() : listener_(INVALID_SOCKET) {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        return;
    }
    listener_ = listener;
    baseUrl_ = L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/silent/";
    previousUrl_ = environment(kUpdateUrlVariable);
    SetEnvironmentVariableW(kUpdateUrlVariable, baseUrl_.c_str());
    thread_ = std::thread([this, listener] {
        std::vector<SOCKET> connections;
        while (!stop_.load()) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener, &ready);
            timeval wait{0, 20000};
            if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
            const SOCKET connection = accept(listener, nullptr, nullptr);
            if (connection == INVALID_SOCKET) continue;
            // Kept open and never answered.
            connections.push_back(connection);
            ++accepted_;
        }
        for (SOCKET connection : connections) closesocket(connection);
    });
}

SilentServer::~SilentServer() {
    if (listener_ == INVALID_SOCKET) return;
    SetEnvironmentVariableW(kUpdateUrlVariable, previousUrl_ ? previousUrl_->c_str() : nullptr);
    stop_ = true;
    thread_.join();
    closesocket(static_cast<SOCKET>(listener_));
    WSACleanup();
}

LaunchRecord::LaunchRecord() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static std::atomic<int> counter{0};
    log_ = std::filesystem::path(temp) /
           (L"sumwise-launches-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L".txt");
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
    SetEnvironmentVariableW(L"SUMWISE_LAUNCH_LOG", log_.c_str());
    SetEnvironmentVariableW(L"SUMWISE_RECORDER_DIR", recorder().parent_path().c_str());

    gPreviousMailClient = defaultValue(HKEY_LOCAL_MACHINE, kMailClients);
    setDefaultValue(HKEY_LOCAL_MACHINE, kMailClients, kTestClient);
    setMailCommand(L"\"%SUMWISE_RECORDER_DIR%\\launch_recorder.exe\" %1");
    const std::wstring browser = L"\"" + recorder().wstring() + L"\" \"%1\"";
    for (int i = 0; i < 2; ++i) {
        gPreviousBrowsers[i] = defaultValue(HKEY_LOCAL_MACHINE, kBrowserCommands[i]);
        setDefaultValue(HKEY_LOCAL_MACHINE, kBrowserCommands[i], browser);
    }
}

LaunchRecord::~LaunchRecord() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kMailClients) + L"\\" + kTestClient).c_str());
    if (gPreviousMailClient) {
        setDefaultValue(HKEY_LOCAL_MACHINE, kMailClients, *gPreviousMailClient);
    } else {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMailClients);
    }
    for (int i = 0; i < 2; ++i) {
        if (gPreviousBrowsers[i]) setDefaultValue(HKEY_LOCAL_MACHINE, kBrowserCommands[i], *gPreviousBrowsers[i]);
    }
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
}

std::filesystem::path LaunchRecord::recorder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / L"launch_recorder.exe";
}

void LaunchRecord::setMailCommand(const std::wstring& commandTemplate) const {
    setDefaultValue(HKEY_LOCAL_MACHINE,
                    std::wstring(kMailClients) + L"\\" + kTestClient + L"\\Protocols\\mailto\\shell\\open\\command",
                    commandTemplate, REG_EXPAND_SZ);
}

void LaunchRecord::removeMailClient() const { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMailClients); }

std::vector<std::wstring> LaunchRecord::lines() const {
    std::vector<std::wstring> result;
    for (const std::string& line : splitLines(readAll(log_))) {
        const int size = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
        result.push_back(wide);
    }
    return result;
}

bool LaunchRecord::waitForLines(std::size_t count) const {
    return waitFor([&] { return lines().size() >= count; }, std::chrono::seconds(20));
}

}  // namespace sumwise::test
