// The main dialog as it starts: its texts, icons and colours, the job's
// machinery, and the options, input and ticked algorithms of the command line.
#include <windows.h>
#include <commctrl.h>

#include "app/main_dialog.h"
#include "resources/resource_ids.h"
#include "results/results_list.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"
#include "toolkit/win32_text.h"

namespace sumwise {

INT_PTR MainDialog::onInitDialog(WPARAM, LPARAM) {
    list_ = item(IDC_RESULTS);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarButtonCreated");
    ChangeWindowMessageFilterEx(window_, taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);

    results_ = ResultsModel{};
    job_.params = AlgorithmParams{};
    job_.fileMode = true;
    job_.diskMode = false;
    job_.upperCase = true;
    job_.logMode = LogMode::Off;

    startJobDriver();
    addSystemMenuItem();
    setInitialTexts();
    fitControlsToTexts();
    captureLayout();
    setUpResultsList();
    loadIcons();
    SendMessageW(item(IDC_INPUT), EM_LIMITTEXT, 256, 0);
    SendMessageW(item(IDC_COMPARE), EM_LIMITTEXT, 128, 0);
    registerDropTarget();
    startDrives();
    // Enter starts Hash (when it may), never OK: OK would end the program and lose the results.
    SendMessageW(window_, DM_SETDEFID, IDC_HASH, 0);
    applyCommandLine();
    readThemeColours();
    if (services_.dialogCreated) services_.dialogCreated(window_);
    // The system puts the focus on the list unless the text box already has it.
    return checked(IDC_TEXT_MODE) ? FALSE : TRUE;
}

void MainDialog::addSystemMenuItem() {
    const HMENU menu = GetSystemMenu(window_, FALSE);
    if (menu == nullptr) return;
    const std::wstring text = loadText(IDS_ALWAYS_ON_TOP);
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING | MF_CHECKED, IDM_ALWAYS_ON_TOP, text.c_str());
    InsertMenuW(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void MainDialog::setInitialTexts() {
    SetWindowTextW(window_, loadText(IDS_PRODUCT).c_str());
    const std::pair<int, UINT> texts[] = {
        {IDOK, IDS_OK},
        {IDC_HASH, IDS_HASH},
        {IDC_BROWSE, IDS_BROWSE},
        {IDC_ABOUT, IDS_ABOUT},
        {IDC_FUNCTIONS_GROUP, IDS_FUNCTIONS},
        {IDC_SHOW_ALL, IDS_SHOW_ALL},
        {IDC_SMALL_CAPS, IDS_SMALL_CAPS},
        {IDC_INPUT_GROUP, IDS_PROMPT_FILE},
        {IDC_TEXT_MODE, IDS_HASH_TEXT},
        {IDC_DISK_MODE, IDS_HASH_DISK},
        {IDC_COMPARE_GROUP, IDS_COMPARE_GROUP},
        {IDC_COMPARE_NEGATIVE, IDS_NEGATIVE},
    };
    for (const auto& [id, stringId] : texts) look::setControlText(window_, id, loadText(stringId));
}

void MainDialog::loadIcons() {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    const int small = look::systemMetric(window_, SM_CXSMICON);
    matchIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MATCH), IMAGE_ICON, small, small, 0));
    mismatchIcon_ =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MISMATCH), IMAGE_ICON, small, small, 0));
    const int large = look::systemMetric(window_, SM_CXICON);
    appIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, large, large, 0));
    if (appIcon_ != nullptr) {
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    }
}

void MainDialog::readThemeColours() {
    headingColour_ = look::headingColour(window_);
    errorColour_ = look::errorColour(window_);
}

void MainDialog::applyCommandLine() {
    if (commandLine_.empty()) {
        for (const AlgorithmEntry& entry : algorithms()) {
            if ((entry.flag() & kDefaultAlgorithms) != 0) results::showAlgorithm(list_, results_, entry.index(), true);
        }
        setChecked(IDC_TEXT_MODE, false);
        setInput(L"");
        return;
    }
    const CommandLine parsed = parseCommandLine(commandLine_);
    Md6Params& md6 = results_.params.md6;
    if (parsed.md6Key) {
        const std::string key = toAnsi(*parsed.md6Key, Md6Params::kMaxKeyBytes);
        md6.key.fill('\0');
        std::copy(key.begin(), key.end(), md6.key.begin());
    }
    // Held to the ranges the MD6 dialog allows: a value MD6 cannot take would give no digest at all.
    if (parsed.md6D) md6.d = kMd6DigestBitsRange.clamp(*parsed.md6D);
    if (parsed.md6L) md6.L = kMd6ModeRange.clamp(*parsed.md6L);
    if (parsed.md6R) md6.r = kMd6RoundsRange.clamp(*parsed.md6R);

    using Kind = CommandLine::Step::Kind;
    for (const CommandLine::Step& step : parsed.steps) {
        switch (step.kind) {
        case Kind::ShowAll: setChecked(IDC_SHOW_ALL, true); break;
        case Kind::SmallCaps:
            job_.upperCase = false;
            setChecked(IDC_SMALL_CAPS, true);
            break;
        case Kind::TextMode:
            setChecked(IDC_TEXT_MODE, true);
            onTextMode(kNoCommand);
            break;
        case Kind::DiskMode:
            setChecked(IDC_DISK_MODE, true);
            onDiskMode(kNoCommand);
            break;
        case Kind::LogEveryJob: job_.logMode = LogMode::EveryJob; break;
        case Kind::Input:
            // The exact wide path, so names outside the ANSI code page work,
            // and whole; a text only as long as the box lets one type.
            setInput(job_.fileMode ? step.input : step.input.substr(0, 256));
            showSizeLabel();
            break;
        }
    }
    for (const AlgorithmEntry& entry : algorithms()) {
        if ((parsed.tickedMask & entry.flag()) != 0) results::showAlgorithm(list_, results_, entry.index(), true);
    }
    onShowAll(kNoCommand);
    loadCompanionHashFile(false);
}

}  // namespace sumwise
