// The check window: every line of a sums file with the status of the file it
// names, checked on a worker thread (CheckRun) that reaches the window only
// through posted messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/app_services.h"
#include "toolkit/dialog.h"
#include "results/check_run.h"

namespace sumwise {

enum : UINT {
    kCheckChangedMessage = WM_APP + 60,  // posted: rows or statuses changed
    kCheckEndedMessage = WM_APP + 61,    // posted: the worker has ended
};

// The list and progress are brought up to date this often while checking.
inline constexpr UINT_PTR kCheckTimer = 1;
inline constexpr UINT kCheckInterval = 100;  // milliseconds

// The exit status of a check that could not start.
inline constexpr int kCheckUnreadableExit = 2;

class CheckDialog final : public Dialog {
public:
    CheckDialog(std::filesystem::path sumsPath, const AppServices& services);
    ~CheckDialog() override;

    // Runs the window modally over `owner` (null: as the program's window).
    INT_PTR run(HINSTANCE instance, HWND owner);

    // Tells the user once, over `owner`, why `sumsPath` cannot be checked;
    // false then. True when it can.
    static bool canCheck(const std::filesystem::path& sumsPath, HWND owner);

    // The report "Copy report" gives: the lines sumwise-cli -c prints, then the summary.
    std::wstring report() const;

private:
    struct Layout {
        SIZE window{};
        SIZE client{};
        RECT list{}, summary{}, progress{}, speed{};
        RECT buttons[5]{};
    };

    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR onInitDialog(WPARAM, LPARAM);
    INT_PTR onCommand(WPARAM, LPARAM);
    INT_PTR onNotify(WPARAM, LPARAM);
    INT_PTR onTimer(WPARAM, LPARAM);
    INT_PTR onChanged(WPARAM, LPARAM);
    INT_PTR onEnded(WPARAM, LPARAM);
    INT_PTR onSizing(WPARAM, LPARAM);
    INT_PTR onSize(WPARAM, LPARAM);
    INT_PTR onDpiChanged(WPARAM, LPARAM);
    INT_PTR onDestroy(WPARAM, LPARAM);

    void onStop(const Command&);
    void onCheckAgain(const Command&);
    void onCopyReport(const Command&);
    void onSaveReport(const Command&);
    void onClose(const Command&);

    void setTexts();
    void setUpList();
    void captureLayout();
    void start(bool onlyFailed);
    void refresh();
    void showBusy(bool busy);
    std::wstring statusText(const CheckRow& row) const;
    std::wstring summaryText() const;
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;
    void fillItem(NMLVDISPINFOW& info) const;
    void contextMenu(int row, POINT at);

    std::filesystem::path sumsPath_;
    const AppServices& services_;
    std::unique_ptr<CheckRun> run_;
    std::atomic<bool> changePosted_{false};
    HWND list_ = nullptr;
    std::optional<Layout> layout_;
    COLORREF headingColour_ = RGB(0, 51, 153);
    COLORREF errorColour_ = RGB(228, 0, 33);
    std::chrono::steady_clock::time_point started_{};
    std::chrono::steady_clock::time_point lastRefresh_{};
    mutable std::wstring itemText_;
    // The row last asked for while drawing: its columns and colour come together.
    const CheckRow& cachedRow(std::size_t index) const;
    mutable std::size_t cachedIndex_ = static_cast<std::size_t>(-1);
    mutable CheckRow cachedRow_;
};

}  // namespace sumwise
