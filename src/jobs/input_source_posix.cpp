// Input sources over POSIX file descriptors.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "jobs/input_source.h"

namespace sumwise {

namespace {

class DescriptorSource final : public InputSource {
public:
    DescriptorSource(int fd, bool owned, std::optional<std::uint64_t> size)
        : fd_(fd), owned_(owned), size_(size) {}
    ~DescriptorSource() override {
        if (owned_) ::close(fd_);
    }
    DescriptorSource(const DescriptorSource&) = delete;
    DescriptorSource& operator=(const DescriptorSource&) = delete;

    std::size_t read(std::uint8_t* buffer, std::size_t capacity) override {
        std::size_t filled = 0;
        while (filled < capacity && !failed_) {
            const ssize_t got = ::read(fd_, buffer + filled, capacity - filled);
            if (got > 0) {
                filled += static_cast<std::size_t>(got);
                read_ += static_cast<std::uint64_t>(got);
                // A regular file read up to its measured size has ended: a
                // small file then costs one read, not a second for the end.
                if (size_ && *size_ > 0 && read_ == *size_) break;
            } else if (got == 0) {
                break;
            } else if (errno != EINTR) {
                failed_ = true;
                error_ = std::error_code(errno, std::generic_category());
            }
        }
        return filled;
    }
    std::size_t readSome(std::uint8_t* buffer, std::size_t capacity) override {
        while (capacity > 0 && !failed_) {
            const ssize_t got = ::read(fd_, buffer, capacity);
            if (got >= 0) {
                read_ += static_cast<std::uint64_t>(got);
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                failed_ = true;
                error_ = std::error_code(errno, std::generic_category());
            }
        }
        return 0;
    }
    bool failed() const override { return failed_; }
    std::error_code error() const override { return error_; }
    std::optional<std::uint64_t> size() const override { return size_; }

private:
    int fd_;
    bool owned_;
    std::optional<std::uint64_t> size_;
    std::uint64_t read_ = 0;  // by read(), to compare with size_
    bool failed_ = false;
    std::error_code error_;
};

}  // namespace

std::unique_ptr<InputSource> openInput(const std::filesystem::path& path, std::error_code* error) {
    const auto fail = [error](int code) -> std::unique_ptr<InputSource> {
        if (error != nullptr) *error = std::error_code(code, std::generic_category());
        return nullptr;
    };
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return fail(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(code);
    }
    std::optional<std::uint64_t> size;
    if (S_ISREG(info.st_mode)) size = static_cast<std::uint64_t>(info.st_size);
#ifdef POSIX_FADV_SEQUENTIAL
    // Read-ahead matters to large files only; a small one is read in one go.
    constexpr std::uint64_t kReadAheadWorthIt = 1 << 20;
    if (!size || *size >= kReadAheadWorthIt) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return std::make_unique<DescriptorSource>(fd, true, size);
}

std::unique_ptr<InputSource> openStandardInput() {
    return std::make_unique<DescriptorSource>(STDIN_FILENO, false, std::nullopt);
}

std::optional<std::uint64_t> measureInput(const std::filesystem::path& path) {
    const auto source = openInput(path);
    if (!source) return std::nullopt;
    return source->size();
}

}  // namespace sumwise
