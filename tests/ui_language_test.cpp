#include <gtest/gtest.h>

#include "text/ui_language.h"

namespace sumwise {
namespace {

TEST(UiLanguage, LangOptionCodes) {
    struct Case {
        const wchar_t* commandLine;
        LanguageId expected;
    };
    const Case cases[] = {
        {L"/LANG:pl", kPolish},
        {L"/lang pl", kPolish},
        {L"/LANG=pl", kEnglish},  // only tabs, blanks and colons are skipped
        {L"/LANG:\t: de", kGerman},
        {L"/LANG:de-AT", kGerman},
        {L"/LANG:DE", kGerman},
        {L"/LANG:sl", kSlovenian},
        {L"/LANG:es-MX", kSpanish},
        {L"/LANG:it", kItalian},
        {L"/LANG:en-GB", kEnglish},
        {L"/LANG:zh-TW", kEnglish},
        {L"/LANG:zh-Hant", kChineseTraditional},
        {L"/LANG:zh-hans", kChineseSimplified},
        {L"/LANG:zh-CHS", kChineseSimplified},
        {L"/LANG:zh-cn", kChineseSimplified},
        {L"/LANG:zh-CHT", kChineseTraditional},
        {L"/LANG:zh-ct", kChineseTraditional},
        {L"/LANG:zh", kEnglish},
        {L"/LANG:zh-Hans-CN", kChineseSimplified},  // only seven characters count
        {L"/LANG", kEnglish},
        {L"/LANG:xx", kEnglish},
        {L"file.txt /LANG:pl /LANG:de", kPolish},  // the first occurrence counts
        {L"/H:MD5 \"C:\\a b.txt\" /Lang:it", kItalian},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(languageFromCommandLine(c.commandLine), c.expected) << std::wstring(c.commandLine).size();
    }
}

TEST(UiLanguage, WithoutLangOptionThereIsNoChoice) {
    EXPECT_FALSE(languageFromCommandLine(L"").has_value());
    EXPECT_FALSE(languageFromCommandLine(L"/LOG /H:MD5 file.txt").has_value());
    EXPECT_FALSE(languageFromCommandLine(L"/LAN:pl").has_value());
}

TEST(UiLanguage, UserDefaultByPrimaryLanguage) {
    EXPECT_EQ(languageForUser(0x0407), kGerman);             // German (Germany)
    EXPECT_EQ(languageForUser(0x0C07), kGerman);             // German (Austria)
    EXPECT_EQ(languageForUser(0x0404), kChineseTraditional);  // Chinese (Taiwan)
    EXPECT_EQ(languageForUser(0x0804), kChineseSimplified);   // Chinese (PRC)
    EXPECT_EQ(languageForUser(0x0C04), kChineseTraditional);  // Chinese (Hong Kong)
    EXPECT_EQ(languageForUser(0x1004), kChineseTraditional);  // Chinese (Singapore) is not the PRC
    EXPECT_EQ(languageForUser(0x040A), kSpanish);
    EXPECT_EQ(languageForUser(0x080A), kSpanish);
    EXPECT_EQ(languageForUser(0x0410), kItalian);
    EXPECT_EQ(languageForUser(0x0415), kPolish);
    EXPECT_EQ(languageForUser(0x0424), kSlovenian);
    EXPECT_EQ(languageForUser(0x0409), kEnglish);
    EXPECT_EQ(languageForUser(0x040C), kEnglish);  // French has no table
    EXPECT_EQ(languageForUser(0x0419), kEnglish);
}

}  // namespace
}  // namespace sumwise
