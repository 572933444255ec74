#include "inputs/drop_target.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "inputs/drop_files.h"
#include "jobs/long_path.h"
#include "results/compare.h"

namespace sumwise {

namespace {

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(extendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Copies at most the room of a DROPDESCRIPTION text, always terminated.
void copyBounded(WCHAR (&destination)[MAX_PATH], const std::wstring& text) {
    const std::size_t count = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::copy_n(text.begin(), count, destination);
    destination[count] = L'\0';
}

// A dropped name's bytes as text: UTF-16 little-endian, or the ANSI code page.
std::wstring wideName(std::string_view bytes) {
    std::wstring name(bytes.size() / 2, L'\0');
    std::memcpy(name.data(), bytes.data(), name.size() * sizeof(wchar_t));
    return name;
}

std::optional<std::wstring> ansiName(std::string_view bytes) {
    if (bytes.size() > 0x7FFFFFFF) return std::nullopt;
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring name(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), name.data(), length);
    return name;
}

}  // namespace

std::wstring fileNamePart(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::optional<std::wstring> droppedPath(IDataObject* data) {
    if (data == nullptr) return std::nullopt;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return std::nullopt;
    std::optional<std::wstring> path;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        if (const auto* block = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
            const auto name = onlyDroppedName({block, GlobalSize(medium.hGlobal)});
            if (name && name->wide) {
                path = wideName(name->bytes);
            } else if (name) {
                path = ansiName(name->bytes);
            }
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return path;
}

CDragDropHelper::CDragDropHelper(IDropTargetHelper* dragImages)
    : dragImages_(dragImages), oleResult_(OleInitialize(nullptr)) {}

CDragDropHelper::~CDragDropHelper() {
    if (held_ != nullptr) held_->Release();
    if (dragImages_ != nullptr) dragImages_->Release();
    if (SUCCEEDED(oleResult_)) OleUninitialize();
}

bool CDragDropHelper::registerTarget(HWND window, const DropMessages& messages, bool withSystem) {
    acceptedImage_ = DROPIMAGE_COPY;
    messages_ = messages;
    if (withSystem && FAILED(RegisterDragDrop(window, this))) return false;
    target_ = window;
    withSystem_ = withSystem;
    return true;
}

void CDragDropHelper::revokeTarget() {
    if (target_ == nullptr) return;
    if (withSystem_) RevokeDragDrop(target_);
    target_ = nullptr;
}

void CDragDropHelper::setDescription(IDataObject* data, int imageType, const std::wstring& message,
                                     const std::wstring& insert) {
    if (data == nullptr) return;
    static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_DROPDESCRIPTION));
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPDESCRIPTION));
    if (memory == nullptr) return;
    auto* description = static_cast<DROPDESCRIPTION*>(GlobalLock(memory));
    if (description == nullptr) {
        GlobalFree(memory);
        return;
    }
    description->type = static_cast<DROPIMAGETYPE>(imageType);
    copyBounded(description->szMessage, message);
    copyBounded(description->szInsert, insert);
    GlobalUnlock(memory);
    FORMATETC formatEtc{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory;
    // On success the data object owns the memory.
    if (FAILED(data->SetData(&formatEtc, &medium, TRUE))) GlobalFree(memory);
}

HRESULT CDragDropHelper::DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
    try {
        POINT where{point.x, point.y};
        if (dragImages_ != nullptr && effect != nullptr) dragImages_->DragEnter(target_, data, &where, *effect);
        if (held_ != nullptr) held_->Release();
        held_ = nullptr;
        if (data != nullptr) data->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&held_));

        const std::optional<std::wstring> path = droppedPath(data);
        accepted_ = false;
        oneFile_ = false;
        if (!path) {
            setDescription(data, DROPIMAGE_NONE, messages_[kDropNotOneFile], L"");
        } else if (isFolder(*path)) {
            setDescription(data, DROPIMAGE_NONE, messages_[kDropFolder], L"");
        } else {
            oneFile_ = true;
            droppedPath_ = *path;
            describeFile(data);
        }
        if (effect != nullptr) *effect = this->effect();
        return S_OK;
    } catch (...) {
        accepted_ = false;
        if (effect != nullptr) *effect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}

void CDragDropHelper::describeFile(IDataObject* data) {
    accepted_ = !takes_ || takes_(droppedPath_);
    if (accepted_) {
        setDescription(data, acceptedImage_, messages_[results::isHashFile(droppedPath_) ? kDropHashFile : kDropFile],
                       fileNamePart(droppedPath_));
    } else {
        setDescription(data, DROPIMAGE_NONE, L"", L"");
    }
}

HRESULT CDragDropHelper::DragOver(DWORD, POINTL point, DWORD* effect) {
    try {
        // A job may have started or ended while the file is held over the window.
        if (oneFile_ && takes_ && takes_(droppedPath_) != accepted_) describeFile(held_);
    } catch (...) {
        accepted_ = false;
    }
    if (effect != nullptr) *effect = this->effect();
    POINT where{point.x, point.y};
    if (dragImages_ != nullptr) dragImages_->DragOver(&where, this->effect());
    return S_OK;
}

HRESULT CDragDropHelper::DragLeave() {
    try {
        if (dragImages_ != nullptr) dragImages_->DragLeave();
        if (held_ != nullptr) {
            setDescription(held_, DROPIMAGE_INVALID, L"", L"");
            held_->Release();
            held_ = nullptr;
        }
        accepted_ = false;
        oneFile_ = false;
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CDragDropHelper::Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
    try {
        if (accepted_ && takes_ && !takes_(droppedPath_)) accepted_ = false;
        if (effect != nullptr) *effect = this->effect();
        POINT where{point.x, point.y};
        if (dragImages_ != nullptr) dragImages_->Drop(data, &where, this->effect());
        // The drag is over: the data object is let go, as after a leave.
        IDataObject* const held = std::exchange(held_, nullptr);
        const bool accepted = std::exchange(accepted_, false);
        oneFile_ = false;
        if (accepted) {
            OnFileDropped(droppedPath_);
        } else {
            OnOtherDropped(held);
        }
        if (held != nullptr) held->Release();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CDragDropHelper::OnOtherDropped(IDataObject*) { return S_OK; }

FileDropTarget::FileDropTarget(FileDropped fileDropped, IDropTargetHelper* dragImages)
    : CDragDropHelper(dragImages), fileDropped_(std::move(fileDropped)) {}

FileDropTarget* FileDropTarget::create(FileDropped fileDropped, IDropTargetHelper* dragImages) {
    auto* target = new (std::nothrow) FileDropTarget(std::move(fileDropped), dragImages);
    if (target == nullptr && dragImages != nullptr) dragImages->Release();
    return target;
}

HRESULT FileDropTarget::QueryInterface(REFIID id, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FileDropTarget::AddRef() { return static_cast<ULONG>(++references_); }

ULONG FileDropTarget::Release() {
    const LONG left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

void FileDropTarget::OnFileDropped(const std::wstring& path) {
    if (fileDropped_) fileDropped_(path);
}

IDropTargetHelper* shellDragImages() {
    IDropTargetHelper* helper = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                                reinterpret_cast<void**>(&helper)))) {
        return nullptr;
    }
    return helper;
}

}  // namespace sumwise
