#include <gtest/gtest.h>

#include "text/size_text.h"

namespace sumwise {
namespace {

TEST(SizeText, BytesUpToOneKibibyte) {
    EXPECT_EQ(sizeText(0, L'.'), L"0 B");
    EXPECT_EQ(sizeText(1, L'.'), L"1 B");
    EXPECT_EQ(sizeText(1024, L'.'), L"1024 B");
}

TEST(SizeText, UnitBoundariesAreExclusive) {
    EXPECT_EQ(sizeText(1025, L'.'), L"1.00 KB");
    EXPECT_EQ(sizeText(1048576, L'.'), L"1024 KB");
    EXPECT_EQ(sizeText(1048577, L'.'), L"1.00 MB");
    EXPECT_EQ(sizeText(1073741824, L'.'), L"1024 MB");
    EXPECT_EQ(sizeText(1073741825, L'.'), L"1.00 GB");
}

TEST(SizeText, DecimalsAreCutNeverRounded) {
    EXPECT_EQ(sizeText(2047, L'.'), L"1.99 KB");
    EXPECT_EQ(sizeText(4708106240ull, L'.'), L"4.38 GB");
    EXPECT_EQ(sizeText(16766730, L'.'), L"15.9 MB");
    EXPECT_EQ(sizeText(104857600, L'.'), L"100 MB");
    EXPECT_EQ(sizeText(10239, L'.'), L"9.99 KB");
    EXPECT_EQ(sizeText(10240, L'.'), L"10.0 KB");
    EXPECT_EQ(sizeText(102399, L'.'), L"99.9 KB");
    EXPECT_EQ(sizeText(1048575, L'.'), L"1023 KB");
}

TEST(SizeText, UsesTheGivenSeparator) {
    EXPECT_EQ(sizeText(1536, L','), L"1,50 KB");
    EXPECT_EQ(sizeText(16766730, L','), L"15,9 MB");
    EXPECT_EQ(sizeText(1536, L'.'), L"1.50 KB");
    EXPECT_EQ(sizeText(104857600, L','), L"100 MB");
}

TEST(SizeText, LargestCountsStayWhole) {
    EXPECT_EQ(sizeText(0xFFFFFFFFFFFFFFFFull, L'.'), L"17179869184 GB");
    EXPECT_EQ(sizeText(10736344498176ull, L'.'), L"9999 GB");
}

TEST(SizeText, BufferFormCutsToItsCapacity) {
    wchar_t buffer[8];
    sizeText(10736344498176ull, L'.', buffer, 8);
    EXPECT_EQ(std::wstring(buffer), L"9999 GB");
    wchar_t tiny[4];
    sizeText(1536, L'.', tiny, 4);
    EXPECT_EQ(std::wstring(tiny), L"1.5");
    sizeText(1536, L'.', tiny, 0);  // nothing written, no crash
}

}  // namespace
}  // namespace sumwise
