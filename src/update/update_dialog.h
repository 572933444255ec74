// The update dialog: checks the server for a newer version, downloads the
// portable build or the Setup program, verifies it and offers to run it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "app/app_services.h"
#include "toolkit/secondary_dialog.h"
#include "update/update_state.h"

namespace sumwise {

struct UpdateOutcome {
    enum class Kind {
        Closed,   // nothing to do
        Ran,      // the downloaded portable build was started
        Install,  // the downloaded Setup program is to be started and the program to end
    };
    Kind kind = Kind::Closed;
    std::wstring path;  // the Setup program, for Install
};

class UpdateDialog final : public SecondaryDialog {
public:
    UpdateDialog(const AppServices& services, LanguageId language);
    ~UpdateDialog() override;
    UpdateDialog(const UpdateDialog&) = delete;
    UpdateDialog& operator=(const UpdateDialog&) = delete;

    // Runs the dialog modally over `owner` and waits for its threads.
    UpdateOutcome run(HWND owner);

private:
    class WorkerView;
    struct ScreenRow;

    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Messages
    INT_PTR onInitDialog(WPARAM, LPARAM);
    INT_PTR onCommand(WPARAM, LPARAM);
    INT_PTR onDestroy(WPARAM, LPARAM);
    INT_PTR onShowScreen(WPARAM, LPARAM);
    INT_PTR onProgress(WPARAM, LPARAM);
    INT_PTR onShowError(WPARAM, LPARAM);
    INT_PTR onChooseTarget(WPARAM, LPARAM);
    INT_PTR onWorkerClose(WPARAM, LPARAM);

    // Commands
    void onCancel(const Command&);
    void onDownloadOrRun(const Command&);
    void onInstall(const Command&);

    // Helpers
    void setUpLook();
    void startWorker(void (*routine)(UpdateState&, UpdateView&));
    void startDownload(const std::wstring& fileName);
    void applyScreen(UpdateScreen screen, const std::wstring* message);
    void placeControls(int layout);
    void setMarquee(bool on);
    void setCancelEnabled(bool enabled);

    const AppServices& services_;
    UpdateState state_;
    std::unique_ptr<WorkerView> view_;
    std::thread worker_;
    UpdateOutcome outcome_;

    HICON largeIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    RECT messageRect_{};
    RECT progressRect_{};
    std::uint64_t progressTotal_ = 0;  // the bar's range; 0 while it runs as a marquee
};

}  // namespace sumwise
