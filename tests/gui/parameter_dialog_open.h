// Opening the HAVAL and MD6 parameters dialogs over a results list, shared by
// the tests of their behaviour and of their look.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/haval_dialog.h"
#include "app/md6_dialog.h"
#include "modal_dialog_host.h"

namespace sumwise::test {

// A list as the main dialog shows it after a job: the parameterised row between two others.
inline std::vector<ListRow> rowsWith(const std::wstring& name) {
    return {{L"MD5", L"900150983CD24FB0D6963F7D28E17F72", true}, {name, L"ABCDEF", true}, {L"SHA-1", L"", false}};
}

enum class Which { Haval, Md6 };

// Opens one of the dialogs over a list holding its row; the parameters take
// what it gives back, and `changed` says whether it gave back any.
struct OpenDialog {
    Which which;
    HavalParams* haval = nullptr;
    Md6Params* md6 = nullptr;
    bool* changed = nullptr;

    void operator()(HWND owner, HWND) const {
        bool result = false;
        if (which == Which::Haval) {
            const std::optional<HavalParams> chosen = runHavalParametersDialog(owner, *haval);
            if (chosen) *haval = *chosen;
            result = chosen.has_value();
        } else {
            const std::optional<Md6Params> chosen = runMd6ParametersDialog(owner, *md6);
            if (chosen) *md6 = *chosen;
            result = chosen.has_value();
        }
        if (changed != nullptr) *changed = result;
    }
};

inline const wchar_t* rowName(Which which) { return which == Which::Haval ? L"Haval" : L"MD6"; }

}  // namespace sumwise::test
