// The About box's portable parts: the mail client's command line built from
// the command it registered, the pages per language, the translator credit.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "about/about_links.h"
#include "about/mail_command.h"

namespace sumwise {
namespace {

const std::map<std::wstring, std::wstring> kEnvironment = {
    {L"ProgramFiles", L"C:\\Program Files"},
    {L"PERCENT_ONE", L"%1"},
    {L"LONG", std::wstring(400, L'x')},
};

std::optional<std::wstring> lookUp(std::wstring_view name) {
    const auto found = kEnvironment.find(std::wstring(name));
    if (found == kEnvironment.end()) return std::nullopt;
    return found->second;
}

struct ExpandCase {
    std::wstring text;
    std::wstring expanded;
};

class ExpandReferencesTest : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandReferencesTest, ExpandsAsWindowsDoes) {
    EXPECT_EQ(expandEnvironmentReferences(GetParam().text, lookUp), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExpandReferencesTest,
    testing::Values(ExpandCase{L"", L""}, ExpandCase{L"plain", L"plain"},
                    ExpandCase{L"\"%ProgramFiles%\\Mail\"", L"\"C:\\Program Files\\Mail\""},
                    ExpandCase{L"%ProgramFiles%%ProgramFiles%", L"C:\\Program FilesC:\\Program Files"},
                    ExpandCase{L"%UNSET%\\x", L"%UNSET%\\x"},
                    // After an unset reference the scan goes on behind its closing sign.
                    ExpandCase{L"%UNSET%ProgramFiles%", L"%UNSET%ProgramFiles%"},
                    ExpandCase{L"%UNSET%%ProgramFiles%", L"%UNSET%C:\\Program Files"},
                    ExpandCase{L"100%", L"100%"}, ExpandCase{L"%%", L"%%"}, ExpandCase{L"%", L"%"},
                    // A value is not expanded again.
                    ExpandCase{L"%PERCENT_ONE%", L"%1"}));

struct CommandCase {
    const char* what;
    std::wstring commandTemplate;
    std::wstring address;
    std::optional<std::wstring> commandLine;  // none: nothing is started
};

class MailCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(MailCommandTest, BuildsTheCommandLine) {
    const CommandCase& c = GetParam();
    EXPECT_EQ(mailCommandLine(c.commandTemplate, c.address, L"Sumwise", lookUp), c.commandLine) << c.what;
}

const std::wstring kAddress = L"support@sumwise.example";
const std::wstring kArgument = L"support@sumwise.example?subject=Sumwise";

INSTANTIATE_TEST_SUITE_P(
    Templates, MailCommandTest,
    testing::Values(
        CommandCase{"quoted path with a reference", L"\"%ProgramFiles%\\Mail\\mail.exe\" /compose %1", kAddress,
                    L"\"C:\\Program Files\\Mail\\mail.exe\" /compose " + kArgument},
        CommandCase{"quoted placeholder", L"\"%ProgramFiles%\\Mail\\mail.exe\" \"%1\"", kAddress,
                    L"\"C:\\Program Files\\Mail\\mail.exe\" \"" + kArgument + L"\""},
        CommandCase{"text before the reference is kept", L"run \"%ProgramFiles%\\m.exe\" %1", kAddress,
                    L"run \"C:\\Program Files\\m.exe\" " + kArgument},
        CommandCase{"no placeholder", L"\"%ProgramFiles%\\Mail\\mail.exe\"", kAddress, std::nullopt},
        CommandCase{"empty template", L"", kAddress, std::nullopt},
        CommandCase{"format conversions stay text", L"m.exe %s %n %x %1", kAddress, L"m.exe %s %n %x " + kArgument},
        CommandCase{"only the first placeholder", L"m.exe %1 %1", kAddress, L"m.exe " + kArgument + L" %1"},
        CommandCase{"a reference after the placeholder", L"m.exe %1 %ProgramFiles%", kAddress,
                    L"m.exe " + kArgument + L" C:\\Program Files"},
        CommandCase{"unset reference", L"%UNSET%\\m.exe %1", kAddress, L"%UNSET%\\m.exe " + kArgument},
        CommandCase{"a value holding %1 is not the placeholder", L"%PERCENT_ONE% %1", kAddress, L"%1 " + kArgument},
        CommandCase{"the address is not expanded", L"m.exe %1", L"%ProgramFiles%@x.example",
                    L"m.exe %ProgramFiles%@x.example?subject=Sumwise"},
        CommandCase{"argument of 63 characters", L"m.exe %1", std::wstring(45, L'a') + L"@b",
                    L"m.exe " + std::wstring(45, L'a') + L"@b?subject=Sumwise"},
        CommandCase{"argument of 64 characters", L"m.exe %1", std::wstring(46, L'a') + L"@b", std::nullopt},
        CommandCase{"command line of 255 characters", std::wstring(216, L'm') + L"%1", kAddress,
                    std::wstring(216, L'm') + kArgument},
        CommandCase{"command line of 256 characters", std::wstring(217, L'm') + L"%1", kAddress, std::nullopt},
        CommandCase{"template over 260 characters", L"%1" + std::wstring(259, L' '), kAddress, std::nullopt},
        CommandCase{"expansion over 320 characters", L"%LONG% %1", kAddress, std::nullopt},
        CommandCase{"a NUL in the template", std::wstring(L"m.exe\0x %1", 10), kAddress, std::nullopt}),
    [](const testing::TestParamInfo<CommandCase>& row) { return "Case" + std::to_string(row.index); });

TEST(MailCommand, AnyTemplateGivesABoundedCommandOrNone) {
    std::mt19937 generator(11);
    const std::wstring alphabet = L"%1\"\\ aProgramFilesLONG";
    for (int round = 0; round < 5000; ++round) {
        std::wstring text(generator() % 300, L' ');
        for (wchar_t& c : text) c = alphabet[generator() % alphabet.size()];
        const auto commandLine = mailCommandLine(text, kAddress, L"Sumwise", lookUp);
        if (!commandLine) continue;
        EXPECT_LE(commandLine->size(), kMailCommandLineMaxLength);
        EXPECT_NE(commandLine->find(kArgument), std::wstring::npos);
    }
}

TEST(AboutLinks, PolishUsersGetThePolishPages) {
    EXPECT_EQ(homePageFor(kPolish), L"https://www.sumwise.example/pl/");
    EXPECT_EQ(licensePageFor(kPolish), L"https://www.sumwise.example/pl/license.html");
    for (LanguageId language : kLanguages) {
        if (language == kPolish) continue;
        EXPECT_EQ(homePageFor(language), L"https://www.sumwise.example/") << language;
        EXPECT_EQ(licensePageFor(language), L"https://www.sumwise.example/license.html") << language;
    }
}

struct CreditCase {
    const wchar_t* address;
    const wchar_t* name;
    bool shown;
    const wchar_t* text;
    bool link;
};

class TranslatorCreditTest : public testing::TestWithParam<CreditCase> {};

TEST_P(TranslatorCreditTest, NameBeforeAddressLinkOnlyWithAnAddress) {
    const CreditCase& c = GetParam();
    const TranslatorCredit credit = translatorCredit(c.address, c.name);
    EXPECT_EQ(credit.shown, c.shown);
    EXPECT_EQ(credit.text, c.text);
    EXPECT_EQ(credit.link, c.link);
}

INSTANTIATE_TEST_SUITE_P(Credits, TranslatorCreditTest,
                         testing::Values(CreditCase{L"", L"", false, L"", false},
                                         CreditCase{L"t@x.example", L"", true, L"t@x.example", true},
                                         CreditCase{L"t@x.example", L"Team", true, L"Team", true},
                                         CreditCase{L"", L"Team", true, L"Team", false}));

}  // namespace
}  // namespace sumwise
