#include "update/version_file.h"

#include <algorithm>

#include "text/ascii_case.h"

namespace sumwise {

namespace {

constexpr std::size_t kComponentWidth = 5;
constexpr std::size_t kMaxComponents = 4;

std::wstring cut(std::wstring_view text, std::size_t limit) { return std::wstring(text.substr(0, limit)); }

// "name:algorithm:digest", or false when a colon is missing.
bool parseEntry(std::wstring_view line, DownloadEntry& entry) {
    const std::size_t first = line.find(L':');
    if (first == std::wstring_view::npos) return false;
    const std::size_t second = line.find(L':', first + 1);
    if (second == std::wstring_view::npos) return false;
    entry.fileName = cut(line.substr(0, first), kEntryFileNameMaxLength);
    entry.algorithm = cut(line.substr(first + 1, second - first - 1), kEntryAlgorithmMaxLength);
    entry.digest = cut(line.substr(second + 1), kEntryDigestMaxLength);
    return true;
}

}  // namespace

const DownloadEntry* VersionFile::entryFor(std::wstring_view fileName) const {
    for (std::size_t i = 0; i < entryCount && i < entries.size(); ++i) {
        if (equalsIgnoringAsciiCase(entries[i].fileName, fileName)) return &entries[i];
    }
    return nullptr;
}

VersionFile parseVersionFile(std::wstring_view text) {
    VersionFile file;
    text = text.substr(0, kVersionFileMaxLength);
    // Up to four lines: the version and three entries.
    for (std::size_t lineNumber = 0; lineNumber <= kMaxDownloadEntries && !text.empty(); ++lineNumber) {
        const std::size_t end = text.find(L'\n');
        const bool ended = end != std::wstring_view::npos;
        std::wstring_view line = text.substr(0, ended ? end : text.size());
        text = ended ? text.substr(end + 1) : std::wstring_view{};
        // Files written on Windows end their lines with CR LF.
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        if (lineNumber == 0) {
            if (!ended) break;  // no complete first line: no version, nothing else
            file.version = cut(line, kVersionMaxLength);
            continue;
        }
        DownloadEntry entry;
        if (parseEntry(line, entry)) file.entries[file.entryCount++] = std::move(entry);
    }
    return file;
}

std::wstring normaliseVersion(std::wstring_view version) {
    std::wstring normal;
    for (std::size_t component = 0; component < kMaxComponents; ++component) {
        const std::size_t dot = version.find(L'.');
        const std::wstring_view part = version.substr(0, std::min(dot, version.size()));
        const std::wstring_view kept = part.substr(0, kComponentWidth);
        normal.append(kComponentWidth - kept.size(), L'0');
        normal.append(kept);
        if (dot == std::wstring_view::npos) break;
        version.remove_prefix(dot + 1);
    }
    return normal;
}

bool isNewerVersion(std::wstring_view baseline, std::wstring_view candidate) {
    // By character code, as the normal forms are built to sort.
    return normaliseVersion(baseline) < normaliseVersion(candidate);
}

}  // namespace sumwise
