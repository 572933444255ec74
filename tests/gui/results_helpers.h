// Small helpers the results list's tests share: texts, file contents and
// waiting for the dialog's thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "app_harness.h"
#include "jobs/long_path.h"
#include "test_support.h"

namespace sumwise::test {

inline std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
inline std::wstring hexAbc(const char* name) { return wide(hexOf(name, std::string_view("abc"))); }

// The bytes of a file at any path length; "<none>" when it cannot be opened.
inline std::string fileBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(extendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<none>";
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

inline std::string ansi(const std::wstring& text) { return std::string(text.begin(), text.end()); }

inline std::size_t saveRequestCount(RunningApp& app) {
    std::lock_guard lock(RecordingTaskbar::mutex);
    return app.dialogs.saveRequests.size();
}

// Waits until the dialog's thread has handled everything posted to it so far.
inline void settle(RunningApp& app) {
    for (int round = 0; round < 3; ++round) SendMessageW(app.dialog(), WM_NULL, 0, 0);
}

}  // namespace sumwise::test
