#include "app/md6_dialog.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/secondary_dialog.h"
#include "toolkit/win32_text.h"

namespace sumwise {

namespace {

constexpr Md6Params kDefaults{};

// One of the three numeric parameters: its edit, its check box and the range the edit keeps to.
struct NumberField {
    int edit;
    int box;
    std::uint32_t min;
    std::uint32_t max;
    std::uint32_t Md6Params::*value;
};

constexpr NumberField kDigestBits{IDC_MD6_D, IDC_MD6_D_CHECK, kMd6DigestBitsRange.min, kMd6DigestBitsRange.max, &Md6Params::d};
constexpr NumberField kMode{IDC_MD6_L, IDC_MD6_L_CHECK, kMd6ModeRange.min, kMd6ModeRange.max, &Md6Params::L};
constexpr NumberField kRounds{IDC_MD6_R, IDC_MD6_R_CHECK, kMd6RoundsRange.min, kMd6RoundsRange.max, &Md6Params::r};

// The numeric field a check box belongs to; none for the key's box.
const NumberField* numberFieldOf(int box) {
    for (const NumberField* field : {&kDigestBits, &kMode, &kRounds}) {
        if (field->box == box) return field;
    }
    return nullptr;
}

struct ReadNumber {
    std::uint64_t value;
    bool digitsOnly;
};

// The leading decimal digits of an edit's text (none reads as 0), held
// below a bound so that any number of digits stays above every maximum.
ReadNumber readNumber(std::wstring_view text) {
    std::uint64_t value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(text[i] - L'0'), 1'000'000'000);
    }
    return {value, i == text.size()};
}

std::string_view keyText(const Md6Params& params) {
    const auto end = std::find(params.key.begin(), params.key.begin() + Md6Params::kMaxKeyBytes, '\0');
    return {params.key.data(), static_cast<std::size_t>(end - params.key.begin())};
}

class Md6Dialog final : public SecondaryDialog {
public:
    explicit Md6Dialog(const Md6Params& params) : stored_(params), working_(params) {}

    const std::optional<Md6Params>& chosen() const { return chosen_; }

private:
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam) override {
        static constexpr MessageRoute<Md6Dialog> kRoutes[] = {
            {WM_INITDIALOG, &Md6Dialog::onInitDialog},
            {WM_COMMAND, &Md6Dialog::onCommand},
        };
        return route(*this, kRoutes, message, wParam, lParam);
    }

    INT_PTR onCommand(WPARAM wParam, LPARAM lParam) {
        static constexpr CommandRoute<Md6Dialog> kRoutes[] = {
            on(IDC_MD6_D, &Md6Dialog::onDigestBitsChanged, EN_CHANGE),
            on(IDC_MD6_KEY, &Md6Dialog::onKeyChanged, EN_CHANGE),
            on(IDC_MD6_L, &Md6Dialog::onModeChanged, EN_CHANGE),
            on(IDC_MD6_R, &Md6Dialog::onRoundsChanged, EN_CHANGE),
            on(IDC_MD6_D_CHECK, &Md6Dialog::onBox),
            on(IDC_MD6_KEY_CHECK, &Md6Dialog::onBox),
            on(IDC_MD6_L_CHECK, &Md6Dialog::onBox),
            on(IDC_MD6_R_CHECK, &Md6Dialog::onBox),
            on(IDC_SET_DEFAULT, &Md6Dialog::onSetDefault, BN_CLICKED),
            on(IDOK, &Md6Dialog::onOk, BN_CLICKED),
            on(IDCANCEL, &Md6Dialog::onCancel),
        };
        return routeCommand(*this, kRoutes, wParam, lParam) ? TRUE : FALSE;
    }

