// The update server's version file and the ordering of version numbers.
// The first bytes up to a NUL are a second version to compare with.
#include "fuzz_input.h"
#include "update/version_file.h"

using namespace sumwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::wstring text = fuzz::wideOf(bytes);

    const VersionFile file = parseVersionFile(text);
    fuzz::require(file.entryCount <= kMaxDownloadEntries, "at most three entries");
    fuzz::require(file.version.size() <= kVersionMaxLength, "the version is cut to its limit");
    fuzz::require(file.version.find(L'\n') == std::wstring::npos, "the version is one line");
    for (std::size_t i = 0; i < file.entryCount; ++i) {
        const DownloadEntry& entry = file.entries[i];
        fuzz::require(entry.fileName.size() <= kEntryFileNameMaxLength &&
                          entry.algorithm.size() <= kEntryAlgorithmMaxLength &&
                          entry.digest.size() <= kEntryDigestMaxLength,
                      "entry fields are cut to their limits");
        fuzz::require(entry.fileName.find_first_of(L":\n") == std::wstring::npos &&
                          entry.algorithm.find_first_of(L":\n") == std::wstring::npos,
                      "the name and algorithm hold no separator");
        fuzz::require(file.entryFor(entry.fileName) != nullptr, "an entry is found by its own name");
    }
    for (std::size_t i = file.entryCount; i < kMaxDownloadEntries; ++i) {
        fuzz::require(file.entries[i] == DownloadEntry{}, "unused entries stay empty");
    }

    // The normal form is bounded, and normalising it again changes nothing
    // unless it came from more than one component (it holds no dots).
    const std::wstring normal = normaliseVersion(text);
    fuzz::require(normal.size() <= 20 && normal.size() % 5 == 0 && !normal.empty(), "the normal form is bounded");
    fuzz::require(normaliseVersion(normal.substr(0, 5)) == normal.substr(0, 5), "a component is its own normal form");

    const std::size_t split = bytes.find('\0');
    const std::wstring first = fuzz::wideOf(bytes.substr(0, split));
    const std::wstring second = split == std::string_view::npos ? std::wstring() : fuzz::wideOf(bytes.substr(split + 1));
    fuzz::require(!isNewerVersion(first, first), "no version is newer than itself");
    fuzz::require(!(isNewerVersion(first, second) && isNewerVersion(second, first)), "newer is one way");
    fuzz::require(isNewerVersion(first, second) == (normaliseVersion(first) < normaliseVersion(second)),
                  "newer follows the normal forms");
    return 0;
}
