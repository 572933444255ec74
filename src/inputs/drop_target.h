// The window as a target for files dragged from the shell: one file at a
// time. While a file is dragged over the window the shell's drag image says
// what a drop will do ("Apply to: name", "Compare to: name" for a hash file,
// or "You can drop only one file"); a drop hands the file on.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace sumwise {

// The drop descriptions, by what is dragged.
enum DropMessage : std::size_t { kDropFile = 0, kDropHashFile = 1, kDropFolder = 2, kDropNotOneFile = 3 };
using DropMessages = std::array<std::wstring, 4>;

// The part of a path after its last backslash or slash.
std::wstring fileNamePart(std::wstring_view path);
// The one path a file-drop data object carries, at its full length; none
// when it carries none, several, or no file-drop data at all.
std::optional<std::wstring> droppedPath(IDataObject* data);

// COM interfaces have no virtual destructor; objects end through Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The drag-and-drop logic every drop target of the program shares. COM
// calls it on the thread that registered it; no exception leaves it.
class CDragDropHelper : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    // Makes `window` the target, with the four descriptions; registered with
    // the system unless `withSystem` is false (then only direct calls reach it).
    bool registerTarget(HWND window, const DropMessages& messages, bool withSystem = true);
    void revokeTarget();
    bool oleReady() const { return SUCCEEDED(oleResult_); }
    // Asked for one dragged file (not a folder), while it is over the window
    // and again at the drop: false shows no-drop and the drop does nothing
    // (a running job keeps its input). Unset: every such file is taken.
    void setFileFilter(std::function<bool(const std::wstring& path)> takes) { takes_ = std::move(takes); }

protected:
    // Takes over one reference to `dragImages` (null: no drag images).
    explicit CDragDropHelper(IDropTargetHelper* dragImages);
    virtual ~CDragDropHelper();

    // An accepted drop: exactly one file that is not a folder.
    virtual void OnFileDropped(const std::wstring& path) = 0;
    // Any other drop.
    virtual HRESULT OnOtherDropped(IDataObject* data);

private:
    void setDescription(IDataObject* data, int imageType, const std::wstring& message, const std::wstring& insert);
    // Describes the dragged file as a drop would take it now.
    void describeFile(IDataObject* data);
    DWORD effect() const { return accepted_ ? DROPEFFECT_COPY : DROPEFFECT_NONE; }

    IDropTargetHelper* dragImages_ = nullptr;
    IDataObject* held_ = nullptr;
    int acceptedImage_ = DROPIMAGE_LABEL;
    DropMessages messages_;
    HWND target_ = nullptr;
    bool withSystem_ = false;
    HRESULT oleResult_ = E_FAIL;
    bool accepted_ = false;
    bool oneFile_ = false;  // one file that is not a folder is dragged
    std::wstring droppedPath_;
    std::function<bool(const std::wstring& path)> takes_;
};

// A drop target that hands each accepted file to a callback (the main dialog's).
class FileDropTarget final : public CDragDropHelper {
public:
    using FileDropped = std::function<void(const std::wstring& path)>;

    // A new object with one reference; `dragImages` as for CDragDropHelper.
    static FileDropTarget* create(FileDropped fileDropped, IDropTargetHelper* dragImages);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    FileDropTarget(FileDropped fileDropped, IDropTargetHelper* dragImages);
    void OnFileDropped(const std::wstring& path) override;

    std::atomic<LONG> references_{1};
    FileDropped fileDropped_;
};

#pragma GCC diagnostic pop

// The shell's drag-image object, or null when it cannot be created.
IDropTargetHelper* shellDragImages();

}  // namespace sumwise
