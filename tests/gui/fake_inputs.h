// Stand-ins for what a test machine cannot provide for real: optical drives
// with media, and data objects that the shell would drag onto the window.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "inputs/device_catalog.h"

namespace sumwise::test {

struct FakeDrive {
    wchar_t letter = L'E';
    std::wstring devicePath;  // empty: a CD-ROM letter the device list does not know
    DeviceDescription description;
    VolumeInformation volume;
    std::uint64_t length = 0;
};

// A machine with the given drives (and a hard disk C:).
class FakeDevices final : public DeviceCatalog {
public:
    explicit FakeDevices(std::vector<FakeDrive> drives = {}) : drives_(std::move(drives)) {}

    void setDrives(std::vector<FakeDrive> drives);
    void setSerial(wchar_t letter, std::uint32_t serial);
    // While held, a scan waits at its start (a drive slow to answer).
    void holdScans(bool held);

    std::vector<std::wstring> opticalDevices() override;
    std::uint32_t logicalDrives() override;
    unsigned driveType(wchar_t letter) override;
    std::wstring volumeName(const std::wstring& mountPoint) override;
    VolumeInformation volumeInformation(wchar_t letter) override;
    DeviceDescription describe(const std::wstring& devicePath) override;
    std::uint64_t diskLength(const std::wstring& devicePath) override;
    HICON smallIcon(wchar_t letter) override;

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
    std::vector<FakeDrive> drives_;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// What a drag from the shell carries: file paths (or none at all), and the
// drop descriptions the target hands back.
class FakeDataObject final : public IDataObject {
public:
    // `paths` none: the object carries no file-drop data.
    explicit FakeDataObject(std::optional<std::vector<std::wstring>> paths) : paths_(std::move(paths)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references_); }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    // The last drop description the target set.
    std::optional<DROPDESCRIPTION> description() const { return description_; }
    LONG references() const { return references_.load(); }

private:
    std::optional<std::vector<std::wstring>> paths_;
    std::optional<DROPDESCRIPTION> description_;
    std::atomic<LONG> references_{1};
};

#pragma GCC diagnostic pop

}  // namespace sumwise::test
