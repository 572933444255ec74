// Runs the real program's main dialog on a thread of its own, so a test can
// drive it with window messages and look at what a user would see.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/app_services.h"
#include "test_support.h"

namespace sumwise::test {

// Records what the program shows on its taskbar button.
class RecordingTaskbar final : public TaskbarButton {
public:
    struct Record {
        std::vector<Progress> states;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> values;
        std::vector<HICON> overlays;
    };
    explicit RecordingTaskbar(Record& record) : record_(record) {}
    void setProgressState(Progress state) override;
    void setProgressValue(std::uint64_t completed, std::uint64_t total) override;
    void setOverlayIcon(HICON icon, const wchar_t* description) override;

    static std::mutex mutex;

private:
    Record& record_;
};

struct ListRow {
    std::wstring name;
    std::wstring value;
    bool ticked = false;
};

// One entry of a context menu as the program built it.
struct MenuEntry {
    std::wstring text;  // empty for a separator
    UINT command = 0;
    bool enabled = false;
    bool separator = false;
};

// What the program asked of the dialogs tests stand in for, and what they answer.
struct DialogRecord {
    std::vector<std::vector<MenuEntry>> menus;  // every context menu shown
    UINT menuChoice = 0;                        // the command every menu returns
    std::vector<SaveFileRequest> saveRequests;
    std::deque<std::optional<std::wstring>> saveAnswers;  // taken in turn; none left: cancel
    std::vector<std::wstring> parameterDialogs;            // "Haval" or "MD6", one per dialog opened
};

class RunningApp {
public:
    explicit RunningApp(const std::wstring& commandLine, std::wstring logFolder = {},
                        std::wstring fallbackLogFolder = {});
    // With platform pieces the test sets before the program starts.
    RunningApp(const std::wstring& commandLine, const std::function<void(AppServices&)>& adjust);
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    HWND dialog() const { return dialog_; }
    HWND control(int id) const { return GetDlgItem(dialog_, id); }
    std::wstring text(int id) const;
    std::wstring title() const;
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    bool visible(int id) const { return IsWindowVisible(control(id)) != FALSE; }
    bool checked(int id) const;

    void click(int id);
    void setText(int id, const std::wstring& text);
    std::vector<ListRow> rows() const;
    std::wstring value(const std::wstring& name) const;  // the row's value, or "<no row>"
    void tick(const std::wstring& name, bool ticked);

    // Presses Hash and waits until the job has ended (the elapsed time is in
    // the title and the progress bar is gone).
    void hashAndWait();
    bool jobFinished() const;
    // Announces the taskbar button, as the shell does, so progress is recorded.
    void announceTaskbarButton();

    // Clicks Browse with the open dialog answering `chosen` (none: cancelled).
    void browse(std::optional<std::wstring> chosen);
    // Posts a key press (down and up) to a control, as typing it would
    // arrive, and waits until the dialog's message loop has handled it.
    void pressKey(int id, UINT key);
    // Waits until the dialog's thread has handled every message posted so far.
    void settle();
    // The id of the control with the keyboard focus, as the dialog's thread
    // sees it (0: none of the dialog's).
    int focusedControl();
    // Runs `action` once, on the dialog's thread, when the next digest of a
    // job reaches the dialog and before the dialog shows it: as if the user
    // acted just before the worker posted.
    void beforeNextResult(std::function<void()> action);

    // Closes the dialog (stopping a job first if one runs); true when it ended.
    bool close();
    // Whether the program has ended, and what it returned.
    bool ended() const { return ended_.load(); }
    int exitStatus() const { return exitStatus_.load(); }

    // Where the update dialog's save dialog saves a download (empty: it is
    // cancelled), and the names it was offered.
    void answerSaveDialog(const std::filesystem::path& target);
    std::vector<std::wstring> offeredDownloadNames() const;

    // A click that waits its turn in the dialog's queue, as a real one does
    // (a sent message would jump the queue).
    void postClick(int id);
    // Runs `work` on the dialog's thread, where COM calls the drop target.
    void onDialogThread(const std::function<void()>& work);
    // The window's registered drop target, or null.
    IDropTarget* dropTarget() const { return dropTarget_.load(); }
    // The results list: select exactly the named rows; put a value into a row as a worker would.
    void select(const std::vector<std::wstring>& names);
    std::vector<std::wstring> selected() const;
    void setValue(const std::wstring& name, const std::wstring& value);
    // A key pressed in the list (with `ctrl` as it is set), sent or posted.
    void keyInList(WORD key);
    void postKeyInList(WORD key);
    // A right click in the list: the menu shown (choosing `dialogs.menuChoice`), sent or posted.
    std::vector<MenuEntry> rightClick(UINT choice = 0);
    void postRightClick(UINT choice);
    // The tip shown when the pointer rests on the named row's value ("" when none shows).
    std::wstring valueTip(const std::wstring& name);
    // A double click on the named row's value.
    void doubleClick(const std::wstring& name);
    // The notice of the files a save wrote, once it shows ("" when none came).
    std::wstring saveNotice();
    // A message box or other dialog the program opened over the main dialog, once visible; null after 10 s.
    HWND waitForOwnedDialog() const;

    // Guarded by RecordingTaskbar::mutex.
    DialogRecord dialogs;
    // The parameter dialogs are only recorded, unless this is set: then they open.
    std::atomic<bool> realParameterDialogs{false};

    std::atomic<bool> ctrl{false};
    std::atomic<bool> shift{false};
    RecordingTaskbar::Record taskbar;

private:
    void start(const std::wstring& commandLine);

    AppServices services_;
    std::atomic<IDropTarget*> dropTarget_{nullptr};
    HWND runner_ = nullptr;  // runs work on the dialog's thread
    std::mutex chooserMutex_;
    std::optional<std::wstring> chosenFile_;
    HHOOK resultHook_ = nullptr;
    mutable std::mutex saveMutex_;
    std::filesystem::path saveTarget_;
    std::vector<std::wstring> offeredNames_;
    std::thread thread_;
    std::atomic<HWND> dialog_{nullptr};
    std::atomic<bool> ended_{false};
    std::atomic<int> exitStatus_{0};
    NMITEMACTIVATE rightClick_{};  // a posted right click points here
    NMLVKEYDOWN keyDown_{};        // and a posted key
};

// The clipboard's Unicode text ("" when it has none), and a text put there.
std::wstring clipboardText();
void setClipboardText(const std::wstring& text);

// A visible dialog of the thread other than `except`, once it shows; null after 10 s.
HWND waitForDialog(DWORD thread, HWND except = nullptr);
// The texts of a window's children of one class ("Edit", "Static"...), in order.
std::vector<std::wstring> childTexts(HWND parent, const wchar_t* className);
// The text of a message box.
std::wstring messageBoxText(HWND box);

// A path in double quotes, as a command line carries it.
inline std::wstring quoted(const std::filesystem::path& path) { return L"\"" + path.wstring() + L"\""; }

// Polls `condition` until it holds or the time is up.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(30));

// The visible dialog (or message box) that `owner` owns, once it is there; null after `limit`.
HWND waitForOwnedWindow(HWND owner, std::chrono::milliseconds limit = std::chrono::seconds(30));
// Clicks a button of `dialog` without waiting for what the click starts
// (a modal dialog, say).
void postClick(HWND dialog, int id);
// The text of control `id` of `dialog`.
std::wstring dialogText(HWND dialog, int id);

}  // namespace sumwise::test
