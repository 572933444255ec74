#include "toolkit/taskbar_button.h"

#include <shobjidl.h>

namespace sumwise {

namespace {

class ShellTaskbarButton final : public TaskbarButton {
public:
    ShellTaskbarButton(HWND window, ITaskbarList3* list) : window_(window), list_(list) {}
    ~ShellTaskbarButton() override { list_->Release(); }
    ShellTaskbarButton(const ShellTaskbarButton&) = delete;
    ShellTaskbarButton& operator=(const ShellTaskbarButton&) = delete;

    void setProgressState(Progress state) override {
        list_->SetProgressState(window_, state == Progress::Normal ? TBPF_NORMAL : TBPF_NOPROGRESS);
    }
    void setProgressValue(std::uint64_t completed, std::uint64_t total) override {
        list_->SetProgressValue(window_, completed, total);
    }
    void setOverlayIcon(HICON icon, const wchar_t* description) override {
        list_->SetOverlayIcon(window_, icon, description);
    }

private:
    HWND window_;
    ITaskbarList3* list_;
};

}  // namespace

std::unique_ptr<TaskbarButton> shellTaskbarButton(HWND window) {
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))) ||
        list == nullptr) {
        return nullptr;
    }
    if (FAILED(list->HrInit())) {
        list->Release();
        return nullptr;
    }
    return std::make_unique<ShellTaskbarButton>(window, list);
}

}  // namespace sumwise
