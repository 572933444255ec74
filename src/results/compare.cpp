#include "results/compare.h"

#include <vector>

#include "jobs/long_path.h"
#include "resources/resource_ids.h"
#include "results/hash_file.h"
#include "results/results_list.h"
#include "results/sums_line.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"

namespace sumwise::results {

namespace {

bool equalIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

void setTextIfChanged(HWND dialog, int id, const std::wstring& text) {
    if (look::controlText(dialog, id) != text) look::setControlText(dialog, id, text);
}

// The first bytes of a file, read at its full name; none when it does not open.
std::optional<std::string> readHead(const std::wstring& path, std::size_t limit) {
    const std::wstring reachable = extendedLengthPath(path);
    const HANDLE file = CreateFileW(reachable.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(limit - filled, 1 << 16));
        if (!ReadFile(file, bytes.data() + filled, wanted, &read, nullptr) || read == 0) break;
        filled += read;
    }
    CloseHandle(file);
    bytes.resize(filled);
    return bytes;
}

std::wstring_view fileNameOf(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// Whether a name written in a sums line is the input's file name. The tools
// write the name as they were given it ("./disk.iso", "isos/disk.iso"), so
// its last part counts. A file without a byte-order mark may be in the ANSI
// code page or in UTF-8 (as the usual tools write it): either reading counts.
bool namesInput(std::string_view written, TextEncoding encoding, std::wstring_view inputName) {
    if (inputName.empty() || written.empty()) return false;
    // Folders are split after decoding: in a double-byte code page a backslash byte may end a character.
    const auto names = [inputName](const std::wstring& name) { return equalIgnoringCase(fileNameOf(name), inputName); };
    if (encoding == TextEncoding::Utf8) return names(fromUtf8(written));
    if (names(fromAnsi(written))) return true;
    const auto utf8 = strictUtf8(written);
    return utf8 && names(*utf8);
}

void setCompareBox(HWND dialog, const std::wstring& value) {
    look::setControlText(dialog, IDC_COMPARE, value.substr(0, kHashFileValueCharacters));
}

// The value a hash file's first bytes stand for; of a sums file, the line naming the input wins.
std::wstring valueOfHashFile(std::string_view bytes, std::wstring_view inputPath) {
    const std::wstring_view inputName = fileNameOf(inputPath);
    const HashFileValue value = hashFileValue(bytes, [inputName](std::string_view written, TextEncoding encoding) {
        return namesInput(written, encoding, inputName);
    });
    std::wstring wide = value.encoding == TextEncoding::Utf8 ? fromUtf8(value.text) : fromAnsi(value.text);
    if (wide.size() > kHashFileValueCharacters) wide.resize(kHashFileValueCharacters);
    return wide;
}

// The first bytes of a sums file other tools wrote ("x.sha256", "SHA256SUMS"):
// its name says so and its lines are sums lines. None for any other file.
std::optional<std::string> otherToolsHashFile(const std::wstring& path) {
    if (algorithmForSumsFileName(toUtf8(fileNameOf(path))) == nullptr) return std::nullopt;
    auto bytes = readHead(path, kHashFileReadLimit);
    if (!bytes || !holdsSumsLines(*bytes)) return std::nullopt;
    return bytes;
}

// The name a pasted sums line gives when it is not the input file's; none otherwise.
std::optional<std::wstring> otherNameOfPastedLine(const std::wstring& typed, std::wstring_view inputPath) {
    if (inputPath.empty()) return std::nullopt;
    const auto line = pastedSumsLine(toUtf8(typed));
    if (!line || namesInput(line->name, TextEncoding::Utf8, fileNameOf(inputPath))) return std::nullopt;
    return fromUtf8(line->name);
}

}  // namespace

std::wstring expectedValue(const std::wstring& typed) {
    const std::string text = toUtf8(typed);
    const std::string digest = compareValue(text);
    return digest == text ? typed : fromUtf8(digest);
}

const AlgorithmEntry* matchingAlgorithm(const ResultsModel& model, std::wstring_view expected) {
    if (expected.empty()) return nullptr;
    for (const AlgorithmEntry& entry : algorithms()) {
        const std::wstring& value = model[entry.index()].value;
        if (!value.empty() && equalIgnoringCase(value, expected)) return &entry;
    }
    return nullptr;
}

void compareResult(HWND dialog, const ResultsModel& model, std::wstring_view inputPath, TaskbarButton* taskbar,
                   const CompareIcons& icons) {
    const std::wstring typed = look::controlText(dialog, IDC_COMPARE);
    if (typed.empty() || valueCount(model) == 0) {
        ShowWindow(GetDlgItem(dialog, IDC_COMPARE_MATCH), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_COMPARE_NEGATIVE), SW_HIDE);
        setTextIfChanged(dialog, IDC_COMPARE_LABEL, L"");
        if (taskbar != nullptr) taskbar->setOverlayIcon(nullptr, nullptr);
        return;
    }
    const AlgorithmEntry* match = matchingAlgorithm(model, expectedValue(typed));
    setTextIfChanged(dialog, IDC_COMPARE_LABEL, loadText(IDS_COMPARE_RESULT));
    std::wstring shown = match != nullptr ? std::wstring(match->wideName()) : loadText(IDS_NEGATIVE);
    // A line of another file still compares, but the user should know whose digest it is.
    if (const auto otherName = otherNameOfPastedLine(typed, inputPath)) {
        shown = loadFormatted(IDS_COMPARE_OTHER_NAME, {std::wstring_view(shown), std::wstring_view(*otherName)});
    }
    setTextIfChanged(dialog, match != nullptr ? IDC_COMPARE_MATCH : IDC_COMPARE_NEGATIVE, shown);
    ShowWindow(GetDlgItem(dialog, IDC_COMPARE_MATCH), match != nullptr ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_COMPARE_NEGATIVE), match != nullptr ? SW_HIDE : SW_SHOW);
    if (taskbar != nullptr) taskbar->setOverlayIcon(match != nullptr ? icons.match : icons.mismatch, nullptr);
}

