// The version files the update server publishes ("latest.txt", "beta.txt"):
// a version number on the first line and up to three published files with
// the digest each must have. Also the ordering of version numbers. Portable
// and total: any text gives a bounded result.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace sumwise {

// Limits of the format, in characters.
inline constexpr std::size_t kVersionFileMaxLength = 511;
inline constexpr std::size_t kVersionMaxLength = 31;
inline constexpr std::size_t kEntryFileNameMaxLength = 31;
// Room for every algorithm name ("RIPEMD-160", "SHA-1-IME") with more to spare.
inline constexpr std::size_t kEntryAlgorithmMaxLength = 31;
inline constexpr std::size_t kEntryDigestMaxLength = 128;
inline constexpr std::size_t kMaxDownloadEntries = 3;

// One published file: "name:algorithm:digest".
struct DownloadEntry {
    std::wstring fileName;
    std::wstring algorithm;
    std::wstring digest;

    bool operator==(const DownloadEntry&) const = default;
};

struct VersionFile {
    std::wstring version;  // empty when the text has no complete first line
    std::array<DownloadEntry, kMaxDownloadEntries> entries{};
    std::size_t entryCount = 0;

    // The first entry naming `fileName` (ASCII letter case ignored), or null.
    const DownloadEntry* entryFor(std::wstring_view fileName) const;
};

// Lines end with LF; a CR before it is dropped. The first line is the
// version and counts only when an LF ends it. Lines 2 to 4 are entries; a
// line without both colons is not one. The last field of the text's last
// line runs to the end of the text. Fields and the version are cut to their
// limits; the text is read up to 511 characters.
VersionFile parseVersionFile(std::wstring_view text);

// A version number as a text that sorts like the version: at most four
// dot-separated components, each cut to 5 characters or padded on the left
// with '0' to 5. "1.62.780.7200" gives "00001000620078007200", "1" gives
// "00001". At most 20 characters.
std::wstring normaliseVersion(std::wstring_view version);

// Whether `candidate` is a later version than `baseline`.
bool isNewerVersion(std::wstring_view baseline, std::wstring_view candidate);

}  // namespace sumwise
