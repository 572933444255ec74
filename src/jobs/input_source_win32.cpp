// Input sources over Win32 file handles.
#include <windows.h>

#include "jobs/input_source.h"
#include "jobs/long_path.h"

namespace sumwise {

namespace {

// ERROR_DIRECTORY_NOT_SUPPORTED, which older headers lack.
constexpr DWORD kNotForFolders = 336;

class HandleSource final : public InputSource {
public:
    HandleSource(HANDLE handle, bool owned, std::optional<std::uint64_t> size)
        : handle_(handle), owned_(owned), size_(size) {}
    ~HandleSource() override {
        if (owned_) CloseHandle(handle_);
    }
    HandleSource(const HandleSource&) = delete;
    HandleSource& operator=(const HandleSource&) = delete;

    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        std::size_t filled = 0;
        while (filled < capacity && !failed_) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(capacity - filled, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(handle_, buffer + filled, want, &got, nullptr)) {
                const DWORD error = GetLastError();
                // The end of a volume or of a pipe whose writer has gone is
                // the end of the input, not a failure.
                if (error != ERROR_HANDLE_EOF && error != ERROR_BROKEN_PIPE) {
                    failed_ = true;
                    error_ = std::error_code(static_cast<int>(error), std::system_category());
                }
                break;
            }
            if (got == 0) break;
            filled += got;
        }
        return filled;
    }
    std::size_t readSome(std::uint8_t* buffer, std::size_t capacity) override {
        if (failed_ || capacity == 0) return 0;
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
        if (!ReadFile(handle_, buffer, want, &got, nullptr)) {
            const DWORD error = GetLastError();
            if (error != ERROR_HANDLE_EOF && error != ERROR_BROKEN_PIPE) {
                failed_ = true;
                error_ = std::error_code(static_cast<int>(error), std::system_category());
            }
            return 0;
        }
        return got;
    }
    bool failed() const override { return failed_; }
    std::error_code error() const override { return error_; }
    std::optional<std::uint64_t> size() const override { return size_; }

private:
    HANDLE handle_;
    bool owned_;
    std::optional<std::uint64_t> size_;
    bool failed_ = false;
    std::error_code error_;
};

std::optional<std::uint64_t> fileSize(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace

std::unique_ptr<InputSource> openInput(const std::filesystem::path& path, std::error_code* error) {
    const auto fail = [error](DWORD code) -> std::unique_ptr<InputSource> {
        if (error != nullptr) *error = std::error_code(static_cast<int>(code), std::system_category());
        return nullptr;
    };
    // Others may go on reading and writing the file while it is hashed; a
    // directory fails here because it is opened without backup semantics.
    const std::wstring longPath = extendedLengthPath(path.native());
    const HANDLE handle = CreateFileW(longPath.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // A folder is refused as "access denied"; say what it is instead.
        const DWORD attributes = GetFileAttributesW(longPath.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return fail(folder ? kNotForFolders : code);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(handle);
        return fail(kNotForFolders);
    }
    // A raw volume ("\\.\X:") reports no meaningful file size.
    const std::wstring& text = path.native();
    const bool volume = text.size() >= 4 && text.compare(0, 4, L"\\\\.\\") == 0;
    return std::make_unique<HandleSource>(handle, true, volume ? std::nullopt : fileSize(handle));
}

std::unique_ptr<InputSource> openStandardInput() {
    return std::make_unique<HandleSource>(GetStdHandle(STD_INPUT_HANDLE), false, std::nullopt);
}

std::optional<std::uint64_t> measureInput(const std::filesystem::path& path) {
    const auto source = openInput(path);
    if (!source) return std::nullopt;
    return source->size();
}

}  // namespace sumwise
