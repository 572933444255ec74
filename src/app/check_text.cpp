#include "app/check_text.h"

#include <shlobj.h>

#include <cstring>

#include "text/size_text.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"
#include "resources/resource_ids.h"

namespace sumwise {

std::wstring wideName(std::string_view name) {
    if (auto utf8 = strictUtf8(name)) return std::move(*utf8);
    return fromAnsi(name);
}

std::wstring speedText(std::uint64_t done, std::uint64_t total, double seconds) {
    if (seconds < 0.2 || done == 0) return {};
    const double speed = static_cast<double>(done) / seconds;
    const auto left = static_cast<std::uint64_t>(static_cast<double>(total - std::min(done, total)) / speed + 0.5);
    wchar_t time[32];
    if (left >= 3600) {
        swprintf(time, 32, L"%llu:%02llu:%02llu", left / 3600, left / 60 % 60, left % 60);
    } else {
        swprintf(time, 32, L"%llu:%02llu", left / 60, left % 60);
    }
    const std::wstring rate = sizeText(static_cast<std::uint64_t>(speed), decimalSeparator());
    return loadFormatted(IDS_CHECK_SPEED, {std::wstring_view(rate), std::wstring_view(time)});
}

bool copyToClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    bool done = false;
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

void showFileInFolder(const std::wstring& path) {
    if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(path.c_str())) {
        SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
    }
}

}  // namespace sumwise
