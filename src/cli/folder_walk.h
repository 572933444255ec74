// -r: the files in a folder and its subfolders, depth first in name order.
// Links are followed only while they stay inside the folder and lead to no
// folder already on the way down; what cannot be read is reported and passed.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace sumwise::cli {

struct FolderWalk {
    // Extensions of the hash files being written ("sha-256"): a file named
    // after a file beside it plus one of them is passed over.
    std::vector<std::string> savedExtensions;
    // Called for each file with its path and its printed name; false stops the walk.
    std::function<bool(const std::filesystem::path& path, const std::string& name)> file;
    // Called for what is passed over: a failure (an error to count) or a note.
    std::function<void(const std::string& name, const std::string& why, bool failure)> passed;

    // `name` is the folder as given; names below it add the separator it ends
    // with, or the system's. False when `file` stopped the walk.
    bool walk(const std::filesystem::path& folder, const std::string& name) const;

private:
    bool walkFolder(const std::filesystem::path& folder, const std::string& name,
                    std::vector<std::filesystem::path>& chain, const std::filesystem::path& top,
                    char separator) const;
};

}  // namespace sumwise::cli
