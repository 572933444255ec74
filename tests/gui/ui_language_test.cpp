// Strings in the chosen language on every thread, and the language the
// program settles on at start-up.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "app_harness.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "toolkit/strings.h"

namespace sumwise::test {
namespace {

TEST(UiStrings, MissingStringsLoadEmpty) {
    EXPECT_EQ(loadText(IDS_HASH, kEnglish), L"&Hash");
    EXPECT_EQ(loadText(IDS_TRANSLATOR_NAME, kEnglish), L"");  // only translations carry it
    EXPECT_EQ(loadText(9999, kEnglish), L"");
    EXPECT_EQ(loadText(IDS_HASH, 0x0419), L"");  // a language the program does not have
}

TEST(UiStrings, EveryThreadLoadsTheUiLanguageWithoutSharingBuffers) {
    const LanguageId previous = uiLanguage();
    setUiLanguage(kGerman);
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                const std::wstring a = loadText(IDS_HASH);
                const std::wstring b = loadText(IDS_PROMPT_FILE);
                if (a != loadText(IDS_HASH, kGerman) || b != loadText(IDS_PROMPT_FILE, kGerman)) ++mismatches;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    setUiLanguage(previous);
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(StartUp, LangOptionChoosesTheStringTable) {
    RunningApp app(L"/LANG:pl /H:MD5");
    EXPECT_EQ(app.text(IDC_HASH), loadText(IDS_HASH, kPolish));
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), loadText(IDS_PROMPT_FILE, kPolish));
}

TEST(StartUp, WithoutLangTheUsersLanguageCounts) {
    // The CTest run under a German locale sets the variable; elsewhere the
    // user's language is whatever Wine reports.
    const LanguageId user = GetUserDefaultUILanguage();
    if (const char* expected = std::getenv("SUMWISE_EXPECTED_UI_LANGUAGE")) {
        EXPECT_EQ(user, static_cast<LanguageId>(std::strtoul(expected, nullptr, 0)));
    }
    TempDir dir;
    const auto file = dir.write("x.bin", std::vector<std::uint8_t>(1536, 1));
    RunningApp app(L"/H:MD5 \"" + file.wstring() + L"\"");
    const LanguageId language = languageForUser(user);
    EXPECT_EQ(app.text(IDC_HASH), loadText(IDS_HASH, language));
    // The size uses the user's decimal separator.
    wchar_t separator[4] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4);
    const std::wstring size = std::wstring(L"1") + separator[0] + L"50 KB";
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), formatText(loadText(IDS_FILE_SIZE, language), {std::wstring_view(size)}));
    if (user == 0x0407) {
        EXPECT_EQ(separator[0], L',');
    }
}

}  // namespace
}  // namespace sumwise::test
