#include "update/download_check.h"

#include "algorithms/algorithm_table.h"
#include "jobs/streaming.h"
#include "text/ascii_case.h"

namespace sumwise {

DownloadCheck checkDownload(const VersionFile& published, std::wstring_view downloadName,
                            const std::filesystem::path& file, const JobSignals* signals) {
    const DownloadEntry* entry = published.entryFor(downloadName);
    if (entry == nullptr) return DownloadCheck::NotPublished;
    const AlgorithmEntry* algorithm = algorithmNamed(std::wstring_view(entry->algorithm));
    if (algorithm == nullptr) return DownloadCheck::UnknownAlgorithm;

    const StreamControl control{signals, nullptr};
    const HashResult result = hashFile(*algorithm, file, AlgorithmParams{}, &control);
    if (result.status == StreamStatus::Stopped) return DownloadCheck::Stopped;
    if (!result.complete()) return DownloadCheck::Unreadable;

    const std::wstring computed = digestWideText(result.digest, LetterCase::Upper);
    const std::wstring_view expected = entry->digest;
    return equalsIgnoringAsciiCase(computed, expected) ? DownloadCheck::Verified : DownloadCheck::Mismatch;
}

}  // namespace sumwise
