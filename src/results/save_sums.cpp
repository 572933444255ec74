#include "results/save_sums.h"

#include <windows.h>

#include <filesystem>
#include <vector>

#include "toolkit/strings.h"
#include "toolkit/win32_text.h"
#include "resources/resource_ids.h"
#include "results/results_list.h"
#include "results/sums_check.h"
#include "results/sums_line.h"

namespace sumwise::results {

namespace {

bool writeWhole(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    return CloseHandle(file) && complete;
}

}  // namespace

namespace {

// Other tools' name for the algorithm's sums files ("sha256"), as a wide text.
std::wstring wideSumsExtension(const AlgorithmEntry& algorithm) { return fromUtf8(sumsFileExtension(algorithm)); }

}  // namespace

std::string sumsFileLine(std::string_view digest, std::string_view name) {
    bool escaped = false;
    const std::string shown = printableSumsName(name, escaped);
    std::string line = escaped ? "\\" : "";
    for (const char c : digest) line += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return line + " *" + shown + "\n";
}

bool saveAsSumsFiles(const ResultsHost& host) {
    if (!host.job.fileMode || host.job.diskMode || host.job.path.empty()) return false;
    struct Value {
        const AlgorithmEntry* algorithm;
        std::wstring digest;
    };
    std::vector<Value> values;
    // In the list's order, from the model: what is ticked and has a value.
    for (int row = 0; row < rowCount(host.list); ++row) {
        const std::size_t index = algorithmOfRow(host.list, row);
        if (index >= kAlgorithmCount || !host.model[index].ticked || host.model[index].value.empty()) continue;
        values.push_back({&algorithms()[index], host.model[index].value});
    }
    if (values.empty() || !host.services.chooseSaveFile) return false;
    const std::wstring extension = wideSumsExtension(*values.front().algorithm);
    SaveFileRequest request;
    request.owner = host.dialog;
    request.filter = loadText(IDS_ALL_FILES) + std::wstring(L"\0*.*\0", 5);
    request.proposedName = host.job.path + L"." + extension;
    request.defaultExtension = extension;
    const auto chosen = host.services.chooseSaveFile(request);
    if (!chosen || chosen->empty()) return false;
    // The chosen name less its extension is the stem of every file.
    std::filesystem::path stem(*chosen);
    stem.replace_extension();
    const std::filesystem::path input(host.job.path);
    std::error_code ignored;
    const bool beside = std::filesystem::equivalent(stem.parent_path(), input.parent_path(), ignored);
    const std::string name = toUtf8(beside ? input.filename().wstring() : input.wstring());
    bool all = true;
    for (const Value& value : values) {
        std::filesystem::path target = stem;
        target += L"." + wideSumsExtension(*value.algorithm);
        all = writeWhole(target.wstring(), sumsFileLine(toUtf8(value.digest), name)) && all;
    }
    return all;
}

}  // namespace sumwise::results
