#include "fake_inputs.h"

#include <cstring>

namespace sumwise::test {

namespace {

std::wstring rootOf(wchar_t letter) { return {letter, L':', L'\\'}; }
std::wstring volumeOf(wchar_t letter) { return std::wstring(L"\\\\?\\Volume{fake-") + letter + L"}\\"; }

}  // namespace

void FakeDevices::setDrives(std::vector<FakeDrive> drives) {
    std::lock_guard lock(mutex_);
    drives_ = std::move(drives);
}

void FakeDevices::setSerial(wchar_t letter, std::uint32_t serial) {
    std::lock_guard lock(mutex_);
    for (FakeDrive& drive : drives_) {
        if (drive.letter == letter) drive.volume.serial = serial;
    }
}

void FakeDevices::holdScans(bool held) {
    {
        std::lock_guard lock(mutex_);
        held_ = held;
    }
    released_.notify_all();
}

std::vector<std::wstring> FakeDevices::opticalDevices() {
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return !held_; });
    std::vector<std::wstring> paths;
    for (const FakeDrive& drive : drives_) {
        if (!drive.devicePath.empty()) paths.push_back(drive.devicePath);
    }
    return paths;
}

std::uint32_t FakeDevices::logicalDrives() {
    std::lock_guard lock(mutex_);
    std::uint32_t mask = 1u << 2;  // C:
    for (const FakeDrive& drive : drives_) {
        if (drive.letter >= L'A' && drive.letter <= L'Z') mask |= 1u << (drive.letter - L'A');
    }
    return mask;
}

unsigned FakeDevices::driveType(wchar_t letter) {
    std::lock_guard lock(mutex_);
    for (const FakeDrive& drive : drives_) {
        if (drive.letter == letter) return DRIVE_CDROM;
    }
    return DRIVE_FIXED;
}

std::wstring FakeDevices::volumeName(const std::wstring& mountPoint) {
    std::lock_guard lock(mutex_);
    if (mountPoint == rootOf(L'C')) return volumeOf(L'C');
    for (const FakeDrive& drive : drives_) {
        // A device is asked with exactly one backslash after its path.
        if (mountPoint == rootOf(drive.letter) ||
            (!drive.devicePath.empty() && mountPoint == drive.devicePath + L"\\")) {
            return volumeOf(drive.letter);
        }
    }
    return {};
}

VolumeInformation FakeDevices::volumeInformation(wchar_t letter) {
    std::lock_guard lock(mutex_);
    for (const FakeDrive& drive : drives_) {
        if (drive.letter == letter) return drive.volume;
    }
    return {};
}

DeviceDescription FakeDevices::describe(const std::wstring& devicePath) {
    std::lock_guard lock(mutex_);
    for (const FakeDrive& drive : drives_) {
        if (drive.devicePath == devicePath) return drive.description;
    }
    return {};
}

std::uint64_t FakeDevices::diskLength(const std::wstring& devicePath) {
    std::lock_guard lock(mutex_);
    for (const FakeDrive& drive : drives_) {
        if (drive.devicePath == devicePath) return drive.length;
    }
    return 0;
}

HICON FakeDevices::smallIcon(wchar_t) { return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)); }

HRESULT FakeDataObject::QueryInterface(REFIID id, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDataObject::QueryGetData(FORMATETC* format) {
    return format != nullptr && format->cfFormat == CF_HDROP && paths_ ? S_OK : DV_E_FORMATETC;
}

HRESULT FakeDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out != nullptr) out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (format == nullptr || medium == nullptr) return E_INVALIDARG;
    if (format->cfFormat != CF_HDROP || (format->tymed & TYMED_HGLOBAL) == 0 || !paths_) return DV_E_FORMATETC;
    // DROPFILES, then each path and its NUL, then one more NUL.
    std::wstring list;
    for (const std::wstring& path : *paths_) list += path + L'\0';
    list += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GHND, bytes);
    if (memory == nullptr) return E_OUTOFMEMORY;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<std::uint8_t*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT FakeDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    static const auto descriptionFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_DROPDESCRIPTION));
    if (format == nullptr || medium == nullptr || format->cfFormat != descriptionFormat ||
        medium->tymed != TYMED_HGLOBAL) {
        return DV_E_FORMATETC;
    }
    if (const auto* description = static_cast<const DROPDESCRIPTION*>(GlobalLock(medium->hGlobal))) {
        description_ = *description;
        GlobalUnlock(medium->hGlobal);
    }
    if (release) GlobalFree(medium->hGlobal);
    return S_OK;
}

}  // namespace sumwise::test