    INT_PTR onInitDialog(WPARAM, LPARAM) {
        setTexts(IDS_MD6_TITLE, {{IDC_MD6_HEADING, IDS_MD6_HEADING},
                                 {IDC_MD6_D_CHECK, IDS_MD6_D},
                                 {IDC_MD6_KEY_CHECK, IDS_MD6_KEY},
                                 {IDC_MD6_L_CHECK, IDS_MD6_L},
                                 {IDC_MD6_R_CHECK, IDS_MD6_R},
                                 {IDCANCEL, IDS_CANCEL},
                                 {IDOK, IDS_OK},
                                 {IDC_SET_DEFAULT, IDS_SET_DEFAULT}});
        applyLook(IDC_MD6_HEADING, {IDCANCEL, IDOK, IDC_SET_DEFAULT});
        SendMessageW(item(IDC_MD6_KEY), EM_LIMITTEXT, Md6Params::kMaxKeyBytes, 0);
        // The record in force, shown as it is: a value the command line put
        // out of range is seen as such, not as the nearest valid one.
        filling_ = true;
        showStored(kDigestBits);
        showStoredKey();
        showStored(kMode);
        showStored(kRounds);
        filling_ = false;
        working_ = stored_;
        enable(IDOK, false);
        enable(IDC_SET_DEFAULT, working_ != kDefaults);
        return TRUE;
    }

    // Edits

    void onDigestBitsChanged(const Command&) {
        if (filling_ || !clamp(kDigestBits)) return;
        followDigestBitsAndKey();
    }

    void onKeyChanged(const Command&) {
        if (filling_ || !keepKeyInCodePage()) return;
        followDigestBitsAndKey();
    }

    void onModeChanged(const Command&) {
        if (filling_ || !clamp(kMode)) return;
        working_.L = number(kMode);
        settleRounds();
    }

    void onRoundsChanged(const Command&) {
        if (filling_ || !clamp(kRounds)) return;
        working_.r = number(kRounds);
        settleRounds();
    }

    // Check boxes: a ticked box opens its edit; unticking gives it back the
    // value in force, as it is (one out of range is not held to the range:
    // the user changed nothing).
    void onBox(const Command& command) {
        const bool ticked = checked(command.id);
        const NumberField* field = numberFieldOf(command.id);
        if (!ticked) {
            filling_ = true;
            if (field != nullptr) {
                showStored(*field);
                working_.*field->value = stored_.*field->value;
            } else {
                showStoredKey();
                working_.key = stored_.key;
            }
            filling_ = false;
            giveBackStoredRounds();
        }
        SendMessageW(item(field != nullptr ? field->edit : IDC_MD6_KEY), EM_SETREADONLY, ticked ? FALSE : TRUE, 0);
    }

    // After an untick: with d, the key and L back as stored, an r that
    // follows them is the stored r too; otherwise it follows as after any change.
    void giveBackStoredRounds() {
        if (!checked(kRounds.box) && working_.d == stored_.d && working_.key == stored_.key && working_.L == stored_.L) {
            filling_ = true;
            showStored(kRounds);
            filling_ = false;
            working_.r = stored_.r;
            enable(IDOK, working_ != stored_);
            enable(IDC_SET_DEFAULT, working_ != kDefaults);
            return;
        }
        settleRounds();
    }

    // Buttons

    void onSetDefault(const Command&) {
        setEditText(IDC_MD6_D, std::to_wstring(kDefaults.d));
        setEditText(IDC_MD6_KEY, L"");
        setEditText(IDC_MD6_L, std::to_wstring(kDefaults.L));
        setEditText(IDC_MD6_R, std::to_wstring(kDefaults.r));
        enable(IDC_SET_DEFAULT, false);
    }

    void onOk(const Command&) {
        // The working copy follows every edit, so it is exactly what the dialog shows.
        if (working_ != stored_) chosen_ = working_;
        EndDialog(window_, IDOK);
    }

    void onCancel(const Command&) { EndDialog(window_, IDCANCEL); }

    // Helpers

    std::uint32_t number(const NumberField& field) const {
        return static_cast<std::uint32_t>(readNumber(look::controlText(window_, field.edit)).value);
    }

