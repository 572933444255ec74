#include <gtest/gtest.h>

#include "text/text_format.h"

namespace sumwise {
namespace {

TEST(TextFormat, ConversionsOfTheStringTable) {
    EXPECT_EQ(formatText(L"File size: %s", {std::wstring_view(L"1.50 KB")}), L"File size: 1.50 KB");
    EXPECT_EQ(formatText(L"Text length: %i", {std::int64_t{0}}), L"Text length: 0");
    EXPECT_EQ(formatText(L"%s (%s: %02i:%02i:%03i)", {std::wstring_view(L"Sumwise"), std::wstring_view(L"Time"),
                                                      std::int64_t{0}, std::int64_t{3}, std::int64_t{42}}),
              L"Sumwise (Time: 00:03:042)");
    EXPECT_EQ(formatText(L"File: %s\nDownloaded: %s (%i%%)",
                         {std::wstring_view(L"a.exe"), std::wstring_view(L"1 MB"), std::int64_t{50}}),
              L"File: a.exe\nDownloaded: 1 MB (50%)");
    EXPECT_EQ(formatText(L"(%c:) %11s|", {L'E', std::wstring_view(L"MD5")}), L"(E:)         MD5|");
    EXPECT_EQ(formatText(L"%02i", {std::int64_t{-5}}), L"-05");
    EXPECT_EQ(formatText(L"%02i", {std::int64_t{123}}), L"123");
}

TEST(TextFormat, MismatchedOrMissingArgumentsAreWrittenAsTheyStand) {
    EXPECT_EQ(formatText(L"Size: %s", {}), L"Size: %s");
    EXPECT_EQ(formatText(L"Size: %i", {std::wstring_view(L"x")}), L"Size: %i");
    EXPECT_EQ(formatText(L"%s %s", {std::wstring_view(L"one")}), L"one %s");
    EXPECT_EQ(formatText(L"100%", {}), L"100%");
    EXPECT_EQ(formatText(L"%q", {std::int64_t{1}}), L"%q");
    EXPECT_EQ(formatText(L"%05", {std::int64_t{1}}), L"%05");
}

TEST(TextFormat, ResultIsBounded) {
    const std::wstring longText(5000, L'x');
    EXPECT_EQ(formatText(L"%s", {std::wstring_view(longText)}, 255).size(), 255u);
    EXPECT_EQ(formatText(longText, {}, 10).size(), 10u);
    EXPECT_EQ(formatText(L"%999999999i", {std::int64_t{1}}).size(), 64u);  // widths are capped
}

}  // namespace
}  // namespace sumwise
