#include "results/daily_log_file.h"

#include <shlobj.h>

#include "resources/resource_ids.h"
#include "toolkit/strings.h"

namespace sumwise {

namespace {

std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring applicationDataLogs() {
    wchar_t appData[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE)) return {};
    std::wstring product = loadText(IDS_PRODUCT);
    if (product.empty()) product = L"Sumwise";
    const std::wstring folder = std::wstring(appData) + L"\\" + product;
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring logs = folder + L"\\Logs";
    CreateDirectoryW(logs.c_str(), nullptr);
    return logs;
}

// The folder, made when missing (a failure shows when the file is opened).
const std::wstring& made(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// The day's file opened for writing, shared with the other windows'
// writers; a writer that finds it held by some other program waits briefly.
HANDLE openDayFile(const std::wstring& folder, const LocalTime& postedAt) {
    const std::wstring name = logFileName(folder, postedAt);
    for (int attempt = 0; attempt < 50; ++attempt) {
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) break;
        Sleep(20);
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

DailyLogFile::DailyLogFile(std::wstring folder, std::wstring fallbackFolder)
    : folder_(std::move(folder)), fallbackFolder_(std::move(fallbackFolder)) {}

LocalTime DailyLogFile::now() const {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds};
}

std::string encodeLogLines(const std::vector<std::wstring>& lines) {
    std::string bytes;
    for (const std::wstring& line : lines) {
        std::string encoded;
        if (!line.empty()) {
            const int size = WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                                 nullptr, nullptr);
            encoded.resize(static_cast<std::size_t>(std::max(size, 0)));
            if (size > 0) {
                WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), encoded.data(), size,
                                    nullptr, nullptr);
            }
        }
        if (encoded.size() > 1022) encoded.resize(1022);  // room for CR LF within 1024 bytes
        bytes += encoded;
        bytes += "\r\n";
    }
    return bytes;
}

bool DailyLogFile::append(const LocalTime& postedAt, const std::vector<std::wstring>& lines) {
    const std::string bytes = encodeLogLines(lines);
    HANDLE file = openDayFile(made(folder_.empty() ? programFolder() + L"\\Logs" : folder_), postedAt);
    if (file == INVALID_HANDLE_VALUE) {
        const std::wstring elsewhere = fallbackFolder_.empty() ? applicationDataLogs() : made(fallbackFolder_);
        if (!elsewhere.empty()) file = openDayFile(elsewhere, postedAt);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    // Writers take turns on a lock far beyond any real data (readers of the
    // log are not held up); holding it, each finds the end and writes its
    // whole entry at once, so entries are never lost or interleaved.
    OVERLAPPED turn{};
    turn.Offset = 0xFFFFFFF0;
    turn.OffsetHigh = 0x7FFFFFFF;
    const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != FALSE;
    DWORD written = 0;
    const LARGE_INTEGER zero{};
    const BOOL ok = SetFilePointerEx(file, zero, nullptr, FILE_END) &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (locked) UnlockFileEx(file, 0, 1, 0, &turn);
    CloseHandle(file);
    return ok && written == bytes.size();
}

}  // namespace sumwise
