// sumwise-cli on Windows: names are printed in UTF-8 (WTF-8 for the odd
// unpaired surrogate, so every name reads back), errors are Win32 codes, and
// long paths take the "\\?\" form.
#include <windows.h>

#include <algorithm>
#include <optional>

#include "cli/system.h"
#include "jobs/long_path.h"
#include "results/hash_file.h"

namespace sumwise::cli {

namespace {

// UTF-8 that may also encode unpaired surrogates (as Windows names may hold
// them); none for anything else that is not UTF-8.
std::optional<std::wstring> fromWtf8(std::string_view text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            c = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + length > text.size()) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[length] || c > 0x10FFFF) return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += length;
    }
    return out;
}

std::wstring fromCodePage(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    }
    return result;
}

}  // namespace

std::string printedName(const std::filesystem::path& path) {
    const std::wstring& text = path.native();
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char32_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::filesystem::path pathFromName(std::string_view name) {
    if (auto wide = fromWtf8(name)) return std::filesystem::path(std::move(*wide));
    return std::filesystem::path(fromCodePage(name, CP_ACP));
}

std::filesystem::path systemPath(const std::filesystem::path& path) {
    return std::filesystem::path(extendedLengthPath(path.native()));
}

std::error_code lastSystemError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

std::error_code listFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries) {
    std::wstring pattern = folder.native();
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return lastSystemError();
    std::error_code error;
    do {
        const std::wstring_view leaf = found.cFileName;
        if (leaf == L"." || leaf == L"..") continue;
        FolderEntry entry;
        entry.leaf = std::filesystem::path(std::wstring(leaf));
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK || found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT)) {
            entry.kind = FolderEntry::Kind::Link;
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            entry.kind = FolderEntry::Kind::Folder;
        } else {
            entry.kind = FolderEntry::Kind::File;
        }
        entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) error = lastSystemError();
    FindClose(search);
    return error;
}

std::error_code resolvedPath(const std::filesystem::path& path, std::filesystem::path& real) {
    // No links are followed, so the path as given tells folders apart well enough.
    real = path.lexically_normal();
    return {};
}

std::error_code linkTarget(const std::filesystem::path&, std::filesystem::path&, bool&, bool&) {
    return std::make_error_code(std::errc::operation_not_supported);
}

bool isBrokenPipe(std::error_code error) {
    if (error == std::errc::broken_pipe) return true;
    if (error.category() != std::system_category()) return false;
    return error.value() == ERROR_NO_DATA || error.value() == ERROR_BROKEN_PIPE;
}

std::error_code writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastSystemError();
    std::error_code error;
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(file, bytes.data(), want, &written, nullptr)) {
            error = lastSystemError();
            break;
        }
        bytes.remove_prefix(written);
    }
    if (!CloseHandle(file) && !error) error = lastSystemError();
    return error;
}

std::error_code writeStandardStream(bool standardError, const char* data, std::size_t size) {
    const HANDLE handle = GetStdHandle(standardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return {ERROR_INVALID_HANDLE, std::system_category()};
    }
    while (size > 0) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
        if (!WriteFile(handle, data, want, &written, nullptr)) {
            const DWORD error = GetLastError();
            // A reader that went away: what POSIX systems call a broken pipe.
            if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED) {
                return std::make_error_code(std::errc::broken_pipe);
            }
            return {static_cast<int>(error), std::system_category()};
        }
        data += written;
        size -= written;
    }
    return {};
}

}  // namespace sumwise::cli
