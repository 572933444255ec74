// What sumwise-cli asks of the operating system beyond the engine's input
// sources: names as printed and as read back, error reasons, long paths,
// writing hash files and standard output. One implementation per system.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace sumwise::cli {

// A path as printed: its bytes on POSIX systems, UTF-8 on Windows.
std::string printedName(const std::filesystem::path& path);

// A name read from a sums file back to a path: the bytes on POSIX systems;
// on Windows UTF-8 when the bytes are valid UTF-8, else the ANSI code page.
std::filesystem::path pathFromName(std::string_view name);

// The form of a path that system calls accept at any length: on Windows an
// absolute "\\?\" path once the classic limit is near; elsewhere the path.
std::filesystem::path systemPath(const std::filesystem::path& path);

// The error of the system call just made (errno, or GetLastError on Windows).
std::error_code lastSystemError();

// The system's words for an error: "No such file or directory",
// "Permission denied", ... The same words on every system where the error
// has a POSIX counterpart.
std::string errorText(std::error_code error);

struct FolderEntry {
    enum class Kind { File, Folder, Link, Other };
    std::filesystem::path leaf;  // the name within the folder
    Kind kind = Kind::Other;
};

// The entries of a folder, in no particular order, without "." and "..".
std::error_code listFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries);

// A path with every link resolved, for telling where a link leads and
// whether a folder was met before. Windows follows no links in a walk:
// there a link gives errc::operation_not_supported.
std::error_code resolvedPath(const std::filesystem::path& path, std::filesystem::path& real);
std::error_code linkTarget(const std::filesystem::path& link, std::filesystem::path& real, bool& isFolder,
                           bool& isFile);

// Whether a write failed because the reading end of a pipe was closed.
bool isBrokenPipe(std::error_code error);

// Creates or replaces a file with exactly `bytes`.
std::error_code writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

// Writes all of `size` bytes to standard output (`standardError` false) or
// standard error. Returns the error of a failed write.
std::error_code writeStandardStream(bool standardError, const char* data, std::size_t size);

}  // namespace sumwise::cli
