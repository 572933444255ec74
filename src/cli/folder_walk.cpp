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
    std::error_code error;
    const fs::path top = fs::canonical(systemPath(folder), error);
    if (error) {
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
    std::vector<fs::path> leaves;
    std::error_code error;
    fs::directory_iterator entries(systemPath(folder), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        leaves.push_back(entries->path().filename());
    }
    if (error) {
        passed(name, errorText(error), true);
        return true;
    }
    std::sort(leaves.begin(), leaves.end(), [](const fs::path& a, const fs::path& b) { return a.native() < b.native(); });

    std::set<fs::path::string_type> written;  // the hash files this run writes here
    for (const fs::path& leaf : leaves) {
        for (const std::string& extension : savedExtensions) {
            written.insert(leaf.native() + fs::path("." + extension).native());
        }
    }

    for (const fs::path& leaf : leaves) {
        if (written.contains(leaf.native())) continue;
        const fs::path path = folder / leaf;
        const std::string shown = below + printedName(leaf);
        const fs::path usable = systemPath(path);
        const fs::file_status link = fs::symlink_status(usable, error);
        if (error) {
            passed(shown, errorText(error), true);
            continue;
        }
        const fs::file_status target = fs::status(usable, error);
        if (error) {
            passed(shown, errorText(error), true);
            continue;
        }
        if (fs::is_directory(target)) {
            const fs::path real = fs::canonical(usable, error);
            if (error) {
                passed(shown, errorText(error), true);
                continue;
            }
            if (fs::is_symlink(link) && !isInside(real, top)) {
                passed(shown, "not followed: the link leads out of the folder", false);
            } else if (std::find(chain.begin(), chain.end(), real) != chain.end()) {
                passed(shown, "not followed: the link leads back to a folder above it", false);
            } else if (chain.size() >= kDeepestFolder) {
                passed(shown, "not followed: folders nested too deeply", true);
            } else {
                chain.push_back(real);
                const bool more = walkFolder(path, shown, chain, top, separator);
                chain.pop_back();
                if (!more) return false;
            }
        } else if (fs::is_regular_file(target)) {
            if (fs::is_symlink(link)) {
                const fs::path real = fs::canonical(usable, error);
                if (error) {
                    passed(shown, errorText(error), true);
                    continue;
                }
                if (!isInside(real, top)) {
                    passed(shown, "not followed: the link leads out of the folder", false);
                    continue;
                }
            }
            if (!file(path, shown)) return false;
        } else {
            passed(shown, "passed over: not a file or folder", false);
        }
    }
    return true;
}

}  // namespace sumwise::cli
