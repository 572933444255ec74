#include "cli/folder_walk.h"

#include <algorithm>
#include <set>

#include "cli/system.h"

namespace sumwise::cli {

namespace {

namespace fs = std::filesystem;

// Deeper than this is a loop the links did not show (or no tree anyone keeps).
constexpr std::size_t kDeepestFolder = 256;

bool isInside(const fs::path& path, const fs::path& top) {
    const auto [stop, rest] = std::mismatch(top.begin(), top.end(), path.begin(), path.end());
    (void)rest;
    return stop == top.end() || (std::next(stop) == top.end() && stop->empty());
}

bool endsWithSeparator(const std::string& name, char separator) {
    return !name.empty() && (name.back() == '/' || name.back() == separator);
}

}  // namespace

bool FolderWalk::walk(const fs::path& folder, const std::string& name) const {
    fs::path top;
    if (const std::error_code error = resolvedPath(systemPath(folder), top)) {
        passed(name, errorText(error), true);
        return true;
    }
    // Names below take the separator the folder's name uses last, else the system's.
    const char preferred = static_cast<char>(fs::path::preferred_separator);
    const std::size_t last = name.find_last_of(std::string{'/', preferred});
    const char separator = last == std::string::npos ? preferred : name[last];
    std::vector<fs::path> chain{top};
    return walkFolder(folder, name, chain, top, separator);
}

bool FolderWalk::walkFolder(const fs::path& folder, const std::string& name, std::vector<fs::path>& chain,
                            const fs::path& top, char separator) const {
    const std::string below = endsWithSeparator(name, separator) ? name : name + separator;
    std::vector<FolderEntry> entries;
    if (const std::error_code error = listFolder(systemPath(folder), entries)) {
        passed(name, errorText(error), true);
        return true;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.leaf.native() < b.leaf.native(); });

    std::set<fs::path::string_type> written;  // the hash files this run writes here
    for (const FolderEntry& entry : entries) {
        for (const std::string& extension : savedExtensions) {
            written.insert(entry.leaf.native() + fs::path("." + extension).native());
        }
    }

    for (const FolderEntry& entry : entries) {
        if (written.contains(entry.leaf.native())) continue;
        const fs::path path = folder / entry.leaf;
        const std::string shown = below + printedName(entry.leaf);
        bool isFolder = entry.kind == FolderEntry::Kind::Folder;
        bool isFile = entry.kind == FolderEntry::Kind::File;
        fs::path real;
        if (entry.kind == FolderEntry::Kind::Link) {
            const std::error_code error = linkTarget(systemPath(path), real, isFolder, isFile);
            if (error == std::errc::operation_not_supported) {
                passed(shown, "not followed: a link", false);
                continue;
            }
            if (error) {
                passed(shown, errorText(error), true);
                continue;
            }
            if (!isInside(real, top)) {
                passed(shown, "not followed: the link leads out of the folder", false);
                continue;
            }
        }
        if (isFolder) {
            if (real.empty()) {
                if (const std::error_code error = resolvedPath(systemPath(path), real)) {
                    passed(shown, errorText(error), true);
                    continue;
                }
            }
            if (std::find(chain.begin(), chain.end(), real) != chain.end()) {
                passed(shown, "not followed: the link leads back to a folder above it", false);
            } else if (chain.size() >= kDeepestFolder) {
                passed(shown, "not followed: folders nested too deeply", true);
            } else {
                chain.push_back(real);
                const bool more = walkFolder(path, shown, chain, top, separator);
                chain.pop_back();
                if (!more) return false;
            }
        } else if (isFile) {
            if (!file(path, shown)) return false;
        } else {
            passed(shown, "passed over: not a file or folder", false);
        }
    }
    return true;
}

}  // namespace sumwise::cli
