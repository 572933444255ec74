// The main dialog's input side: the input box and its modes, the option
// check boxes, the command line, and the Hash and OK/Stop buttons.
#include <windows.h>
#include <commctrl.h>

#include "app/input_failure_text.h"
#include "app/main_dialog.h"
#include "jobs/input_source.h"
#include "jobs/long_path.h"
#include "resources/resource_ids.h"
#include "results/results_list.h"
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
    EnableWindow(item(IDC_HASH), job_.tickedMask != 0 && inputReady);
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
    results::clearValues(list_);  // every value belonged to the previous input
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

void MainDialog::onDriveSelected(const Command& command) {
    if (command.notification != CBN_SELCHANGE) return;
    const auto selected = SendMessageW(item(IDC_DRIVES), CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    const auto letter = static_cast<wchar_t>(SendMessageW(item(IDC_DRIVES), CB_GETITEMDATA, selected, 0));
    if (letter != lastDriveLetter_) {
        ++inputGeneration_;
        setInput(L"");  // another medium: every value is stale
        lastDriveLetter_ = letter;
    }
}

void MainDialog::onShowAll(const Command&) {
    if (checked(IDC_SHOW_ALL)) {
        for (const AlgorithmEntry& entry : algorithms()) {
            if (results::rowForName(list_, entry.wideName()) < 0) results::addRow(list_, entry.wideName(), false);
        }
    } else {
        for (int row = results::rowCount(list_) - 1; row >= 0; --row) {
            if (!results::rowTicked(list_, row)) results::deleteRow(list_, row);
        }
    }
}

void MainDialog::onSmallCaps(const Command&) {
    job_.upperCase = !checked(IDC_SMALL_CAPS);
    results::recaseValues(list_, job_.upperCase);
}

void MainDialog::onHash(const Command&) {
    // Enter comes here too: it does nothing while Hash may not be pressed.
    if (!IsWindowEnabled(item(IDC_HASH))) return;
    job_.jobMask = job_.tickedMask;
    if (services_.ctrlDown && services_.ctrlDown() && job_.logMode.load() != LogMode::EveryJob) {
        job_.logMode = LogMode::ThisJob;
    }
    if (services_.shiftDown && services_.shiftDown()) {
        results::clearValues(list_);  // compute every ticked algorithm again
    } else {
        const int count = results::rowCount(list_);
        for (int row = 0; row < count; ++row) {
            if (!results::rowTicked(list_, row) || results::rowValue(list_, row).empty()) continue;
            if (const AlgorithmEntry* entry = algorithmNamed(std::wstring_view(results::rowName(list_, row)))) {
                job_.jobMask &= ~entry->flag();  // already has its value
            }
        }
    }
    if (job_.jobMask == 0) return;
    SetWindowTextW(window_, loadText(IDS_PRODUCT).c_str());
    if (!job_.fileMode && !job_.diskMode && job_.text.empty()) {
        look::setControlText(window_, IDC_INPUT_GROUP, loadFormatted(IDS_TEXT_LENGTH, {std::int64_t{0}}));
    }
    if (driver_->state() == JobState::Idle) jobInput_ = inputGeneration_;  // the job's values belong to this input
    driver_->hashPressed();
}

void MainDialog::onOkOrCancel(const Command& command) {
    // While a job is active this stops it; only an idle dialog closes.
    if (driver_ && driver_->stopPressed()) return;
    EndDialog(window_, command.id);
}

void MainDialog::applyCommandLine() {
    if (commandLine_.empty()) {
        for (const AlgorithmEntry& entry : algorithms()) {
            if ((entry.flag() & kDefaultAlgorithms) != 0) results::addRow(list_, entry.wideName(), true);
        }
        setChecked(IDC_TEXT_MODE, false);
        setInput(L"");
        return;
    }
    const CommandLine parsed = parseCommandLine(commandLine_);
    Md6Params& md6 = job_.params.md6;
    if (parsed.md6Key) {
        const std::string key = toAnsi(*parsed.md6Key, Md6Params::kMaxKeyBytes);
        md6.key.fill('\0');
        std::copy(key.begin(), key.end(), md6.key.begin());
    }
    // Held to the ranges the MD6 dialog allows: a value MD6 cannot take would give no digest at all.
    if (parsed.md6D) md6.d = kMd6DigestBitsRange.clamp(*parsed.md6D);
    if (parsed.md6L) md6.L = kMd6ModeRange.clamp(*parsed.md6L);
    if (parsed.md6R) md6.r = kMd6RoundsRange.clamp(*parsed.md6R);

    using Kind = CommandLine::Step::Kind;
    for (const CommandLine::Step& step : parsed.steps) {
        switch (step.kind) {
        case Kind::ShowAll: setChecked(IDC_SHOW_ALL, true); break;
        case Kind::SmallCaps:
            job_.upperCase = false;
            setChecked(IDC_SMALL_CAPS, true);
            break;
        case Kind::TextMode:
            setChecked(IDC_TEXT_MODE, true);
            onTextMode(kNoCommand);
            break;
        case Kind::DiskMode:
            setChecked(IDC_DISK_MODE, true);
            onDiskMode(kNoCommand);
            break;
        case Kind::LogEveryJob: job_.logMode = LogMode::EveryJob; break;
        case Kind::Input:
            // The exact wide path, so names outside the ANSI code page work,
            // and whole; a text only as long as the box lets one type.
            setInput(job_.fileMode ? step.input : step.input.substr(0, 256));
            showSizeLabel();
            break;
        }
    }
    for (const AlgorithmEntry& entry : algorithms()) {
        if ((parsed.tickedMask & entry.flag()) != 0) results::addRow(list_, entry.wideName(), true);
    }
    onShowAll(kNoCommand);
    loadCompanionHashFile(false);
}

}  // namespace sumwise
