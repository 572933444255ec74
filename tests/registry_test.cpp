#include <gtest/gtest.h>

#include "jobs/registry.h"

namespace sumwise {
namespace {

TEST(Registry, RowsAreInOrderWithOneBitFlagsAndSlotSizes) {
    const std::pair<const wchar_t*, std::size_t> expected[] = {
        {L"Adler32", 9},     {L"CRC32", 9},       {L"CRC64", 17},      {L"Gost", 65},       {L"Haval", 65},
        {L"MD2", 33},        {L"MD4", 33},        {L"MD5", 33},        {L"MD6", 129},       {L"RIPEMD-128", 33},
        {L"RIPEMD-160", 41}, {L"RIPEMD-256", 65}, {L"RIPEMD-320", 81}, {L"SHA-0", 41},      {L"SHA-1", 41},
        {L"SHA-1-IME", 41},  {L"SHA-224", 57},    {L"SHA-256", 65},    {L"SHA-384", 97},    {L"SHA-512", 129},
        {L"Tiger", 49},      {L"Whirlpool", 129},
    };
    ASSERT_EQ(algorithms().size(), std::size(expected));
    std::size_t totalCapacity = 0;
    for (std::size_t i = 0; i < algorithms().size(); ++i) {
        const AlgorithmEntry& entry = algorithms()[i];
        EXPECT_EQ(entry.flag, 1u << i);
        EXPECT_EQ(entry.name, expected[i].first);
        EXPECT_EQ(entry.resultCapacity, expected[i].second);
        totalCapacity += entry.resultCapacity;
    }
    EXPECT_EQ(totalCapacity, 1262u);  // the job record's result slots together
}

TEST(Registry, NameForFlagNeedsExactlyOneKnownBit) {
    EXPECT_EQ(nameForFlag(2097152), std::wstring_view(L"Whirlpool"));
    EXPECT_EQ(nameForFlag(1), std::wstring_view(L"Adler32"));
    EXPECT_FALSE(nameForFlag(3).has_value());
    EXPECT_FALSE(nameForFlag(0).has_value());
    EXPECT_FALSE(nameForFlag(1u << 22).has_value());
    EXPECT_FALSE(nameForFlag(0xFFFFFFFFu).has_value());
}

TEST(Registry, FlagForNameIgnoresLetterCaseButNotSpelling) {
    EXPECT_EQ(flagForName(std::wstring_view(L"sha-1-ime")), 32768u);
    EXPECT_EQ(flagForName(std::wstring_view(L"SHA-1-IME")), 32768u);
    EXPECT_EQ(flagForName(std::string_view("wHiRlPoOl")), 2097152u);
    EXPECT_EQ(flagForName(std::string_view("crc32")), 2u);
    EXPECT_FALSE(flagForName(std::wstring_view(L"SHA1")).has_value());
    EXPECT_FALSE(flagForName(std::wstring_view(L"SHA-1 ")).has_value());
    EXPECT_FALSE(flagForName(std::wstring_view(L"")).has_value());
    EXPECT_FALSE(flagForName(std::string_view("MD5\xC3\xA9")).has_value());
    // Characters beyond ASCII never fold onto a name's letters.
    EXPECT_FALSE(flagForName(std::wstring_view(L"M\u0110" L"5")).has_value());
}

TEST(Registry, EveryNameFindsItsOwnRow) {
    for (const AlgorithmEntry& entry : algorithms()) {
        EXPECT_EQ(flagForName(entry.name), entry.flag);
        EXPECT_EQ(flagForName(std::string_view(entry.asciiName())), entry.flag);
        EXPECT_EQ(nameForFlag(entry.flag), entry.name);
    }
}

TEST(Registry, Counts) {
    EXPECT_EQ(algorithmCount(0), 0);
    EXPECT_EQ(algorithmCount(kAllAlgorithms), 22);
    EXPECT_EQ(algorithmCount(0xFFFFFFFFu), 22);
    EXPECT_EQ(algorithmCount(1 | 4 | 128), 3);
    for (const AlgorithmEntry& entry : algorithms()) EXPECT_NE(entry.newHasher({}), nullptr) << entry.asciiName();
}

}  // namespace
}  // namespace sumwise
