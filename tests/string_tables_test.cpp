// The string tables of the eight languages: every language carries every
// string the program loads, and the translations keep the formats, shortcuts
// and fixed names of the English texts.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/version.h"
#include "string_table_reader.h"

namespace {

using namespace sumwise::test::string_tables;

constexpr LANGID kEnglish = 1033;

// Every string the program loads; the translator credit comes on top.
constexpr UINT kProgramStrings[] = {
    IDS_PRODUCT, IDS_TIME, IDS_OK, IDS_STOP, IDS_HASH, IDS_SUSPEND, IDS_RESUME, IDS_BROWSE, IDS_ABOUT, IDS_CANCEL,
    IDS_SET_DEFAULT, IDS_DOWNLOAD, IDS_INSTALL, IDS_RUN, IDS_LICENSE, IDS_CHECK_UPDATES, IDS_COLUMN_NAME,
    IDS_COLUMN_VALUE, IDS_FUNCTIONS, IDS_SHOW_ALL, IDS_SMALL_CAPS, IDS_FILE_SIZE, IDS_TEXT_LENGTH, IDS_PROMPT_FILE,
    IDS_PROMPT_TEXT, IDS_PROMPT_DRIVE, IDS_HASH_TEXT, IDS_HASH_DISK, IDS_COMPARE_GROUP, IDS_COMPARE_RESULT,
    IDS_NEGATIVE, IDS_COMPUTING, IDS_SUSPENDED, IDS_ALWAYS_ON_TOP, IDS_SET_PARAMETERS, IDS_MENU_COPY,
    IDS_MENU_COPY_ALL, IDS_MENU_COPY_TO_COMPARE, IDS_MENU_SAVE, IDS_MENU_SAVE_AS, IDS_MENU_SAVE_ALL,
    IDS_CHOOSE_FILE, IDS_ALL_FILES, IDS_HASH_FILE_TYPE, IDS_EMPTY_VOLUME, IDS_EMPTY_STRING, IDS_TEXT_LENGTH_UTF8,
    IDS_NO_PERMISSION, IDS_SAVE_ELSEWHERE, IDS_DROP_APPLY, IDS_DROP_COMPARE, IDS_DROP_ONE_FILE, IDS_CANNOT_OPEN,
    IDS_READ_FAILED, IDS_FILE_NOT_FOUND, IDS_INPUT_IS_FOLDER, IDS_NO_DRIVES, IDS_NO_DRIVE_CHOSEN,
    IDS_INPUT_ERROR_CODE, IDS_HOMEPAGE, IDS_EMAIL,
    IDS_VERSION_FOR, IDS_CHECK_UPDATES_HINT, IDS_UPDATING, IDS_CHECKING, IDS_NEW_VERSION, IDS_NEW_VERSION_TEXT,
    IDS_NO_NEW_VERSION, IDS_NO_NEW_VERSION_TEXT, IDS_CONNECTING, IDS_DOWNLOADING, IDS_DOWNLOAD_PROGRESS,
    IDS_DOWNLOAD_COMPLETE, IDS_DOWNLOAD_RUN_HINT, IDS_DOWNLOAD_INSTALL_HINT, IDS_CONNECTION_ERROR,
    IDS_CONNECTION_ERROR_TEXT, IDS_DOWNLOAD_ERROR, IDS_DOWNLOAD_ERROR_TEXT, IDS_CLOSING, IDS_HAVAL_TITLE,
    IDS_HAVAL_HEADING, IDS_HAVAL_PASSES, IDS_HAVAL_BITS, IDS_MD6_TITLE, IDS_MD6_HEADING, IDS_MD6_D, IDS_MD6_KEY,
    IDS_MD6_L, IDS_MD6_R, IDS_LICENSE_NOTICE, IDS_ERROR_SYSTEM_MESSAGE, IDS_ERROR_CODE, IDS_ERROR_NO_CODE,
    IDS_ERROR_HTTP_STATUS, IDS_DOWNLOADED_SIZE, IDS_ACTION_OPEN_INTERNET, IDS_ACTION_CREATE_EVENT,
    IDS_ACTION_SET_CALLBACK, IDS_ACTION_CHECK_FILE, IDS_ACTION_FILE_SIZE, IDS_ACTION_READ_FAILURE,
    IDS_ACTION_CREATE_FILE, IDS_ACTION_READ, IDS_ACTION_WRITE, IDS_ACTION_SAVE_FILE, IDS_ERROR_NOT_SIGNED,
    IDS_UNSIGNED_UPDATES, IDS_COMPARE_OTHER_NAME, IDS_JOB_STOPPED, IDS_JOB_PROGRESS, IDS_SAVED_FILES, IDS_PAGE_NOT_OPENED, IDS_MAIL_NOT_STARTED,
    IDS_CHECK_TITLE, IDS_CHECK_COLUMN_FILE, IDS_CHECK_COLUMN_ALGORITHM, IDS_CHECK_COLUMN_STATUS,
    IDS_CHECK_STATUS_OK, IDS_CHECK_STATUS_FAILED, IDS_CHECK_STATUS_MISSING, IDS_CHECK_STATUS_UNREADABLE,
    IDS_CHECK_STATUS_BAD_LINE, IDS_CHECK_STATUS_WAITING, IDS_CHECK_STATUS_CHECKING, IDS_CHECK_COUNT_OK,
    IDS_CHECK_COUNT_FAILED, IDS_CHECK_COUNT_MISSING, IDS_CHECK_COUNT_UNREADABLE, IDS_CHECK_COUNT_BAD_LINES,
    IDS_CHECK_COUNT_BAD_LINE, IDS_CHECK_AGAIN, IDS_CHECK_AGAIN_ALL, IDS_CHECK_AGAIN_FAILED, IDS_CHECK_COPY_REPORT,
    IDS_CHECK_SAVE_REPORT, IDS_CHECK_CLOSE, IDS_CHECK_SPEED, IDS_CHECK_COPY_DIGEST, IDS_CHECK_OPEN_FOLDER,
    IDS_CHECK_CANNOT_READ, IDS_CHECK_NO_LINES, IDS_CHECK_REPORT_TYPE, IDS_MENU_SAVE_SUMS,
};
constexpr UINT kTranslatorStrings[] = {IDS_TRANSLATOR_LABEL, IDS_TRANSLATOR_EMAIL, IDS_TRANSLATOR_NAME};

// Every (block, language) pair among the string resources.
std::map<LANGID, std::set<UINT>> stringBlocksByLanguage() {
    std::vector<UINT> blocks;
    EnumResourceNamesW(
        nullptr, RT_STRING,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            if (IS_INTRESOURCE(name)) {
                reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
            }
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    std::map<LANGID, std::set<UINT>> byLanguage;
    for (UINT block : blocks) {
        std::vector<LANGID> languages;
        EnumResourceLanguagesW(
            nullptr, RT_STRING, MAKEINTRESOURCEW(block),
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) -> BOOL {
                reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        for (LANGID language : languages) byLanguage[language].insert(block);
    }
    return byLanguage;
}

// The parts of a text a translation must keep in order: printf conversions,
// line breaks and tabs.
std::vector<std::wstring> formatTokens(const std::wstring& s) {
    std::vector<std::wstring> tokens;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'%') {
            tokens.push_back(s.substr(i, 2));
            ++i;
        } else if (s[i] == L'\n' || s[i] == L'\t') {
            tokens.emplace_back(1, s[i]);
        }
    }
    return tokens;
}

// Whether the language has a table at all; checks of its texts are pointless
// without one (the first test reports the missing language).
bool hasTable(const Language& language) {
    if (tableString(IDS_PRODUCT, language.id)) return true;
    ADD_FAILURE() << "no strings in " << language.name;
    return false;
}

bool endsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(StringTables, ExactlyTheEightLanguagesCarryStrings) {
    std::set<LANGID> expected;
    for (const auto& language : kLanguages) expected.insert(language.id);
    std::set<LANGID> found;
    for (const auto& [language, blocks] : stringBlocksByLanguage()) found.insert(language);
    EXPECT_EQ(found, expected);
}

TEST(StringTables, EveryLanguageCarriesEveryStringAndNoStrayOnes) {
    std::set<UINT> known(std::begin(kProgramStrings), std::end(kProgramStrings));
    known.insert(std::begin(kTranslatorStrings), std::end(kTranslatorStrings));
    const auto blocks = stringBlocksByLanguage();
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        for (UINT id : kProgramStrings) {
            auto s = tableString(id, language.id);
            ASSERT_TRUE(s.has_value()) << "string block of " << id << " missing or damaged";
            EXPECT_FALSE(s->empty()) << id;
            EXPECT_LE(s->size(), 259u) << id;  // the loader's buffer holds 260 characters
        }
        auto it = blocks.find(language.id);
        ASSERT_NE(it, blocks.end());
        for (UINT block : it->second) {
            auto strings = stringBlock(block, language.id);
            ASSERT_TRUE(strings.has_value()) << "block " << block;
            for (UINT i = 0; i < 16; ++i) {
                UINT id = (block - 1) * 16 + i;
                if (!(*strings)[i].empty()) {
                    EXPECT_TRUE(known.count(id)) << "unknown string " << id;
                }
            }
        }
    }
}

