#include "app/application.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>

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

    {
        // The language: from /LANG when given, otherwise the user's.
        const auto chosen = languageFromCommandLine(arguments);
        const LanguageId language = chosen ? *chosen : languageForUser(GetUserDefaultUILanguage());
        setUiLanguage(language);
        SetThreadUILanguage(language);

        auto job = std::make_unique<HashJob>();
        MainDialog dialog(*job, services, std::wstring(arguments));
        dialog.run(instance);
    }

    CoUninitialize();
    return 0;
}

}  // namespace sumwise
