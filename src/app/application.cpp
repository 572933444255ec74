#include "app/application.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "app/check_dialog.h"
#include "text/check_option.h"
#include "app/main_dialog.h"
#include "jobs/hash_job.h"
#include "text/ui_language.h"
#include "toolkit/strings.h"

namespace sumwise {

int runApplication(HINSTANCE instance, std::wstring_view arguments, const AppServices& services) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return 0;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    int status = 0;
    {
        // The language: from /LANG when given, otherwise the user's.
        const auto chosen = languageFromCommandLine(arguments);
        const LanguageId language = chosen ? *chosen : languageForUser(GetUserDefaultUILanguage());
        setUiLanguage(language);
        SetThreadUILanguage(language);

        if (const auto sums = checkOption(arguments)) {
            // The check window is the program's window; the main one does not open.
            std::error_code ignored;
            const std::filesystem::path path = std::filesystem::absolute(*sums, ignored);
            if (CheckDialog::canCheck(path, nullptr)) {
                CheckDialog check(path, services);
                check.run(instance, nullptr);
            } else {
                status = kCheckUnreadableExit;
            }
        } else {
            auto job = std::make_unique<HashJob>();
            MainDialog dialog(*job, services, std::wstring(arguments));
            dialog.run(instance);
        }
    }

    CoUninitialize();
    return status;
}

}  // namespace sumwise