    // Holds the edit's number to its range, writing the nearest valid number
    // (or the number read, for text that is not only digits) back into it.
    // False when the edit was rewritten: its new change has been handled.
    bool clamp(const NumberField& field) {
        const ReadNumber read = readNumber(look::controlText(window_, field.edit));
        const std::uint64_t value = std::clamp<std::uint64_t>(read.value, field.min, field.max);
        if (value == read.value && read.digitsOnly) return true;
        setEditText(field.edit, std::to_wstring(value));
        return false;
    }

    // A typed key is used as bytes of the ANSI code page. Characters the code
    // page cannot hold are shown as it converts them, so the key seen is the
    // key used. False when the edit was rewritten: its new change has been handled.
    bool keepKeyInCodePage() {
        if (!checked(IDC_MD6_KEY_CHECK) || rewritingKey_) return true;
        const std::wstring typed = look::controlText(window_, IDC_MD6_KEY);
        const std::wstring usable = fromAnsi(toAnsi(typed, Md6Params::kMaxKeyBytes));
        if (usable == typed) return true;
        DWORD caret = 0;
        SendMessageW(item(IDC_MD6_KEY), EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
        rewritingKey_ = true;  // the converted text is taken as it is
        setEditText(IDC_MD6_KEY, usable, caret);
        rewritingKey_ = false;
        return false;
    }

    void followDigestBitsAndKey() {
        working_.d = number(kDigestBits);
        working_.key = keyBytes();
        settleRounds();
    }

    // The key edit's text as the record's 65 bytes. The key in force, shown
    // unchanged, keeps its exact bytes.
    std::array<char, Md6Params::kMaxKeyBytes + 1> keyBytes() const {
        const std::wstring text = look::controlText(window_, IDC_MD6_KEY);
        if (text == fromAnsi(keyText(stored_))) return stored_.key;
        std::array<char, Md6Params::kMaxKeyBytes + 1> key{};
        const std::string bytes = toAnsi(text, Md6Params::kMaxKeyBytes);
        std::copy(bytes.begin(), bytes.end(), key.begin());
        return key;
    }

    // While its box is unticked, r follows d and the key: after any change
    // the r edit shows the automatic number of rounds, which OK stores.
    void settleRounds() {
        if (!checked(kRounds.box)) {
            // Bounded like a typed number, so that a d put out of range on the command line cannot push it out.
            working_.r = std::clamp(md6DefaultRounds(working_.d, working_.key[0] != '\0'), kRounds.min, kRounds.max);
            const std::wstring text = std::to_wstring(working_.r);
            // Its own change comes back here and finds the text in place.
            if (look::controlText(window_, kRounds.edit) != text) setEditText(kRounds.edit, text);
        }
        enable(IDOK, working_ != stored_);
        enable(IDC_SET_DEFAULT, working_ != kDefaults);
    }

    void showStored(const NumberField& field) { setEditText(field.edit, std::to_wstring(stored_.*field.value)); }
    void showStoredKey() { setEditText(IDC_MD6_KEY, fromAnsi(keyText(stored_))); }

    // Sets an edit's text (raising its change) with the caret at `caret`, by default at the end.
    void setEditText(int id, const std::wstring& text, std::size_t caret = std::wstring::npos) {
        look::setControlText(window_, id, text);
        const auto position = static_cast<WPARAM>(std::min(caret, text.size()));
        SendMessageW(item(id), EM_SETSEL, position, static_cast<LPARAM>(position));
    }

    const Md6Params stored_;
    Md6Params working_;
    std::optional<Md6Params> chosen_;
    bool filling_ = false;
    bool rewritingKey_ = false;
};

}  // namespace

std::optional<Md6Params> runMd6ParametersDialog(HWND owner, const Md6Params& params) {
    Md6Dialog dialog(params);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    dialog.runModal(instance != nullptr ? instance : GetModuleHandleW(nullptr), IDD_MD6, owner);
    return dialog.chosen();
}

}  // namespace sumwise
