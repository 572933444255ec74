// The program on Windows 7 and 8, where the per-monitor DPI functions are
// missing: the dialog is laid out with the system DPI instead, and comes out
// as it does with them (the DPI runs repeat this at 150 % and 200 %).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "app_harness.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"
#include "toolkit/system_functions.h"

namespace sumwise::test {
namespace {

struct Layout {
    UINT dpi = 0;
    std::map<int, std::tuple<LONG, LONG, LONG, LONG>> controls;  // client rectangles
    int nameColumn = 0;
    int valueColumn = 0;
    LONG messageFontHeight = 0;
    int smallIcon = 0;
    RECT adjusted{};
};

Layout layoutOf(RunningApp& app) {
    Layout layout;
    const HWND dialog = app.dialog();
    layout.dpi = system::dpiForWindow(dialog);
    for (int id : {IDC_RESULTS, IDC_SHOW_ALL, IDC_SMALL_CAPS, IDC_HASH, IDC_TEXT_MODE, IDC_DISK_MODE, IDC_BROWSE,
                   IDC_COMPARE_LABEL, IDC_COMPARE_MATCH, IDC_COMPARE_NEGATIVE, IDC_ABOUT, IDOK}) {
        const RECT rect = look::controlRect(dialog, id);
        layout.controls[id] = {rect.left, rect.top, rect.right, rect.bottom};
    }
    layout.nameColumn = static_cast<int>(SendMessageW(app.control(IDC_RESULTS), LVM_GETCOLUMNWIDTH, 0, 0));
    layout.valueColumn = static_cast<int>(SendMessageW(app.control(IDC_RESULTS), LVM_GETCOLUMNWIDTH, 1, 0));
    layout.messageFontHeight = look::messageFont(dialog).lfHeight;
    layout.smallIcon = look::systemMetric(dialog, SM_CXSMICON);
    layout.adjusted = RECT{0, 0, 400, 300};
    system::adjustWindowRectExForDpi(layout.adjusted, WS_OVERLAPPEDWINDOW, false, 0, layout.dpi);
    return layout;
}

TEST(OlderWindows, LayoutWithTheSystemDpiEqualsThePerMonitorOne) {
    Layout modern;
    {
        RunningApp app(L"/A");
        modern = layoutOf(app);
    }
    Layout older;
    {
        system::PretendNewerFunctionsMissing windows7;
        RunningApp app(L"/A");
        older = layoutOf(app);
    }
    EXPECT_GE(older.dpi, 96u);
    EXPECT_EQ(older.dpi, modern.dpi);
    EXPECT_EQ(older.controls, modern.controls);
    EXPECT_EQ(older.nameColumn, modern.nameColumn);
    EXPECT_EQ(older.valueColumn, modern.valueColumn);
    EXPECT_EQ(older.messageFontHeight, modern.messageFontHeight);
    EXPECT_EQ(older.smallIcon, modern.smallIcon);
    EXPECT_TRUE(EqualRect(&older.adjusted, &modern.adjusted));
}

// Asked for another DPI than the system's, the fallbacks scale what the
// system gives, as the newer functions would.
TEST(OlderWindows, FallbacksScaleToTheDpiAskedFor) {
    system::PretendNewerFunctionsMissing windows7;
    const UINT base = system::systemDpi();
    const UINT twice = base * 2;
    EXPECT_EQ(system::systemMetricForDpi(SM_CXVSCROLL, base), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(system::systemMetricForDpi(SM_CXVSCROLL, twice), 2 * GetSystemMetrics(SM_CXVSCROLL));
    NONCLIENTMETRICSW atBase{};
    atBase.cbSize = sizeof atBase;
    NONCLIENTMETRICSW atTwice = atBase;
    ASSERT_TRUE(system::systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof atBase, &atBase, base));
    ASSERT_TRUE(system::systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof atTwice, &atTwice, twice));
    EXPECT_EQ(atTwice.lfMessageFont.lfHeight, 2 * atBase.lfMessageFont.lfHeight);
    EXPECT_EQ(system::dpiForWindow(nullptr), base);
}

}  // namespace
}  // namespace sumwise::test
