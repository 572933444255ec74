// The check of a folder of version files before it is published (the
// "files" folder of a release): what the program would accept from it.
// Portable, for sumwise-cli --verify-update.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "algorithms/ed25519/ed25519.h"

namespace sumwise {

struct UpdateFolderReport {
    bool passed = true;
    // One line per finding, good or bad, naming the file.
    std::vector<std::string> lines;
};

// Checks latest.txt (required) and beta.txt (when present) in `folder`, or
// in its "files" folder when it has no latest.txt itself: each is at most
// 511 bytes (all the program reads), names a version on its first line and
// at least one download with an algorithm the program computes, and with
// `key` carries a signature file that verifies over its exact bytes.
UpdateFolderReport checkUpdateFolder(const std::filesystem::path& folder, const std::optional<Ed25519PublicKey>& key);

}  // namespace sumwise
