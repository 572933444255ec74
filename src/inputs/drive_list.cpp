#include "inputs/drive_list.h"

#include <array>

#include "text/size_text.h"
#include "text/text_format.h"

namespace sumwise {

namespace {

constexpr std::array<std::wstring_view, 16> kBusNames = {
    L"",     L"SCSI ", L"ATAPI ", L"ATA ", L"IEEE 1394 ", L"SSA ", L"FIBRE ", L"USB ",
    L"RAID ", L"iSCSI ", L"SAS ",  L"SATA ", L"SD ",        L"MMC ", L"MAX ",   L"",
};

// A device's identification bytes as text: one character per byte, no
// trailing blanks, one blank after it.
std::wstring identification(const std::string& bytes) {
    std::wstring text;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text.push_back(code < 0x20 || code == 0x7F ? L'?' : static_cast<wchar_t>(code));
    }
    while (!text.empty() && text.back() == L' ') text.pop_back();
    if (!text.empty()) text.push_back(L' ');
    return text;
}

bool sameVolume(std::wstring_view a, std::wstring_view b) {
    return !a.empty() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring rootOf(wchar_t letter) { return {letter, L':', L'\\'}; }

DriveItem describeDrive(DeviceCatalog& catalog, const std::wstring& devicePath, wchar_t letter, wchar_t separator,
                        std::wstring_view emptyText) {
    DriveItem item;
    item.letter = letter;
    item.devicePath = devicePath;
    const DeviceDescription description = catalog.describe(devicePath);
    const VolumeInformation volume = catalog.volumeInformation(letter);
    item.serial = volume.serial;
    const std::uint64_t length = volume.serial != 0 ? catalog.diskLength(devicePath) : 0;
    item.text = driveText(description, letter, volume, length, separator, emptyText);
    item.icon.reset(catalog.smallIcon(letter));
    return item;
}

}  // namespace

std::wstring_view busName(unsigned busType) { return busType < kBusNames.size() ? kBusNames[busType] : L""; }

std::wstring driveText(const DeviceDescription& description, wchar_t letter, const VolumeInformation& volume,
                       std::uint64_t length, wchar_t decimalSeparator, std::wstring_view emptyText) {
    const std::wstring vendor = identification(description.vendor);
    const std::wstring product = identification(description.product);
    const std::wstring_view bus = busName(description.busType);
    std::wstring text;
    if (volume.serial == 0) {
        text = formatText(L"%s%s%s(%c:) %s", {vendor, product, bus, letter, emptyText});
    } else if (length == 0) {
        text = formatText(L"%s%s%s(%c:) %s", {vendor, product, bus, letter, std::wstring_view(volume.label)});
    } else {
        const std::wstring size = sizeText(length, decimalSeparator);
        text = formatText(L"%s%s%s(%c:) %s (%s)",
                          {vendor, product, bus, letter, std::wstring_view(volume.label), std::wstring_view(size)});
    }
    while (!text.empty() && text.back() == L' ') text.pop_back();  // an empty label
    return text.substr(0, kMaxDriveText);
}

std::vector<DriveItem> listDrives(DeviceCatalog& catalog, wchar_t decimalSeparator, std::wstring_view emptyText) {
    std::vector<wchar_t> opticalLetters;
    const std::uint32_t present = catalog.logicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if ((present & (1u << (letter - L'A'))) != 0 && catalog.driveType(letter) == DRIVE_CDROM) {
            opticalLetters.push_back(letter);
        }
    }
    std::vector<std::wstring> letterVolumes;
    for (const wchar_t letter : opticalLetters) letterVolumes.push_back(catalog.volumeName(rootOf(letter)));

    std::vector<DriveItem> items;
    std::vector<bool> matched(opticalLetters.size(), false);
    for (const std::wstring& devicePath : catalog.opticalDevices()) {
        if (items.size() == kMaxDrives) break;
        const std::wstring volume = catalog.volumeName(devicePath + L"\\");
        for (std::size_t i = 0; i < opticalLetters.size(); ++i) {
            if (matched[i] || !sameVolume(volume, letterVolumes[i])) continue;
            matched[i] = true;
            items.push_back(describeDrive(catalog, devicePath, opticalLetters[i], decimalSeparator, emptyText));
            break;
        }
    }
    // Drives the device list does not know: their volume stands for the device.
    for (std::size_t i = 0; i < opticalLetters.size() && items.size() < kMaxDrives; ++i) {
        if (matched[i]) continue;
        const std::wstring volumePath = {L'\\', L'\\', L'.', L'\\', opticalLetters[i], L':'};
        items.push_back(describeDrive(catalog, volumePath, opticalLetters[i], decimalSeparator, emptyText));
    }
    return items;
}

}  // namespace sumwise
