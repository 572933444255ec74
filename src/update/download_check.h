// The integrity check of a downloaded update: the file's digest with the
// algorithm its version file names must equal the published digest.
#pragma once

#include <filesystem>
#include <string_view>

#include "jobs/stream_control.h"
#include "update/version_file.h"

namespace sumwise {

enum class DownloadCheck {
    Verified,
    NotPublished,      // no entry names the download
    UnknownAlgorithm,  // the entry's algorithm is none the program computes
    Unreadable,        // the file could not be read to its end
    Mismatch,          // the digests differ
    Stopped,           // `signals` asked to stop
};

// Checks `file`, downloaded as `downloadName`, against the first entry of
// `published` that names it. Any algorithm of the table may be named
// (letter case ignored); the digests compare regardless of letter case.
// Only `signals` (may be null) controls the computation: it reports no
// progress to anyone.
DownloadCheck checkDownload(const VersionFile& published, std::wstring_view downloadName,
                            const std::filesystem::path& file, const JobSignals* signals = nullptr);

}  // namespace sumwise