TEST(StringTables, MissingStringsReadAsAbsent) {
    // Strings far beyond the table have no block in any language.
    for (const auto& language : kLanguages) {
        EXPECT_FALSE(tableString(30000, language.id).has_value()) << language.name;
    }
    // A language the program does not have.
    EXPECT_FALSE(tableString(IDS_PRODUCT, MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)).has_value());
}

TEST(StringTables, TranslatorCreditOnlyInTranslations) {
    for (UINT id : kTranslatorStrings) {
        EXPECT_EQ(text(id, kEnglish), L"") << id;
    }
    for (const auto& language : kLanguages) {
        if (language.id == kEnglish || !hasTable(language)) continue;
        SCOPED_TRACE(language.name);
        for (UINT id : kTranslatorStrings) {
            EXPECT_FALSE(text(id, language.id).empty()) << id;
        }
        // The address is the mail link's target: one '@', a dot in the domain, no blanks.
        const std::wstring address = text(IDS_TRANSLATOR_EMAIL, language.id);
        const auto at = address.find(L'@');
        ASSERT_NE(at, std::wstring::npos) << narrow(address);
        EXPECT_GT(at, 0u);
        EXPECT_EQ(address.find(L'@', at + 1), std::wstring::npos);
        EXPECT_NE(address.find(L'.', at), std::wstring::npos);
        EXPECT_EQ(address.find_first_of(L" \t\n"), std::wstring::npos);
    }
}

