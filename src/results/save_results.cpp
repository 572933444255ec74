#include "results/save_results.h"

#include <commctrl.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <vector>

#include "jobs/long_path.h"
#include "resources/resource_ids.h"
#include "results/hash_file.h"
#include "results/list_tips.h"
#include "results/results_list.h"
#include "text/ascii_case.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"

namespace sumwise::results {

namespace {

enum class WriteOutcome { Written, AccessDenied, Failed };

WriteOutcome outcomeOf(DWORD error) {
    return error == ERROR_ACCESS_DENIED ? WriteOutcome::AccessDenied : WriteOutcome::Failed;
}

// Writes a new file beside the target and only then puts it in the target's
// place, so a failed write never costs the hash file that was there.
WriteOutcome writeHashFile(const std::wstring& target, const std::string& content) {
    // The whole name, also beyond the classic path limit: a shortened name would be another file.
    const std::wstring path = extendedLengthPath(target);
    const std::wstring temporary = path + L".~" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return outcomeOf(GetLastError());
    DWORD written = 0;
    const auto size = static_cast<DWORD>(content.size());
    const bool complete = WriteFile(file, content.data(), size, &written, nullptr) != FALSE && written == size;
    const bool closed = CloseHandle(file) != FALSE;
    if (complete && closed &&
        MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE) {
        return WriteOutcome::Written;
    }
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());  // part of a digest is no hash file
    return outcomeOf(error);
}

bool offerElsewhere(const ResultsHost& host, const std::wstring& target) {
    const std::wstring question = loadFormatted(IDS_NO_PERMISSION, {std::wstring_view(target)}, 255) + L"\n\n" +
                                  loadText(IDS_SAVE_ELSEWHERE);
    return MessageBoxW(host.dialog, question.c_str(), loadText(IDS_PRODUCT).c_str(), MB_ICONWARNING | MB_YESNO) ==
           IDYES;
}

// "MD5 hash file (*.md5)" with the pattern "*.md5", within 64 characters.
std::wstring saveFilter(const std::wstring& name, const std::wstring& extension) {
    constexpr std::size_t kFilterCharacters = 64;
    const std::wstring pattern = L"*." + extension;
    std::wstring description = formatText(loadText(IDS_HASH_FILE_TYPE), {std::wstring_view(name)}) +
                               formatText(L" (*.%s)", {std::wstring_view(extension)});
    // Room for the pattern and three terminators: after the description, the pattern and the list.
    // (An algorithm's extension keeps the pattern far below that.)
    description.resize(std::min(description.size(), kFilterCharacters - 3 - pattern.size()));
    return description + L'\0' + pattern + L'\0';
}

std::wstring documentsFolder() {
    PWSTR folder = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder)) && folder != nullptr) {
        result = folder;
    }
    CoTaskMemFree(folder);
    return result;
}

std::wstring currentFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    return length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

std::wstring inFolder(const std::wstring& folder, const std::wstring& file) {
    if (folder.empty()) return file;
    return folder + (folder.back() == L'\\' ? L"" : L"\\") + file;
}

