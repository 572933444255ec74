#include "update/update_folder_check.h"

#include <fstream>
#include <iterator>

#include "algorithms/algorithm_table.h"
#include "update/update_signature.h"
#include "update/version_file.h"

namespace sumwise {

namespace {

constexpr const char* kNotSigned = "The update information is not signed correctly.";
// Files are read only this far: anything longer fails anyway.
constexpr std::size_t kReadLimit = 64 * 1024;

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes(kReadLimit + 1, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    if (file.bad()) return std::nullopt;
    return bytes;
}

// The program reads the file in the ANSI code page; for the checks here
// (version, separators, algorithm names) each byte as itself will do.
std::wstring widened(const std::string& bytes) {
    std::wstring text;
    for (const char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

std::string narrowed(const std::wstring& text) {
    std::string bytes;
    for (const wchar_t c : text) bytes.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return bytes;
}

void checkFile(const std::filesystem::path& folder, const std::string& name,
               const std::optional<Ed25519PublicKey>& key, UpdateFolderReport& report) {
    const auto fail = [&](const std::string& line) {
        report.lines.push_back(line);
        report.passed = false;
    };
    const std::optional<std::string> bytes = readFile(folder / name);
    if (!bytes) return fail(name + ": cannot be read");
    if (bytes->size() > kVersionFileMaxLength) {
        return fail(name + ": longer than " + std::to_string(kVersionFileMaxLength) +
                    " bytes, which is all the program reads");
    }

    const std::string signatureName = name + ".sig";
    if (key) {
        std::error_code ignored;
        if (!std::filesystem::exists(folder / signatureName, ignored)) {
            return fail(signatureName + ": missing. " + kNotSigned);
        }
        const std::optional<std::string> signature = readFile(folder / signatureName);
        if (!signature) return fail(signatureName + ": cannot be read");
        if (!parseSignatureFile(*signature)) {
            return fail(signatureName + ": not 128 hexadecimal digits on one line. " + kNotSigned);
        }
        if (!versionFileSigned(*key, *bytes, *signature)) {
            return fail(signatureName + ": does not verify with the built-in key. " + kNotSigned);
        }
        report.lines.push_back(signatureName + ": verified with the built-in key");
    } else {
        report.lines.push_back(name + ": signature not checked (this build has no update key)");
    }

    const VersionFile file = parseVersionFile(widened(*bytes));
    if (file.version.empty()) return fail(name + ": no version on a first line of its own");
    if (file.entryCount == 0) return fail(name + ": names no download");
    for (std::size_t i = 0; i < file.entryCount; ++i) {
        const DownloadEntry& entry = file.entries[i];
        if (algorithmNamed(entry.algorithm) == nullptr) {
            return fail(name + ": " + narrowed(entry.fileName) + ": unknown algorithm " + narrowed(entry.algorithm));
        }
    }
    report.lines.push_back(name + ": version " + narrowed(file.version) + ", " + std::to_string(file.entryCount) +
                           (file.entryCount == 1 ? " download" : " downloads"));
}

}  // namespace

UpdateFolderReport checkUpdateFolder(const std::filesystem::path& folder, const std::optional<Ed25519PublicKey>& key) {
    UpdateFolderReport report;
    std::error_code ignored;
    std::filesystem::path files = folder;
    if (!std::filesystem::exists(files / "latest.txt", ignored) &&
        std::filesystem::exists(folder / "files" / "latest.txt", ignored)) {
        files = folder / "files";
    }
    if (!std::filesystem::exists(files / "latest.txt", ignored)) {
        report.passed = false;
        report.lines.push_back("latest.txt: missing");
        return report;
    }
    checkFile(files, "latest.txt", key, report);
    if (std::filesystem::exists(files / "beta.txt", ignored)) checkFile(files, "beta.txt", key, report);
    return report;
}

}  // namespace sumwise
