// The platform's view of optical drives: which devices there are, their
// letters, media and sizes. A thin interface, so tests can stand a list of
// devices of their own in for the machine's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sumwise {

// What a device tells about itself; empty when it cannot be opened or asked.
struct DeviceDescription {
    unsigned busType = 0;  // the system's storage bus type numbering
    std::string vendor;    // the bytes the device reports, as they came
    std::string product;
};

struct VolumeInformation {
    std::wstring label;
    std::uint32_t serial = 0;  // 0: no medium, or the drive could not be asked
};

// Every call may come from any thread.
class DeviceCatalog {
public:
    virtual ~DeviceCatalog() = default;

    // Device interface paths of the present CD-ROM class devices.
    virtual std::vector<std::wstring> opticalDevices() = 0;
    // Present drive letters: bit 0 is A.
    virtual std::uint32_t logicalDrives() = 0;
    // DRIVE_CDROM and the other drive types of the system.
    virtual unsigned driveType(wchar_t letter) = 0;
    // The volume GUID path mounted at `mountPoint` ("X:\", or a device path
    // with one trailing backslash); empty when there is none.
    virtual std::wstring volumeName(const std::wstring& mountPoint) = 0;
    virtual VolumeInformation volumeInformation(wchar_t letter) = 0;
    virtual DeviceDescription describe(const std::wstring& devicePath) = 0;
    // The medium's length in bytes; 0 when the device cannot tell.
    virtual std::uint64_t diskLength(const std::wstring& devicePath) = 0;
    // The shell's small icon of the drive's root, owned by the caller; may be null.
    virtual HICON smallIcon(wchar_t letter) = 0;
};

// The machine's own devices.
std::shared_ptr<DeviceCatalog> systemDeviceCatalog();

}  // namespace sumwise
