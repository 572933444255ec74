#include "app/input_failure_text.h"

#include <windows.h>

#include "resources/resource_ids.h"
#include "text/size_text.h"
#include "toolkit/strings.h"

namespace sumwise {

namespace {

// ERROR_DIRECTORY_NOT_SUPPORTED: how the input reports a folder.
constexpr int kNotForFolders = 336;

}  // namespace

std::wstring systemReason(const std::error_code& error) {
    if (!error) return {};
    if (error.category() == std::system_category()) {
        // Tried in the user's language, then in whatever language the system has.
        if (error.value() == kNotForFolders) return loadText(IDS_INPUT_IS_FOLDER);
        for (const LanguageId language : {uiLanguage(), LanguageId{0}}) {
            wchar_t* buffer = nullptr;
            const DWORD length = FormatMessageW(
                FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                static_cast<DWORD>(error.value()), language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
            if (length == 0 || buffer == nullptr) continue;
            std::wstring text(buffer, length);
            LocalFree(buffer);
            while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                                     text.back() == L'.')) {
                text.pop_back();
            }
            if (!text.empty()) return text;
        }
    }
    return loadFormatted(IDS_INPUT_ERROR_CODE, {static_cast<std::int64_t>(error.value())});
}

std::wstring inputFailureText(const InputFailure& failure) {
    switch (failure.kind) {
    case InputFailure::Kind::NoDrive: return loadText(IDS_NO_DRIVE_CHOSEN);
    case InputFailure::Kind::ReadError: {
        const std::wstring read = sizeText(failure.bytesRead, decimalSeparator());
        return loadFormatted(IDS_READ_FAILED, {std::wstring_view(read), std::wstring_view(systemReason(failure.error))});
    }
    case InputFailure::Kind::CannotOpen: break;
    }
    return loadFormatted(IDS_CANNOT_OPEN, {std::wstring_view(systemReason(failure.error))});
}

}  // namespace sumwise
