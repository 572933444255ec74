// The main dialog's input side: the input box and its file, text and disk
// modes, the caption above it, and whether Hash may be pressed.
#include <windows.h>
#include <commctrl.h>

#include "app/input_failure_text.h"
#include "app/main_dialog.h"
#include "jobs/input_source.h"
#include "jobs/long_path.h"
#include "resources/resource_ids.h"
#include "text/size_text.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"

namespace sumwise {

namespace {

bool isVolumePath(const std::wstring& path) {
    return path.size() == 6 && path[0] == L'\\' && path[1] == L'\\' && path[2] == L'.' && path[3] == L'\\' &&
           path[5] == L':';
}

// "File size: ..." for a file, measured without opening it (a file another
// program holds still has its size); what the path names instead otherwise.
std::wstring fileSizeCaption(const std::wstring& path) {
    if (path.empty()) return loadText(IDS_PROMPT_FILE);
    std::uint64_t size = 0;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!isVolumePath(path)) {
        if (!GetFileAttributesExW(extendedLengthPath(path).c_str(), GetFileExInfoStandard, &attributes)) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
                return loadText(IDS_FILE_NOT_FOUND);
            }
            const std::wstring reason = systemReason(std::error_code(static_cast<int>(error), std::system_category()));
            return loadFormatted(IDS_CANNOT_OPEN, {std::wstring_view(reason)});
        }
        if ((attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return loadText(IDS_INPUT_IS_FOLDER);
        size = (std::uint64_t{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow;
    }
    const std::wstring sizeLabel = sizeText(size, decimalSeparator()).substr(0, 31);
    return loadFormatted(IDS_FILE_SIZE, {std::wstring_view(sizeLabel)});
}

// A relative path taken from the current folder now: the open dialog changes
// that folder, and the input must go on naming the same file.
std::wstring absoluteInput(const std::wstring& path) {
    const bool absolute = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    if (path.empty() || absolute || path.starts_with(L"\\\\") || path.starts_with(L"//")) return path;
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

}  // namespace

bool inputExists(const std::wstring& path) {
    if (isVolumePath(path)) return true;
    if (path.empty()) return false;
    // The attributes of exactly this path: wildcards match nothing here.
    const DWORD attributes = GetFileAttributesW(extendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void MainDialog::updateHashButton() {
    const bool inputReady = job_.diskMode ? driveChosen() : !job_.fileMode || inputExists(job_.path);
    EnableWindow(item(IDC_HASH), tickedAlgorithms(results_) != 0 && inputReady);
}

void MainDialog::setInput(const std::wstring& text) { SetDlgItemTextW(window_, IDC_INPUT, text.c_str()); }

void MainDialog::onInputChanged(const Command&) {
    ++inputGeneration_;
    const std::wstring typed = look::controlText(window_, IDC_INPUT);
    // A path is kept whole (a shortened one names another file); a text is at most 259 characters.
    job_.path = job_.fileMode ? absoluteInput(typed) : typed.substr(0, kMaxPathCharacters);
    restoreInputCaption();
    // A text the code page cannot hold exactly is hashed as UTF-8, so that
    // different texts never share a digest through replacement characters.
    textAsUtf8_ = !job_.fileMode && !toAnsiExactly(job_.path);
    // (At most 259 bytes come from at most 259 characters: a long path is not converted whole.)
    job_.text = textAsUtf8_ ? toUtf8(job_.path)
                            : toAnsi(std::wstring_view(job_.path).substr(0, kMaxPathCharacters), kMaxPathCharacters);
    updateHashButton();
    clearValues();  // every value belonged to the previous input
    refreshCompare();
    SetWindowTextW(window_, loadText(IDS_PRODUCT).c_str());
    if (!job_.fileMode) look::setControlText(window_, IDC_INPUT_GROUP, textLengthCaption());
}

std::wstring MainDialog::textLengthCaption() const {
    return loadFormatted(textAsUtf8_ ? IDS_TEXT_LENGTH_UTF8 : IDS_TEXT_LENGTH,
                         {static_cast<std::int64_t>(job_.text.size())});
}

void MainDialog::showSizeLabel() {
    if (job_.diskMode) return;
    if (job_.fileMode) {
        look::setControlText(window_, IDC_INPUT_GROUP, fileSizeCaption(job_.path));
    } else {
        look::setControlText(window_, IDC_INPUT_GROUP, textLengthCaption());
    }
}

void MainDialog::onTextMode(const Command&) {
    ++inputGeneration_;
    setInput(L"");
    setChecked(IDC_DISK_MODE, false);
    job_.diskMode = false;
    ShowWindow(item(IDC_INPUT), SW_SHOW);
    ShowWindow(item(IDC_DRIVES), SW_HIDE);
    const bool textMode = checked(IDC_TEXT_MODE);
    look::setControlText(window_, IDC_INPUT_GROUP, loadText(textMode ? IDS_PROMPT_TEXT : IDS_PROMPT_FILE));
    SendMessageW(item(IDC_INPUT), EM_SETREADONLY, textMode ? FALSE : TRUE, 0);
    EnableWindow(item(IDC_BROWSE), !textMode);
    job_.fileMode = !textMode;
    updateHashButton();
    // Typing goes to the text box, never to the list (whose keys untick rows).
    if (textMode) SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_INPUT)), TRUE);
}

void MainDialog::onDiskMode(const Command&) {
    ++inputGeneration_;
    setInput(L"");
    setChecked(IDC_TEXT_MODE, false);
    SendMessageW(item(IDC_INPUT), EM_SETREADONLY, TRUE, 0);
    job_.fileMode = true;
    const bool diskMode = checked(IDC_DISK_MODE);
    job_.diskMode = diskMode;
    ShowWindow(item(IDC_INPUT), diskMode ? SW_HIDE : SW_SHOW);
    ShowWindow(item(IDC_DRIVES), diskMode ? SW_SHOW : SW_HIDE);
    look::setControlText(window_, IDC_INPUT_GROUP, loadText(diskMode ? IDS_PROMPT_DRIVE : IDS_PROMPT_FILE));
    if (diskMode) showDrivePrompt();
    EnableWindow(item(IDC_BROWSE), !diskMode);
    updateHashButton();
}

}  // namespace sumwise
