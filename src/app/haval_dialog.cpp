#include "app/haval_dialog.h"

#include <array>

#include "resources/resource_ids.h"
#include "toolkit/secondary_dialog.h"

namespace sumwise {

namespace {

constexpr HavalParams kDefaults{};
constexpr std::array<std::uint16_t, 3> kPasses{3, 4, 5};
constexpr std::array<std::uint16_t, 5> kOutputBits{128, 160, 192, 224, 256};

class HavalDialog final : public SecondaryDialog {
public:
    explicit HavalDialog(const HavalParams& params) : stored_(params), working_(params) {}

    const std::optional<HavalParams>& chosen() const { return chosen_; }

private:
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam) override {
        static constexpr MessageRoute<HavalDialog> kRoutes[] = {
            {WM_INITDIALOG, &HavalDialog::onInitDialog},
            {WM_COMMAND, &HavalDialog::onCommand},
        };
        return route(*this, kRoutes, message, wParam, lParam);
    }

    INT_PTR onCommand(WPARAM wParam, LPARAM lParam) {
        static constexpr CommandRoute<HavalDialog> kRoutes[] = {
            onRange(IDC_HAVAL_PASSES_3, IDC_HAVAL_BITS_256, &HavalDialog::onChoice, BN_CLICKED),
            on(IDC_SET_DEFAULT, &HavalDialog::onSetDefault, BN_CLICKED),
            on(IDOK, &HavalDialog::onOk, BN_CLICKED),
            on(IDCANCEL, &HavalDialog::onCancel),
        };
        return routeCommand(*this, kRoutes, wParam, lParam) ? TRUE : FALSE;
    }

    INT_PTR onInitDialog(WPARAM, LPARAM) {
        setTexts(IDS_HAVAL_TITLE, {{IDC_HAVAL_HEADING, IDS_HAVAL_HEADING},
                                   {IDC_HAVAL_PASSES_GROUP, IDS_HAVAL_PASSES},
                                   {IDC_HAVAL_BITS_GROUP, IDS_HAVAL_BITS},
                                   {IDCANCEL, IDS_CANCEL},
                                   {IDOK, IDS_OK},
                                   {IDC_SET_DEFAULT, IDS_SET_DEFAULT}});
        applyLook(IDC_HAVAL_HEADING, {IDCANCEL, IDOK, IDC_SET_DEFAULT});
        showChoice(stored_);
        enable(IDOK, false);
        enable(IDC_SET_DEFAULT, working_ != kDefaults);
        // Focus on the current number of passes, so the arrow keys start from the choice in force.
        const HWND passes = item(passesButton(working_.passes));
        SetFocus(passes != nullptr ? passes : item(IDCANCEL));
        return FALSE;
    }

    void onChoice(const Command&) {
        for (std::size_t i = 0; i < kPasses.size(); ++i) {
            if (checked(IDC_HAVAL_PASSES_3 + static_cast<int>(i))) {
                working_.passes = kPasses[i];
                break;
            }
        }
        for (std::size_t i = 0; i < kOutputBits.size(); ++i) {
            if (checked(IDC_HAVAL_BITS_128 + static_cast<int>(i))) {
                working_.outputBits = kOutputBits[i];
                break;
            }
        }
        updateButtons();
    }

    void onSetDefault(const Command&) {
        working_ = kDefaults;
        showChoice(working_);
        updateButtons();
    }

    void onOk(const Command&) {
        if (working_ != stored_) chosen_ = working_;
        EndDialog(window_, IDOK);
    }

    void onCancel(const Command&) { EndDialog(window_, IDCANCEL); }

    static int passesButton(std::uint16_t passes) {
        for (std::size_t i = 0; i < kPasses.size(); ++i) {
            if (kPasses[i] == passes) return IDC_HAVAL_PASSES_3 + static_cast<int>(i);
        }
        return 0;
    }

    static int bitsButton(std::uint16_t bits) {
        for (std::size_t i = 0; i < kOutputBits.size(); ++i) {
            if (kOutputBits[i] == bits) return IDC_HAVAL_BITS_128 + static_cast<int>(i);
        }
        return 0;
    }

    // A value outside the choices (never stored by this program) ticks nothing in its row.
    void showChoice(const HavalParams& params) {
        for (int id = IDC_HAVAL_PASSES_3; id <= IDC_HAVAL_BITS_256; ++id) setChecked(id, false);
        if (const int id = passesButton(params.passes)) setChecked(id, true);
        if (const int id = bitsButton(params.outputBits)) setChecked(id, true);
    }

    void updateButtons() {
        enable(IDOK, working_ != stored_);
        enable(IDC_SET_DEFAULT, working_ != kDefaults);
    }

    const HavalParams stored_;
    HavalParams working_;
    std::optional<HavalParams> chosen_;
};

}  // namespace

std::optional<HavalParams> runHavalParametersDialog(HWND owner, const HavalParams& params) {
    HavalDialog dialog(params);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    dialog.runModal(instance != nullptr ? instance : GetModuleHandleW(nullptr), IDD_HAVAL, owner);
    return dialog.chosen();
}

}  // namespace sumwise
