// The main dialog's drive box: the optical drives offered in disk mode,
// rebuilt when devices come and go, and the drive chosen for a disk job.
#include <windows.h>
#include <commctrl.h>

#include "app/main_dialog.h"
#include "inputs/drive_scanner.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise {

namespace {

std::size_t letterIndex(wchar_t letter) { return static_cast<std::size_t>(letter - L'A') % 26; }

}  // namespace

void MainDialog::startDrives() {
    devices_ = services_.devices ? services_.devices : systemDeviceCatalog();
    const int size = look::systemMetric(window_, SM_CXSMICON);
    driveImages_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4);
    SendMessageW(item(IDC_DRIVES), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(driveImages_));
    DriveScanner::Settings settings;
    settings.window = window_;
    settings.scannedMessage = kDrivesScannedMessage;
    settings.busyMessage = kDrivesBusyMessage;
    settings.emptyText = loadText(IDS_EMPTY_VOLUME);
    settings.decimalSeparator = decimalSeparator();
    drives_ = std::make_unique<DriveScanner>(devices_, std::move(settings));
    // Disk mode waits for the first list; the scan enables it when done.
    enable(IDC_DRIVES, false);
    enable(IDC_DISK_MODE, false);
    drives_->fill();
}

INT_PTR MainDialog::onDrivesScanned(WPARAM, LPARAM) {
    if (!drives_) return TRUE;
    if (auto items = drives_->takeScan()) applyDrives(std::move(*items));
    return TRUE;
}

INT_PTR MainDialog::onDrivesBusy(WPARAM wParam, LPARAM) {
    // A job's busy layout keeps the input controls disabled until it ends.
    if (IsWindowVisible(item(IDC_PROGRESS))) return TRUE;
    const bool busy = (wParam & kDriveBoxBusy) != 0 || (drives_ && drives_->driveBoxBusy());
    enable(IDC_DRIVES, !busy);
    if ((wParam & kDiskModeToo) != 0) enable(IDC_DISK_MODE, !(drives_ && drives_->diskModeBusy()));
    return TRUE;
}

void MainDialog::enableDrivesAfterJob() {
    // A rescan still to come keeps what it disabled (its busy message came during the job).
    enable(IDC_DRIVES, !(drives_ && drives_->driveBoxBusy()));
    enable(IDC_DISK_MODE, !(drives_ && drives_->diskModeBusy()));
}

void MainDialog::applyDrives(std::vector<DriveItem> items) {
    const HWND box = item(IDC_DRIVES);
    // The chosen drive stays chosen when it is still there, wherever it is listed now.
    wchar_t chosen = L'\0';
    const auto selected = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR) chosen = static_cast<wchar_t>(SendMessageW(box, CB_GETITEMDATA, selected, 0));

    for (auto count = SendMessageW(box, CB_GETCOUNT, 0, 0); count > 0; --count) {
        SendMessageW(box, CBEM_DELETEITEM, static_cast<WPARAM>(count - 1), 0);
    }
    if (driveImages_ != nullptr) ImageList_RemoveAll(driveImages_);
    drivePaths_.clear();

    int choose = items.empty() ? -1 : 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        DriveItem& drive = items[i];
        int image = -1;
        // The list copies the icon; ours goes with the item.
        if (driveImages_ != nullptr && drive.icon) image = ImageList_AddIcon(driveImages_, drive.icon.get());
        COMBOBOXEXITEMW entry{};
        entry.mask = CBEIF_TEXT | CBEIF_LPARAM | (image >= 0 ? CBEIF_IMAGE | CBEIF_SELECTEDIMAGE : 0);
        entry.iItem = static_cast<INT_PTR>(i);
        entry.pszText = drive.text.data();
        entry.iImage = image;
        entry.iSelectedImage = image;
        entry.lParam = static_cast<LPARAM>(drive.letter);
        SendMessageW(box, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
        drivePaths_.push_back(drive.devicePath);
        if (drive.letter == chosen) choose = static_cast<int>(i);
    }
    SendMessageW(box, CB_SETITEMHEIGHT, 0, look::scaled(window_, 18));
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(choose), 0);

    // Another drive, or another medium in the chosen one: every value is stale.
    const wchar_t now = choose >= 0 ? items[static_cast<std::size_t>(choose)].letter : L'\0';
    const bool mediumChanged =
        choose >= 0 && driveSerials_[letterIndex(now)] != items[static_cast<std::size_t>(choose)].serial;
    if (job_.diskMode && (now != lastDriveLetter_ || mediumChanged)) setInput(L"");
    lastDriveLetter_ = now;
    for (const DriveItem& drive : items) driveSerials_[letterIndex(drive.letter)] = drive.serial;

    drivesListed_ = true;
    if (job_.diskMode) showDrivePrompt();
    updateHashButton();
}

void MainDialog::showDrivePrompt() {
    const bool none = drivesListed_ && SendMessageW(item(IDC_DRIVES), CB_GETCOUNT, 0, 0) <= 0;
    look::setControlText(window_, IDC_INPUT_GROUP, loadText(none ? IDS_NO_DRIVES : IDS_PROMPT_DRIVE));
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

INT_PTR MainDialog::onChosenVolume(WPARAM, LPARAM lParam) {
    if (auto* choice = reinterpret_cast<std::optional<VolumeChoice>*>(lParam)) *choice = chosenDrive();
    return TRUE;
}

bool MainDialog::driveChosen() const { return SendMessageW(item(IDC_DRIVES), CB_GETCURSEL, 0, 0) != CB_ERR; }

std::optional<VolumeChoice> MainDialog::chosenDrive() const {
    const HWND box = item(IDC_DRIVES);
    const auto selected = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR || static_cast<std::size_t>(selected) >= drivePaths_.size()) return std::nullopt;
    VolumeChoice choice;
    choice.letter = static_cast<wchar_t>(SendMessageW(box, CB_GETITEMDATA, selected, 0));
    choice.path = std::wstring{L'\\', L'\\', L'.', L'\\', choice.letter, L':'};
    choice.devicePath = drivePaths_[static_cast<std::size_t>(selected)];
    return choice;
}

}  // namespace sumwise
