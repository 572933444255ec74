// What the compare line shows and the values it is compared with, shared by
// the compare box's tests and those of browsing for hash files.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app_harness.h"
#include "resources/resource_ids.h"
#include "toolkit/look.h"

namespace sumwise::test {

inline constexpr const wchar_t* kCrc32OfAbc = L"352441C2";
inline constexpr const wchar_t* kMd5OfAbc = L"900150983CD24FB0D6963F7D28E17F72";
inline constexpr const char* kMd5OfAbcLower = "900150983cd24fb0d6963f7d28e17f72";

// What the compare line shows: nothing, an algorithm's name, or NEGATIVE.
inline std::wstring compareShows(const RunningApp& app) {
    const bool match = app.visible(IDC_COMPARE_MATCH);
    const bool negative = app.visible(IDC_COMPARE_NEGATIVE);
    if (match && negative) return L"<both>";
    const std::wstring shown = match ? app.text(IDC_COMPARE_MATCH) : negative ? app.text(IDC_COMPARE_NEGATIVE) : L"";
    // The label is there exactly when a result is.
    EXPECT_EQ(app.text(IDC_COMPARE_LABEL), shown.empty() ? L"" : L"Compare result:");
    // And the result is shown whole, a note on another file's line too.
    const RECT rect = look::controlRect(app.dialog(), match ? IDC_COMPARE_MATCH : IDC_COMPARE_NEGATIVE);
    EXPECT_LE(look::controlTextWidth(app.dialog(), match ? IDC_COMPARE_MATCH : IDC_COMPARE_NEGATIVE),
              rect.right - rect.left);
    return shown;
}

inline std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace sumwise::test
