// sumwise-cli on POSIX systems: names are bytes, errors are errno values.
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "cli/system.h"

namespace sumwise::cli {

std::string printedName(const std::filesystem::path& path) { return path.native(); }

std::filesystem::path pathFromName(std::string_view name) { return std::filesystem::path(std::string(name)); }

std::filesystem::path systemPath(const std::filesystem::path& path) { return path; }

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

std::error_code listFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return lastSystemError();
    std::error_code error;
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(listing);
        if (found == nullptr) {
            if (errno != 0) error = lastSystemError();
            break;
        }
        if (std::strcmp(found->d_name, ".") == 0 || std::strcmp(found->d_name, "..") == 0) continue;
        FolderEntry entry;
        entry.leaf = found->d_name;
        // The listing's own type saves a look at each entry; only file systems
        // that do not keep it need one.
        unsigned char type = found->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(::dirfd(listing), found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                type = S_ISLNK(info.st_mode)   ? DT_LNK
                       : S_ISDIR(info.st_mode) ? DT_DIR
                       : S_ISREG(info.st_mode) ? DT_REG
                                               : DT_UNKNOWN;
            }
        }
        if (type == DT_LNK) {
            entry.kind = FolderEntry::Kind::Link;
        } else if (type == DT_DIR) {
            entry.kind = FolderEntry::Kind::Folder;
        } else if (type == DT_REG) {
            entry.kind = FolderEntry::Kind::File;
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(listing);
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
