// The optical drives offered in disk mode: one item per drive, matched to
// its letter, described by vendor, product, bus, letter, label and size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "inputs/device_catalog.h"

namespace sumwise {

// One item for each possible drive letter at most.
inline constexpr std::size_t kMaxDrives = 26;
inline constexpr std::size_t kMaxDriveText = 127;

struct IconDeleter {
    void operator()(HICON icon) const {
        if (icon != nullptr) DestroyIcon(icon);
    }
};
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct DriveItem {
    std::wstring text;
    wchar_t letter = L'\0';
    std::wstring devicePath;   // what the drive's size is asked from
    std::uint32_t serial = 0;  // of the medium; 0: none
    IconHandle icon;
};

// The bus's name with one blank after it; empty for 0 (unknown), 15 and above.
std::wstring_view busName(unsigned busType);

// "vendor product BUS (X:) label (size)", or "(Empty)" in place of label
// and size when the drive holds no medium; the size is left out when the
// drive cannot tell it. At most kMaxDriveText characters.
std::wstring driveText(const DeviceDescription& description, wchar_t letter, const VolumeInformation& volume,
                       std::uint64_t length, wchar_t decimalSeparator, std::wstring_view emptyText);

// The drives in the order the system lists them: each optical device that
// has a letter, then every CD-ROM letter no device was matched to (virtual
// drives, and systems that list no optical devices at all), at most kMaxDrives.
std::vector<DriveItem> listDrives(DeviceCatalog& catalog, wchar_t decimalSeparator, std::wstring_view emptyText);

}  // namespace sumwise