// The label of the drive chosen in the drive box, or "(Empty)" when it has
// none, holds no medium or none is chosen.
std::wstring volumeBaseName(HWND dialog) {
    const HWND drives = GetDlgItem(dialog, IDC_DRIVES);
    const LRESULT selected = SendMessageW(drives, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR) {
        const auto letter = static_cast<wchar_t>(SendMessageW(drives, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
        if ((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')) {
            const wchar_t root[] = {letter, L':', L'\\', L'\0'};
            std::array<wchar_t, 64> label{};
            DWORD serial = 0;
            // A drive without a medium answers with an error, not with a system prompt.
            DWORD previousMode = 0;
            SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
            const BOOL known = GetVolumeInformationW(root, label.data(), static_cast<DWORD>(label.size()), &serial,
                                                     nullptr, nullptr, nullptr, 0);
            SetThreadErrorMode(previousMode, nullptr);
            if (known != FALSE && serial != 0 && label[0] != L'\0') return std::wstring(label.data());
        }
    }
    return loadText(IDS_EMPTY_VOLUME);
}

// The typed text as a base name: cut so that the name fits the classic
// limit in the Documents folder (or the current one, if longer).
std::wstring textBaseName(const std::wstring& text, std::size_t extensionLength, std::size_t folderLength) {
    if (text.empty()) return loadText(IDS_EMPTY_STRING);
    const std::size_t used = extensionLength + folderLength;
    const std::size_t room = used < 256 ? 257 - used : 1;
    std::wstring base = text.substr(0, room);
    // Never half a surrogate pair: keep the whole character.
    if (base.size() < text.size() && base.back() >= 0xD800 && base.back() <= 0xDBFF) base += text[base.size()];
    return base;
}

std::wstring proposedName(const ResultsHost& host, const AlgorithmEntry& algorithm) {
    if (host.job.fileMode && !host.job.diskMode) return hashFileBeside(host.job.path, algorithm);
    const std::wstring extension(algorithm.wideExtension());
    const std::wstring documents = documentsFolder();
    std::wstring base;
    if (host.job.diskMode) {
        base = volumeBaseName(host.dialog);
    } else {
        const std::size_t folderLength = std::max(documents.size(), currentFolder().size());
        base = textBaseName(host.job.path, extension.size(), folderLength);
    }
    return inFolder(documents, fileNameFrom(base) + L"." + extension);
}

bool isDeviceName(std::wstring_view stem) {
    while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
    for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
        if (equalsIgnoringAsciiCase(stem, device)) return true;
    }
    const bool port = startsWithIgnoringAsciiCase(stem, L"COM") || startsWithIgnoringAsciiCase(stem, L"LPT");
    return stem.size() == 4 && port && stem[3] >= L'1' && stem[3] <= L'9';
}

}  // namespace

std::wstring hashFileBeside(std::wstring_view input, const AlgorithmEntry& algorithm) {
    return std::wstring(input) + L"." + std::wstring(algorithm.wideExtension());
}

std::wstring fileNameFrom(std::wstring_view text) {
    std::wstring name(text);
    for (wchar_t& c : name) {
        if (c < 32 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) c = L'_';
    }
    // The part before the first full stop decides whether the system takes the name for a device.
    if (isDeviceName(std::wstring_view(name).substr(0, name.find(L'.')))) name.insert(0, 1, L'_');
    return name;
}

bool saveResult(const ResultsHost& host, std::size_t algorithmIndex, const std::optional<std::wstring>& target) {
    if (algorithmIndex >= kAlgorithmCount) return false;
    const AlgorithmEntry* algorithm = &algorithms()[algorithmIndex];
    // Read first: a value gone meanwhile leaves an existing file as it was.
    const std::wstring value = host.model[algorithmIndex].value;
    if (value.empty()) return false;
    // Only a file has a place beside it.
    if (!target && (host.job.path.empty() || !host.job.fileMode || host.job.diskMode)) return false;
    const std::wstring path = target ? *target : hashFileBeside(host.job.path, *algorithm);
    switch (writeHashFile(path, hashFileContent(toAnsi(value, kMaxValueCharacters)))) {
    case WriteOutcome::Written: noteSavedFile(host.list, path); return true;
    case WriteOutcome::Failed: return false;
    case WriteOutcome::AccessDenied: break;
    }
    return offerElsewhere(host, path) && saveResultAs(host, algorithmIndex);
}

bool saveResultAs(const ResultsHost& host, std::size_t algorithmIndex) {
    if (algorithmIndex >= kAlgorithmCount || !host.services.chooseSaveFile) return false;
    const AlgorithmEntry* algorithm = &algorithms()[algorithmIndex];
    const std::wstring name(algorithm->wideName());
    const std::wstring extension(algorithm->wideExtension());
    SaveFileRequest request;
    request.owner = host.dialog;
    request.filter = saveFilter(name, extension);
    request.proposedName = proposedName(host, *algorithm);
    request.defaultExtension = extension;
    const std::optional<std::wstring> chosen = host.services.chooseSaveFile(request);
    if (!chosen || chosen->empty()) return false;
    return saveResult(host, algorithmIndex, *chosen);
}

bool saveSelected(const ResultsHost& host) {
    bool all = true;
    for (int row = nextSelectedResult(host.list, host.model, -1); row >= 0;
         row = nextSelectedResult(host.list, host.model, row)) {
        all = saveResult(host, algorithmOfRow(host.list, row), std::nullopt) && all;
    }
    return all;
}

bool saveAll(const ResultsHost& host) {
    bool all = true;
    for (const std::size_t algorithm : shownAlgorithms(host.list)) {
        if (!host.model[algorithm].value.empty()) all = saveResult(host, algorithm, std::nullopt) && all;
    }
    return all;
}

}  // namespace sumwise::results