TEST(StringTables, TranslationsKeepFormatsShortcutsAndFixedNames) {
    for (const auto& language : kLanguages) {
        if (language.id == kEnglish || !hasTable(language)) continue;
        SCOPED_TRACE(language.name);
        for (UINT id : kProgramStrings) {
            const std::wstring english = text(id, kEnglish);
            const std::wstring translated = text(id, language.id);
            // Formatted with the same arguments as English, in the same order.
            EXPECT_EQ(formatTokens(translated), formatTokens(english)) << id << ": " << narrow(translated);
            // One accelerator marker where English has one, before a visible character.
            const auto markers = std::count(translated.begin(), translated.end(), L'&');
            EXPECT_EQ(markers, std::count(english.begin(), english.end(), L'&')) << id;
            const auto marker = translated.find(L'&');
            if (marker != std::wstring::npos) {
                ASSERT_LT(marker + 1, translated.size()) << id;
                EXPECT_FALSE(iswspace(translated[marker + 1])) << id;
            }
            // Buttons and entries that open a dialog, and texts of work in
            // progress, keep their ellipsis.
            if (endsWith(english, L"...")) {
                EXPECT_TRUE(endsWith(translated, L"...")) << id << ": " << narrow(translated);
            }
            // Names of algorithms and media are not translated.
            for (const wchar_t* name : {L"HAVAL", L"MD6", L"CD/DVD", L"Windows"}) {
                if (english.find(name) != std::wstring::npos) {
                    EXPECT_NE(translated.find(name), std::wstring::npos) << id << ": " << narrow(translated);
                }
            }
        }
    }
}

TEST(StringTables, ProductNameAndMenuShortcutsAreTheSameEverywhere) {
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.name);
        EXPECT_EQ(text(IDS_PRODUCT, language.id), L"Sumwise");
        EXPECT_TRUE(endsWith(text(IDS_MENU_COPY, language.id), L"\tCtrl+C"));
        EXPECT_TRUE(endsWith(text(IDS_MENU_SAVE, language.id), L"\tCtrl+S"));
    }
}

}  // namespace
