// The machine's optical devices through SetupAPI, the volume functions and
// the storage queries of the device itself.
#include "inputs/device_catalog.h"

#include <devguid.h>
#include <setupapi.h>
#include <shellapi.h>
#include <winioctl.h>

#include <vector>

namespace sumwise {

namespace {

// GUID_DEVINTERFACE_CDROM
constexpr GUID kOpticalInterface = {0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

class DeviceHandle {
public:
    explicit DeviceHandle(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~DeviceHandle() {
        if (valid()) CloseHandle(handle_);
    }
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A property of the device (adapter or device descriptor), as the bytes it returned.
std::vector<std::uint8_t> storageProperty(HANDLE device, STORAGE_PROPERTY_ID property) {
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = property;
    query.QueryType = PropertyStandardQuery;
    std::vector<std::uint8_t> buffer(1024);
    DWORD returned = 0;
    if (!DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
        return {};
    }
    buffer.resize(returned);
    return buffer;
}

// The text at `offset` of a descriptor: up to a NUL or the end of what was returned.
std::string descriptorText(const std::vector<std::uint8_t>& bytes, DWORD offset) {
    std::string text;
    for (std::size_t i = offset; offset != 0 && i < bytes.size() && bytes[i] != 0; ++i) {
        text.push_back(static_cast<char>(bytes[i]));
    }
    return text;
}

class SystemCatalog final : public DeviceCatalog {
public:
    std::vector<std::wstring> opticalDevices() override {
        std::vector<std::wstring> paths;
        const HDEVINFO set = SetupDiGetClassDevsW(&kOpticalInterface, nullptr, nullptr,
                                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) return paths;
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &kOpticalInterface, index, &data); ++index) {
            DWORD needed = 0;
            SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &needed, nullptr);
            if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
            std::vector<std::uint8_t> buffer(needed);
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
            if (SetupDiGetDeviceInterfaceDetailW(set, &data, detail, needed, nullptr, nullptr)) {
                paths.emplace_back(detail->DevicePath);
            }
        }
        SetupDiDestroyDeviceInfoList(set);
        return paths;
    }

    std::uint32_t logicalDrives() override { return GetLogicalDrives(); }

    unsigned driveType(wchar_t letter) override {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        return GetDriveTypeW(root);
    }

    std::wstring volumeName(const std::wstring& mountPoint) override {
        wchar_t name[MAX_PATH] = {};
        if (!GetVolumeNameForVolumeMountPointW(mountPoint.c_str(), name, MAX_PATH)) return {};
        return name;
    }

    VolumeInformation volumeInformation(wchar_t letter) override {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        wchar_t label[64] = {};
        DWORD serial = 0;
        VolumeInformation information;
        // A drive without a medium fails here: no serial. The scan threads and
        // the job thread ask at once, so the mode is this thread's alone.
        DWORD previous = 0;
        SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous);
        if (GetVolumeInformationW(root, label, 64, &serial, nullptr, nullptr, nullptr, 0)) {
            information.label = label;
            information.serial = serial;
        }
        SetThreadErrorMode(previous, nullptr);
        return information;
    }

    DeviceDescription describe(const std::wstring& devicePath) override {
        DeviceDescription description;
        const DeviceHandle device(devicePath);
        if (!device.valid()) return description;
        const auto adapter = storageProperty(device.get(), StorageAdapterProperty);
        if (adapter.size() < offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusType) + 1) return description;
        description.busType = adapter[offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusType)];
        const auto deviceBytes = storageProperty(device.get(), StorageDeviceProperty);
        if (deviceBytes.size() >= sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
            const auto* header = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(deviceBytes.data());
            description.vendor = descriptorText(deviceBytes, header->VendorIdOffset);
            description.product = descriptorText(deviceBytes, header->ProductIdOffset);
        }
        return description;
    }

    std::uint64_t diskLength(const std::wstring& devicePath) override {
        const DeviceHandle device(devicePath);
        if (!device.valid()) return 0;
        GET_LENGTH_INFORMATION length{};
        DWORD returned = 0;
        if (!DeviceIoControl(device.get(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned,
                             nullptr) ||
            length.Length.QuadPart < 0) {
            return 0;
        }
        return static_cast<std::uint64_t>(length.Length.QuadPart);
    }

    HICON smallIcon(wchar_t letter) override {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        SHFILEINFOW information{};
        if (!SHGetFileInfoW(root, 0, &information, sizeof information, SHGFI_ICON | SHGFI_SMALLICON)) return nullptr;
        return information.hIcon;
    }
};

}  // namespace

std::shared_ptr<DeviceCatalog> systemDeviceCatalog() { return std::make_shared<SystemCatalog>(); }

}  // namespace sumwise
