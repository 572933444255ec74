// sumwise-cli on POSIX systems: names are bytes, errors are errno values.
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "cli/system.h"

namespace sumwise::cli {

std::string printedName(const std::filesystem::path& path) { return path.native(); }

std::filesystem::path pathFromName(std::string_view name) { return std::filesystem::path(std::string(name)); }

std::filesystem::path systemPath(const std::filesystem::path& path) { return path; }

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

std::error_code listFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator iterator(folder, error);
    for (; !error && iterator != fs::directory_iterator(); iterator.increment(error)) {
        FolderEntry entry;
        entry.leaf = iterator->path().filename();
        std::error_code unknown;
        const fs::file_status status = iterator->symlink_status(unknown);
        if (fs::is_symlink(status)) {
            entry.kind = FolderEntry::Kind::Link;
        } else if (fs::is_directory(status)) {
            entry.kind = FolderEntry::Kind::Folder;
        } else if (fs::is_regular_file(status)) {
            entry.kind = FolderEntry::Kind::File;
        }
        entries.push_back(std::move(entry));
    }
    return error;
}

std::error_code resolvedPath(const std::filesystem::path& path, std::filesystem::path& real) {
    std::error_code error;
    real = std::filesystem::canonical(path, error);
    return error;
}

std::error_code linkTarget(const std::filesystem::path& link, std::filesystem::path& real, bool& isFolder,
                           bool& isFile) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(link, error);
    if (error) return error;
    isFolder = std::filesystem::is_directory(status);
    isFile = std::filesystem::is_regular_file(status);
    return resolvedPath(link, real);
}

bool isBrokenPipe(std::error_code error) {
    return error.value() == EPIPE && (error.category() == std::generic_category() || error.category() == std::system_category());
}

std::error_code writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return lastSystemError();
    std::error_code error;
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            error = lastSystemError();
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    // A full disk may only show when the file is closed (network file systems).
    if (::close(fd) != 0 && !error && errno != EINTR) error = lastSystemError();
    return error;
}

std::error_code writeStandardStream(bool standardError, const char* data, std::size_t size) {
    const int fd = standardError ? STDERR_FILENO : STDOUT_FILENO;
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return lastSystemError();
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

}  // namespace sumwise::cli
