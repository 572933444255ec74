// The HAVAL and MD6 parameters dialogs as a user meets them: what they show,
// which buttons they offer, how the edits keep their ranges, and what OK,
// Cancel and closing give back; the results list is their caller's.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/haval_dialog.h"
#include "app/md6_dialog.h"
#include "modal_dialog_host.h"
#include "parameter_dialog_open.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/strings.h"

namespace sumwise::test {
namespace {

bool sameRows(const std::vector<ListRow>& a, const std::vector<ListRow>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].value != b[i].value || a[i].ticked != b[i].ticked) return false;
    }
    return true;
}

// ---------------------------------------------------------------- HAVAL

struct HavalCase {
    const char* name;
    HavalParams stored;
    std::vector<int> clicks;
    HavalParams shown;  // the choice the radio buttons show afterwards
    bool okEnabled;
    bool defaultEnabled;
};

void PrintTo(const HavalCase& c, std::ostream* out) { *out << c.name; }

class HavalDialogCase : public testing::TestWithParam<HavalCase> {};

TEST_P(HavalDialogCase, ShowsTheChoiceAndStoresItWithOk) {
    const HavalCase& c = GetParam();
    HavalParams params = c.stored;
    bool changed = false;
    ModalDialogHost host(rowsWith(L"Haval"), OpenDialog{Which::Haval, &params, nullptr, &changed});
    ASSERT_NE(host.dialog(), nullptr);
    for (int id : c.clicks) host.click(id);

    const std::array<std::uint16_t, 3> passes{3, 4, 5};
    for (std::size_t i = 0; i < passes.size(); ++i) {
        EXPECT_EQ(host.checked(IDC_HAVAL_PASSES_3 + static_cast<int>(i)), passes[i] == c.shown.passes) << passes[i];
    }
    const std::array<std::uint16_t, 5> bits{128, 160, 192, 224, 256};
    for (std::size_t i = 0; i < bits.size(); ++i) {
        EXPECT_EQ(host.checked(IDC_HAVAL_BITS_128 + static_cast<int>(i)), bits[i] == c.shown.outputBits) << bits[i];
    }
    EXPECT_EQ(host.enabled(IDOK), c.okEnabled);
    EXPECT_EQ(host.enabled(IDC_SET_DEFAULT), c.defaultEnabled);

    // OK as Enter sends it: it gives back only a changed choice, and leaves the row to its caller.
    ASSERT_TRUE(host.endWith(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    EXPECT_EQ(params, c.shown);
    EXPECT_EQ(changed, c.shown != c.stored);
    EXPECT_TRUE(sameRows(host.rowsAfter(), rowsWith(L"Haval")));
}

const HavalParams kHavalDefaults{};

INSTANTIATE_TEST_SUITE_P(
    Choices, HavalDialogCase,
    testing::Values(
        HavalCase{"DefaultsOfferNothing", kHavalDefaults, {}, kHavalDefaults, false, false},
        HavalCase{"ThreePasses128Bits", kHavalDefaults, {IDC_HAVAL_PASSES_3, IDC_HAVAL_BITS_128}, {3, 128}, true, true},
        HavalCase{"BackToTheStoredChoice",
                  kHavalDefaults,
                  {IDC_HAVAL_PASSES_3, IDC_HAVAL_BITS_128, IDC_HAVAL_PASSES_5, IDC_HAVAL_BITS_256},
                  kHavalDefaults,
                  false,
                  false},
        HavalCase{"StoredChoiceIsTicked", {4, 192}, {}, {4, 192}, false, true},
        HavalCase{"OnlyTheBitsChange", {4, 192}, {IDC_HAVAL_BITS_224}, {4, 224}, true, true},
        HavalCase{"SetToDefault", {3, 160}, {IDC_SET_DEFAULT}, kHavalDefaults, true, false},
        HavalCase{"ChoosingTheDefaultsByHand", {3, 160}, {IDC_HAVAL_PASSES_5, IDC_HAVAL_BITS_256}, kHavalDefaults,
                  true, false},
        HavalCase{"SetToDefaultThenAnotherChoice", {3, 160}, {IDC_SET_DEFAULT, IDC_HAVAL_PASSES_4}, {4, 256}, true,
                  true}),
    [](const testing::TestParamInfo<HavalCase>& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------- MD6

Md6Params md6(std::uint32_t d, std::string_view key, std::uint32_t L, std::uint32_t r) {
    Md6Params params;
    params.d = d;
    std::copy(key.begin(), key.end(), params.key.begin());
    params.L = L;
    params.r = r;
    return params;
}

struct Action {
    enum class Kind { Click, Type, Set } kind;
    int id;
    std::wstring text;
};
Action click(int id) { return {Action::Kind::Click, id, {}}; }
Action type(int id, std::wstring text) { return {Action::Kind::Type, id, std::move(text)}; }
Action paste(int id, std::wstring text) { return {Action::Kind::Set, id, std::move(text)}; }

struct Md6Case {
    const char* name;
    Md6Params stored;
    std::vector<Action> actions;
    std::array<std::wstring, 4> shown;  // d, K, L and r as the edits show them afterwards
    bool okEnabled;
    bool defaultEnabled;
    Md6Params expected;  // the record after OK
};

void PrintTo(const Md6Case& c, std::ostream* out) { *out << c.name; }

class Md6DialogCase : public testing::TestWithParam<Md6Case> {};

TEST_P(Md6DialogCase, KeepsTheEditsInRangeAndStoresWhatTheyShow) {
    const Md6Case& c = GetParam();
    Md6Params params = c.stored;
    bool changed = false;
    ModalDialogHost host(rowsWith(L"MD6"), OpenDialog{Which::Md6, nullptr, &params, &changed});
    ASSERT_NE(host.dialog(), nullptr);
    for (const Action& action : c.actions) {
        switch (action.kind) {
        case Action::Kind::Click: host.click(action.id); break;
        case Action::Kind::Type: host.type(action.id, action.text); break;
        case Action::Kind::Set: host.setText(action.id, action.text); break;
        }
    }
    EXPECT_EQ(host.text(IDC_MD6_D), c.shown[0]);
    EXPECT_EQ(host.text(IDC_MD6_KEY), c.shown[1]);
    EXPECT_EQ(host.text(IDC_MD6_L), c.shown[2]);
    EXPECT_EQ(host.text(IDC_MD6_R), c.shown[3]);
    EXPECT_EQ(host.enabled(IDOK), c.okEnabled);
    EXPECT_EQ(host.enabled(IDC_SET_DEFAULT), c.defaultEnabled);

    ASSERT_TRUE(host.endWith(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    EXPECT_EQ(std::string(params.key.data()), std::string(c.expected.key.data()));
    EXPECT_TRUE(params == c.expected) << params.d << " " << params.L << " " << params.r;  // every key byte too
    EXPECT_EQ(changed, c.expected != c.stored);
    EXPECT_TRUE(sameRows(host.rowsAfter(), rowsWith(L"MD6")));
}

const Md6Params kMd6Defaults{};
const Md6Params kKeyed = md6(256, "secret", 64, 104);

// Each row: the record in force, what the user does, the four edits and the
// two buttons afterwards, and the record OK leaves.
constexpr int kD = IDC_MD6_D, kK = IDC_MD6_KEY, kL = IDC_MD6_L, kR = IDC_MD6_R;
constexpr int kDBox = IDC_MD6_D_CHECK, kKBox = IDC_MD6_KEY_CHECK, kLBox = IDC_MD6_L_CHECK, kRBox = IDC_MD6_R_CHECK;

INSTANTIATE_TEST_SUITE_P(
    Edits, Md6DialogCase,
    testing::Values(
        Md6Case{"DefaultsOfferNothing", kMd6Defaults, {}, {L"256", L"", L"64", L"104"}, false, false, kMd6Defaults},
        // r follows d and the key while its box is unticked.
        Md6Case{"DigestLengthGivesItsRounds", kMd6Defaults, {click(kDBox), type(kD, L"384")},
                {L"384", L"", L"64", L"136"}, true, true, md6(384, "", 64, 136)},
        Md6Case{"ShortKeyedDigestTakes80Rounds", kMd6Defaults,
                {click(kDBox), type(kD, L"128"), click(kKBox), type(kK, L"k")}, {L"128", L"k", L"64", L"80"}, true,
                true, md6(128, "k", 64, 80)},
        Md6Case{"ShortDigestWithoutKeyTakes72Rounds", kMd6Defaults, {click(kDBox), type(kD, L"128")},
                {L"128", L"", L"64", L"72"}, true, true, md6(128, "", 64, 72)},
        Md6Case{"KeyKeeps104RoundsAtTheDefaultLength", kMd6Defaults, {click(kKBox), type(kK, L"k")},
                {L"256", L"k", L"64", L"104"}, true, true, md6(256, "k", 64, 104)},
        Md6Case{"TickedRoundsStayAsTyped", kMd6Defaults,
                {click(kRBox), type(kR, L"200"), click(kDBox), type(kD, L"384")}, {L"384", L"", L"64", L"200"}, true,
                true, md6(384, "", 64, 200)},
        // Clamping, as typed and as pasted.
        Md6Case{"DigestLengthAbove512", kMd6Defaults, {click(kDBox), type(kD, L"600")}, {L"512", L"", L"64", L"168"},
                true, true, md6(512, "", 64, 168)},
        Md6Case{"ClearedDigestLengthBecomes1", kMd6Defaults, {click(kDBox), type(kD, L"")},
                {L"1", L"", L"64", L"40"}, true, true, md6(1, "", 64, 40)},
        Md6Case{"PastedHugeNumberIsTheMaximum", kMd6Defaults, {click(kDBox), paste(kD, L"99999999999999999999")},
                {L"512", L"", L"64", L"168"}, true, true, md6(512, "", 64, 168)},
        Md6Case{"PastedLettersAreDropped", kMd6Defaults, {click(kDBox), paste(kD, L"12abc")},
                {L"12", L"", L"64", L"43"}, true, true, md6(12, "", 64, 43)},
        Md6Case{"ModeAndRoundsAbove255", kMd6Defaults,
                {click(kLBox), type(kL, L"300"), click(kRBox), type(kR, L"300")}, {L"256", L"", L"255", L"255"}, true,
                true, md6(256, "", 255, 255)},
        Md6Case{"ZeroRoundsBecome1", kMd6Defaults, {click(kRBox), type(kR, L"0")}, {L"256", L"", L"64", L"1"}, true,
                true, md6(256, "", 64, 1)},
        Md6Case{"ClearedModeReadsAsZero", kMd6Defaults, {click(kLBox), type(kL, L"")}, {L"256", L"", L"", L"104"},
                true, true, md6(256, "", 0, 104)},
        Md6Case{"KeyLongerThan64", kMd6Defaults, {click(kKBox), type(kK, std::wstring(70, L'k'))},
                {L"256", std::wstring(64, L'k'), L"64", L"104"}, true, true, md6(256, std::string(64, 'k'), 64, 104)},
        // Unticked boxes.
        Md6Case{"UntickedEditsTakeNoTyping", kMd6Defaults,
                {type(kD, L"384"), type(kK, L"k"), type(kL, L"1"), type(kR, L"9")}, {L"256", L"", L"64", L"104"},
                false, false, kMd6Defaults},
        Md6Case{"UntickingGivesBackTheStoredValue", kMd6Defaults, {click(kDBox), type(kD, L"384"), click(kDBox)},
                {L"256", L"", L"64", L"104"}, false, false, kMd6Defaults},
        Md6Case{"StoredKeySurvivesANewDigestLength", kKeyed, {click(kDBox), type(kD, L"384")},
                {L"384", L"secret", L"64", L"136"}, true, true, md6(384, "secret", 64, 136)},
        Md6Case{"UntickingTheKeyGivesBackTheStoredKey", kKeyed, {click(kKBox), type(kK, L"other"), click(kKBox)},
                {L"256", L"secret", L"64", L"104"}, false, true, kKeyed},
        Md6Case{"ClearingTheStoredKey", kKeyed, {click(kKBox), type(kK, L"")}, {L"256", L"", L"64", L"104"}, true,
                false, kMd6Defaults},
        Md6Case{"SetToDefault", md6(384, "secret", 0, 200), {click(IDC_SET_DEFAULT)}, {L"256", L"", L"64", L"104"},
                true, false, kMd6Defaults},
        Md6Case{"SetToDefaultWithTheDefaultsInForce", kMd6Defaults, {click(IDC_SET_DEFAULT)},
                {L"256", L"", L"64", L"104"}, false, false, kMd6Defaults},
        // Rounds given on the command line, then another parameter changed: r is the automatic number again.
        Md6Case{"StoredRoundsGiveWayWhenAnythingChanges", md6(256, "", 64, 50), {click(kLBox), type(kL, L"0")},
                {L"256", L"", L"0", L"104"}, true, true, md6(256, "", 0, 104)},
        // Values the command line put out of range are shown as they are, and can be repaired.
        Md6Case{"OutOfRangeRecordShownAsItIs", md6(0, "", 300, 0), {}, {L"0", L"", L"300", L"0"}, false, true,
                md6(0, "", 300, 0)},
        Md6Case{"OutOfRangeDigestLengthRepaired", md6(0, "", 64, 104), {click(kDBox), type(kD, L"256")},
                {L"256", L"", L"64", L"104"}, true, false, kMd6Defaults},
        // Ticking and unticking over them changes nothing: the user changed nothing.
        Md6Case{"UntickingOverOutOfRangeValuesChangesNothing", md6(0, "", 300, 0),
                {click(kDBox), click(kDBox), click(kLBox), click(kLBox), click(kRBox), click(kRBox)},
                {L"0", L"", L"300", L"0"}, false, true, md6(0, "", 300, 0)},
        Md6Case{"UntickingAfterTypingGivesBackTheOutOfRangeValue", md6(600, "", 64, 104),
                {click(kDBox), type(kD, L"384"), click(kDBox)}, {L"600", L"", L"64", L"104"}, false, true,
                md6(600, "", 64, 104)}),
    [](const testing::TestParamInfo<Md6Case>& row) { return std::string(row.param.name); });

TEST(Md6Dialog, KeyOutsideTheCodePageShowsTheKeyUsed) {
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8 || codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950) {
        GTEST_SKIP() << "the code page holds these characters";
    }
    Md6Params params;
    ModalDialogHost host(rowsWith(L"MD6"), OpenDialog{Which::Md6, nullptr, &params, nullptr});
    ASSERT_NE(host.dialog(), nullptr);
    host.click(IDC_MD6_KEY_CHECK);
    host.type(IDC_MD6_KEY, L"k\u65E5\u672C");
    const std::wstring shown = host.text(IDC_MD6_KEY);
    EXPECT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown.substr(0, 1), L"k");
    EXPECT_EQ(shown.find(L'\u65E5'), std::wstring::npos);
    ASSERT_TRUE(host.endWith(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    // The key stored is the bytes of the text the edit showed.
    std::string expected;
    for (wchar_t c : shown) expected.push_back(static_cast<char>(c));
    EXPECT_EQ(std::string(params.key.data()), expected);
}

TEST(Md6Dialog, BoxesOpenAndCloseTheirEdits) {
    Md6Params params = kKeyed;
    ModalDialogHost host(rowsWith(L"MD6"), OpenDialog{Which::Md6, nullptr, &params, nullptr});
    ASSERT_NE(host.dialog(), nullptr);
    EXPECT_EQ(SendMessageW(host.control(IDC_MD6_KEY), EM_GETLIMITTEXT, 0, 0), 64);
    const std::pair<int, int> rows[] = {
        {IDC_MD6_D_CHECK, IDC_MD6_D}, {IDC_MD6_KEY_CHECK, IDC_MD6_KEY}, {IDC_MD6_L_CHECK, IDC_MD6_L}, {IDC_MD6_R_CHECK, IDC_MD6_R}};
    for (const auto& [box, edit] : rows) {
        EXPECT_FALSE(host.checked(box)) << box;
        EXPECT_TRUE(host.readOnly(edit)) << edit;
        host.click(box);
        EXPECT_TRUE(host.checked(box)) << box;
        EXPECT_FALSE(host.readOnly(edit)) << edit;
        host.click(box);
        EXPECT_TRUE(host.readOnly(edit)) << edit;
    }
    EXPECT_EQ(host.text(IDC_MD6_KEY), L"secret");
    EXPECT_FALSE(host.enabled(IDOK));
}

// ---------------------------------------------------------------- both

struct Ending {
    const char* name;
    Which which;
    UINT message;
    WPARAM wParam;
};

void PrintTo(const Ending& e, std::ostream* out) { *out << e.name; }

class ParameterDialogEnding : public testing::TestWithParam<Ending> {};

// A change made, then the dialog left without OK: nothing is stored, no value is lost.
TEST_P(ParameterDialogEnding, LeavesParametersAndRowAlone) {
    const Ending& e = GetParam();
    HavalParams haval;
    Md6Params md6Params = kKeyed;
    bool changed = true;
    ModalDialogHost host(rowsWith(rowName(e.which)), OpenDialog{e.which, &haval, &md6Params, &changed});
    ASSERT_NE(host.dialog(), nullptr);
    if (e.which == Which::Haval) {
        host.click(IDC_HAVAL_PASSES_3);
    } else {
        host.click(IDC_MD6_D_CHECK);
        host.type(IDC_MD6_D, L"384");
    }
    ASSERT_TRUE(host.enabled(IDOK));
    // Esc goes through the dialog's message loop like a key pressed in it.
    ASSERT_TRUE(host.endWith(e.message, e.wParam, 0));
    EXPECT_FALSE(changed);
    EXPECT_EQ(haval, HavalParams{});
    EXPECT_EQ(md6Params, kKeyed);
    EXPECT_TRUE(sameRows(host.rowsAfter(), rowsWith(rowName(e.which))));
}

INSTANTIATE_TEST_SUITE_P(WithoutOk, ParameterDialogEnding,
                         testing::Values(Ending{"HavalCancel", Which::Haval, WM_COMMAND, IDCANCEL},
                                         Ending{"HavalClose", Which::Haval, WM_CLOSE, 0},
                                         Ending{"HavalEscape", Which::Haval, WM_KEYDOWN, VK_ESCAPE},
                                         Ending{"Md6Cancel", Which::Md6, WM_COMMAND, IDCANCEL},
                                         Ending{"Md6Close", Which::Md6, WM_CLOSE, 0},
                                         Ending{"Md6Escape", Which::Md6, WM_KEYDOWN, VK_ESCAPE}),
                         [](const testing::TestParamInfo<Ending>& row) { return std::string(row.param.name); });

TEST(ParameterDialogs, OkWithoutTheRowStillStoresTheParameters) {
    HavalParams haval;
    Md6Params md6Params;
    {
        ModalDialogHost host({{L"MD5", L"00", true}}, OpenDialog{Which::Haval, &haval, nullptr, nullptr});
        ASSERT_NE(host.dialog(), nullptr);
        host.click(IDC_HAVAL_BITS_160);
        host.click(IDOK);
        ASSERT_TRUE(host.finished());
        EXPECT_EQ(host.rowsAfter()[0].value, L"00");
    }
    {
        ModalDialogHost host({{L"MD5", L"00", true}}, OpenDialog{Which::Md6, nullptr, &md6Params, nullptr});
        ASSERT_NE(host.dialog(), nullptr);
        host.click(IDC_MD6_L_CHECK);
        host.type(IDC_MD6_L, L"0");
        host.click(IDOK);
        ASSERT_TRUE(host.finished());
        EXPECT_EQ(host.rowsAfter()[0].value, L"00");
    }
    EXPECT_EQ(haval, (HavalParams{5, 160}));
    EXPECT_EQ(md6Params, md6(256, "", 0, 104));
}

}  // namespace
}  // namespace sumwise::test
