#include "update/download_check.h"

#include <algorithm>

#include "jobs/registry.h"
#include "jobs/streaming.h"

namespace sumwise {

namespace {

wchar_t foldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

DownloadCheck checkDownload(const VersionFile& published, std::wstring_view downloadName,
                            const std::filesystem::path& file, const JobSignals* signals) {
    const DownloadEntry* entry = published.entryFor(downloadName);
    if (entry == nullptr) return DownloadCheck::NotPublished;
    const AlgorithmEntry* algorithm = entryForName(entry->algorithm);
    if (algorithm == nullptr || !algorithm->available()) return DownloadCheck::UnknownAlgorithm;

    const StreamControl control{signals, nullptr};
    const HashResult result = hashFile(*algorithm, file, AlgorithmParams{}, &control);
    if (result.status == StreamStatus::Stopped) return DownloadCheck::Stopped;
    if (!result.complete()) return DownloadCheck::Unreadable;

    const std::wstring computed = digestWideText(result.digest, LetterCase::Upper);
    const std::wstring_view expected = entry->digest;
    const bool equal = computed.size() == expected.size() &&
                       std::equal(computed.begin(), computed.end(), expected.begin(),
                                  [](wchar_t a, wchar_t b) { return foldAscii(a) == foldAscii(b); });
    return equal ? DownloadCheck::Verified : DownloadCheck::Mismatch;
}

}  // namespace sumwise
