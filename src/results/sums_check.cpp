#include "results/sums_check.h"

#include <algorithm>

#include "jobs/input_source.h"
#include "results/sums_line.h"
#include "text/ascii_case.h"

namespace sumwise {

bool FileRead::missing() const {
    return failure == Failure::Open && error.default_error_condition() == std::errc::no_such_file_or_directory;
}

std::vector<const AlgorithmEntry*> algorithmsOf(const std::vector<const SumsEntry*>& lines) {
    std::vector<const AlgorithmEntry*> chosen;
    for (const SumsEntry* line : lines) {
        if (line->algorithm == nullptr) continue;
        if (std::find(chosen.begin(), chosen.end(), line->algorithm) == chosen.end()) chosen.push_back(line->algorithm);
    }
    return chosen;
}

FileRead readForCheck(const std::filesystem::path& path, std::vector<const AlgorithmEntry*> algorithms,
                      const AlgorithmParams& params, const SourceControl& control) {
    FileRead read;
    read.algorithms = std::move(algorithms);
    std::error_code error;
    const std::unique_ptr<InputSource> source = openInput(path, &error);
    if (!source) {
        read.failure = FileRead::Failure::Open;
        read.error = error ? error : std::make_error_code(std::errc::io_error);
        return read;
    }
    SourceHashed hashed = hashSource(*source, read.algorithms, params, control);
    read.bytesRead = hashed.outcome.bytesRead;
    if (hashed.complete()) {
        read.digests = std::move(hashed.digests);
    } else {
        read.failure = FileRead::Failure::Read;
        read.error = source->error() ? source->error() : std::make_error_code(std::errc::io_error);
    }
    return read;
}

bool sameDigest(std::string_view expected, std::string_view computedUpper) {
    return equalsIgnoringAsciiCase(expected, computedUpper);
}

LineStatus lineStatus(const SumsEntry& entry, const FileRead& read) {
    if (entry.kind != SumsEntry::Kind::Check) return LineStatus::BadLine;
    if (read.missing()) return LineStatus::Missing;
    if (!read.ok()) return LineStatus::Unreadable;
    const auto found = std::find(read.algorithms.begin(), read.algorithms.end(), entry.algorithm);
    const auto index = static_cast<std::size_t>(found - read.algorithms.begin());
    if (index >= read.digests.size()) return LineStatus::Unreadable;
    return sameDigest(entry.digest, digestText(read.digests[index], LetterCase::Upper)) ? LineStatus::Ok
                                                                                        : LineStatus::Failed;
}

std::filesystem::path namedPath(const SumsEntry& entry, const std::filesystem::path& sumsPath,
                                const std::filesystem::path& folder, const std::filesystem::path& fromName) {
    if (entry.besideSumsFile) {
        std::filesystem::path beside = sumsPath;
        beside.replace_extension();
        return beside;
    }
    if (folder.empty() || fromName.is_absolute() || fromName.has_root_name() || fromName.has_root_directory()) {
        return fromName;
    }
    return folder / fromName;
}

std::string printableSumsName(std::string_view name, bool& escaped) {
    if (std::filesystem::path::preferred_separator == '\\' && name.find_first_of("\r\n") == std::string_view::npos) {
        escaped = false;
        return std::string(name);
    }
    return escapeSumsName(name, escaped);
}

std::string checkReportLine(std::string_view shownName, bool escaped, LineStatus status) {
    const char* word = nullptr;
    switch (status) {
        case LineStatus::Ok: word = ": OK"; break;
        case LineStatus::Failed: word = ": FAILED"; break;
        case LineStatus::Missing:
        case LineStatus::Unreadable: word = ": FAILED open or read"; break;
        default: return {};
    }
    return (escaped ? "\\" : "") + std::string(shownName) + word;
}

void CheckCounts::add(LineStatus status) {
    switch (status) {
        case LineStatus::Ok: ++ok; break;
        case LineStatus::Failed: ++failed; break;
        case LineStatus::Missing: ++missing; break;
        case LineStatus::Unreadable: ++unreadable; break;
        case LineStatus::BadLine: ++badLines; break;
        default: break;
    }
}

std::string checkSummary(const CheckCounts& counts) {
    std::string text;
    auto part = [&text](std::size_t count, const char* one, const char* many) {
        if (count == 0) return;
        if (!text.empty()) text += ", ";
        text += std::to_string(count) + " " + (count == 1 ? one : many);
    };
    part(counts.ok, "OK", "OK");
    part(counts.failed, "failed", "failed");
    part(counts.missing, "missing", "missing");
    part(counts.unreadable, "unreadable", "unreadable");
    part(counts.badLines, "bad line", "bad lines");
    return text;
}

}  // namespace sumwise