const AlgorithmEntry* algorithmOfHashFile(std::wstring_view path) {
    const std::wstring_view name = fileNameOf(path);
    const std::size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos) return nullptr;
    return algorithmWithExtension(name.substr(dot + 1));
}

std::optional<std::wstring> readHashFileValue(const std::wstring& path, std::wstring_view inputPath) {
    const auto bytes = readHead(path, kHashFileReadLimit);
    if (!bytes) return std::nullopt;
    return valueOfHashFile(*bytes, inputPath);
}

bool isHashFile(const std::wstring& path) {
    return algorithmOfHashFile(path) != nullptr || otherToolsHashFile(path).has_value();
}

bool loadHashFile(HWND dialog, const std::wstring& path, std::wstring_view inputPath) {
    if (algorithmOfHashFile(path) != nullptr) {
        // A file that cannot be read leaves the box as it is; it still was a hash file.
        if (const auto value = readHashFileValue(path, inputPath)) setCompareBox(dialog, *value);
        return true;
    }
    const auto bytes = otherToolsHashFile(path);
    if (!bytes) return false;
    setCompareBox(dialog, valueOfHashFile(*bytes, inputPath));
    return true;
}

void loadCompanionHashFile(HWND dialog, const ResultsModel& model, std::wstring_view inputPath, bool force) {
    if (!force && !look::controlText(dialog, IDC_COMPARE).empty()) return;
    std::vector<const AlgorithmEntry*> ticked;
    for (const std::size_t algorithm : shownAlgorithms(GetDlgItem(dialog, IDC_RESULTS))) {
        if (!model[algorithm].ticked) continue;
        const AlgorithmEntry* entry = &algorithms()[algorithm];
        ticked.push_back(entry);
        // The whole name, however long: a shortened one would be another file.
        std::wstring candidate(inputPath);
        candidate += L'.';
        candidate += entry->wideExtension();
        if (const auto value = readHashFileValue(candidate, inputPath)) {
            setCompareBox(dialog, *value);
            return;
        }
    }
    // None of ours: the ticked algorithms' sums files as other tools name them ("disk.iso.sha256").
    for (const AlgorithmEntry* entry : ticked) {
        const std::string extension = sumsFileExtension(*entry);
        if (extension == entry->extension) continue;  // tried above
        const std::wstring candidate = std::wstring(inputPath) + L'.' + fromUtf8(extension);
        if (const auto bytes = otherToolsHashFile(candidate)) {
            setCompareBox(dialog, valueOfHashFile(*bytes, inputPath));
            return;
        }
    }
}

}  // namespace sumwise::results
