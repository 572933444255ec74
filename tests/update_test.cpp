// The update server's version files and their signatures, the ordering of
// versions, the server's URLs and download names, the integrity check of a
// download, and the check of a release's files folder.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "jobs/stream_control.h"
#include "openssl_signer.h"
#include "test_support.h"
#include "update/download_check.h"
#include "update/update_folder_check.h"
#include "update/update_server.h"
#include "update/update_signature.h"
#include "update/version_file.h"

namespace sumwise {
namespace {

struct VersionFileCase {
    const char* what;
    std::wstring text;
    std::wstring version;
    std::vector<DownloadEntry> entries;
};

class VersionFileTest : public testing::TestWithParam<VersionFileCase> {};

TEST_P(VersionFileTest, ReadsVersionAndEntries) {
    const VersionFileCase& c = GetParam();
    const VersionFile file = parseVersionFile(c.text);
    EXPECT_EQ(file.version, c.version);
    ASSERT_EQ(file.entryCount, c.entries.size());
    for (std::size_t i = 0; i < c.entries.size(); ++i) EXPECT_EQ(file.entries[i], c.entries[i]) << i;
}

const std::wstring kLong(300, L'x');

INSTANTIATE_TEST_SUITE_P(
    Texts, VersionFileTest,
    testing::Values(
        VersionFileCase{"three entries",
                        L"1.63.790.7300\nSumwise_x64.exe:SHA-1:AB12\nSumwiseSetup.exe:MD5:cd34\nSumwise_x86.exe:CRC32:"
                        L"EF56\n",
                        L"1.63.790.7300",
                        {{L"Sumwise_x64.exe", L"SHA-1", L"AB12"},
                         {L"SumwiseSetup.exe", L"MD5", L"cd34"},
                         {L"Sumwise_x86.exe", L"CRC32", L"EF56"}}},
        VersionFileCase{"no LF at all: no version", L"1.63.790.7300", L"", {}},
        VersionFileCase{"empty", L"", L"", {}},
        VersionFileCase{"version only", L"1.63\n", L"1.63", {}},
        VersionFileCase{"last value runs to the end", L"2\na:MD5:0011", L"2", {{L"a", L"MD5", L"0011"}}},
        VersionFileCase{"CR LF line ends", L"1.63\r\na:MD5:0011\r\nb:CRC32:22\r\n", L"1.63",
                        {{L"a", L"MD5", L"0011"}, {L"b", L"CRC32", L"22"}}},
        VersionFileCase{"at most three entries", L"1\na:A:1\nb:B:2\nc:C:3\nd:D:4\n", L"1",
                        {{L"a", L"A", L"1"}, {L"b", L"B", L"2"}, {L"c", L"C", L"3"}}},
        VersionFileCase{"a line without both colons is no entry", L"1\nno colon\nhalf:way\na:B:c\n", L"1",
                        {{L"a", L"B", L"c"}}},
        VersionFileCase{"only lines 2 to 4 count", L"1\n\n\n\na:B:c\n", L"1", {}},
        VersionFileCase{"the digest keeps further colons", L"1\na:B:c:d\n", L"1", {{L"a", L"B", L"c:d"}}},
        VersionFileCase{"empty fields", L"1\n::\n", L"1", {{L"", L"", L""}}},
        VersionFileCase{"fields cut to their limits", L"1.2.3.4.5.6.7.8.9.10.11.12.13.14.15\n" + kLong + L":" +
                                                          kLong.substr(0, 40) + L":" + kLong + L"\n",
                        L"1.2.3.4.5.6.7.8.9.10.11.12.13.1", {{kLong.substr(0, 31), kLong.substr(0, 31), kLong.substr(0, 128)}}},
        VersionFileCase{"nothing beyond 511 characters", L"1\na:B:" + std::wstring(503, L'0') + L"\nz:MD5:1\n", L"1",
                        {{L"a", L"B", std::wstring(128, L'0')}}},
        VersionFileCase{"an LF beyond 511 characters ends nothing", std::wstring(511, L'1') + L"\n", L"", {}}),
    [](const testing::TestParamInfo<VersionFileCase>& row) { return "Case" + std::to_string(row.index); });

TEST(VersionFile, EntryLookupIgnoresLetterCaseAndTakesTheFirst) {
    const VersionFile file = parseVersionFile(L"1\nSumwise_x64.exe:MD5:11\nSUMWISE_X64.EXE:CRC32:22\n");
    ASSERT_NE(file.entryFor(L"sumwise_x64.exe"), nullptr);
    EXPECT_EQ(file.entryFor(L"sumwise_x64.exe")->digest, L"11");
    EXPECT_EQ(file.entryFor(L"Sumwise_x86.exe"), nullptr);
    EXPECT_EQ(file.entryFor(L""), nullptr);
}

struct NormalCase {
    std::wstring version;
    std::wstring normal;
};

class NormaliseVersionTest : public testing::TestWithParam<NormalCase> {};

TEST_P(NormaliseVersionTest, PadsAndCutsComponents) {
    EXPECT_EQ(normaliseVersion(GetParam().version), GetParam().normal);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, NormaliseVersionTest,
    testing::Values(NormalCase{L"1.62.780.7200", L"00001000620078007200"}, NormalCase{L"1", L"00001"},
                    NormalCase{L"", L"00000"}, NormalCase{L"1.62.780.72000", L"00001000620078072000"},
                    NormalCase{L"1.62.780.720000", L"00001000620078072000"},
                    NormalCase{L"1.2.3.4.5", L"00001000020000300004"}, NormalCase{L"1..2", L"000010000000002"},
                    NormalCase{L".", L"0000000000"}, NormalCase{L"1.2.", L"000010000200000"},
                    NormalCase{L"beta.x", L"0beta0000x"}));

TEST(NormaliseVersion, AnyTextGivesAtMostTwentyCharacters) {
    std::mt19937 generator(7);
    const std::wstring alphabet = L"0123456789..ab\r\n";
    for (int round = 0; round < 2000; ++round) {
        std::wstring text(generator() % 60, L' ');
        for (wchar_t& c : text) c = alphabet[generator() % alphabet.size()];
        EXPECT_LE(normaliseVersion(text).size(), 20u);
    }
}

struct NewerCase {
    std::wstring baseline;
    std::wstring candidate;
    bool newer;
};

class NewerVersionTest : public testing::TestWithParam<NewerCase> {};

TEST_P(NewerVersionTest, ComparesByNormalForm) {
    const NewerCase& c = GetParam();
    EXPECT_EQ(isNewerVersion(c.baseline, c.candidate), c.newer)
        << std::string(c.baseline.begin(), c.baseline.end()) << " / " << std::string(c.candidate.begin(), c.candidate.end());
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, NewerVersionTest,
    testing::Values(NewerCase{L"1.62.780.7200", L"1.62.780.7200", false},
                    NewerCase{L"1.62.780.7200", L"1.62.780.7201", true},
                    NewerCase{L"1.62.780.7200", L"1.62.780.72000", true},
                    NewerCase{L"1.62.780.7200", L"1.62.780.7199", false},
                    NewerCase{L"1.62.780.7200", L"1.63", true}, NewerCase{L"1.62.780.7200", L"1.62", false},
                    NewerCase{L"1.62.780.7200", L"", false},
                    // The baseline while Shift is held: everything that parses is newer.
                    NewerCase{L"1", L"1.62.780.7200", true}, NewerCase{L"1", L"1.0", true},
                    NewerCase{L"1", L"0.9", false}, NewerCase{L"1", L"", false}));

struct BaseUrlCase {
    std::optional<std::wstring> configured;
    bool taken;
};

class UpdateBaseUrlTest : public testing::TestWithParam<BaseUrlCase> {};

TEST_P(UpdateBaseUrlTest, TakesOnlyAnHttpUrlEndingInASlash) {
    const BaseUrlCase& c = GetParam();
    std::optional<std::wstring_view> configured;
    if (c.configured) configured = *c.configured;
    EXPECT_EQ(updateBaseUrl(configured), c.taken ? *c.configured : std::wstring(kBuiltInUpdateUrl));
}

INSTANTIATE_TEST_SUITE_P(
    Values, UpdateBaseUrlTest,
    testing::Values(BaseUrlCase{std::nullopt, false}, BaseUrlCase{L"", false},
                    BaseUrlCase{L"http://127.0.0.1:8080/", true}, BaseUrlCase{L"HTTPS://mirror.example/sumwise/", true},
                    BaseUrlCase{L"http://mirror.example/sumwise", false}, BaseUrlCase{L"ftp://mirror.example/", false},
                    BaseUrlCase{L"http:///", false}, BaseUrlCase{L"http://", false},
                    BaseUrlCase{L"http://mirror example/", false}, BaseUrlCase{L"http://mirror\n.example/", false},
                    BaseUrlCase{L"http://" + std::wstring(192, L'm') + L"/", true},
                    BaseUrlCase{L"http://" + std::wstring(193, L'm') + L"/", false}));

TEST(UpdateServer, PathsAndDownloadNames) {
    EXPECT_EQ(versionFileUrl(L"http://h/", kLatestFileName), L"http://h/files/latest.txt");
    EXPECT_EQ(versionFileUrl(L"http://h/", kBetaFileName), L"http://h/files/beta.txt");
    EXPECT_EQ(downloadUrl(L"http://h/", kSetupFileName), L"http://h/download.php?file=SumwiseSetup.exe");
    EXPECT_EQ(portableFileName(false, false), L"Sumwise_x64.exe");
    EXPECT_EQ(portableFileName(true, false), L"Sumwise_x86.exe");
    EXPECT_EQ(portableFileName(false, true), L"Sumwise_x64_beta.exe");
    EXPECT_EQ(portableFileName(true, true), L"Sumwise_x86_beta.exe");
}

struct CheckCase {
    const char* what;
    std::wstring versionFile;
    DownloadCheck expected;
};

class DownloadCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(DownloadCheckTest, ComparesThePublishedDigest) {
    const CheckCase& c = GetParam();
    test::TempDir dir;
    const auto file = dir.write("download.tmp", "abc");
    EXPECT_EQ(checkDownload(parseVersionFile(c.versionFile), L"Sumwise_x64.exe", file), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DownloadCheckTest,
    testing::Values(
        CheckCase{"CRC32", L"1\nSumwise_x64.exe:CRC32:352441C2\n", DownloadCheck::Verified},
        CheckCase{"MD5 in lower case", L"1\nSumwise_x64.exe:MD5:900150983cd24fb0d6963f7d28e17f72\n",
                  DownloadCheck::Verified},
        CheckCase{"SHA-1", L"1\nSumwise_x64.exe:SHA-1:A9993E364706816ABA3E25717850C26C9CD0D89D\n",
                  DownloadCheck::Verified},
        CheckCase{"SHA-256, algorithm name in other case",
                  L"1\nSumwise_x64.exe:sha-256:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\n",
                  DownloadCheck::Verified},
        CheckCase{"RIPEMD-160, a name longer than nine characters",
                  L"1\nSumwise_x64.exe:RIPEMD-160:8EB208F7E05D987A9B044A8E98C6B087F15A0BFC\n", DownloadCheck::Verified},
        CheckCase{"SHA3-256",
                  L"1\nSumwise_x64.exe:SHA3-256:3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532\n",
                  DownloadCheck::Verified},
        CheckCase{"BLAKE2b, 128 digits",
                  L"1\nSumwise_x64.exe:BLAKE2b:ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d1"
                  L"7d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923\n",
                  DownloadCheck::Verified},
        CheckCase{"XXH3", L"1\nSumwise_x64.exe:xxh3:78AF5F94892F3950\n", DownloadCheck::Verified},
        CheckCase{"file name in other case", L"1\nSUMWISE_X64.EXE:CRC32:352441c2\n", DownloadCheck::Verified},
        CheckCase{"the first naming entry counts", L"1\nSumwise_x64.exe:CRC32:00000000\nSumwise_x64.exe:CRC32:352441C2\n",
                  DownloadCheck::Mismatch},
        CheckCase{"wrong digest", L"1\nSumwise_x64.exe:CRC32:352441C3\n", DownloadCheck::Mismatch},
        CheckCase{"digest with a character more", L"1\nSumwise_x64.exe:CRC32:352441C20\n", DownloadCheck::Mismatch},
        CheckCase{"empty digest", L"1\nSumwise_x64.exe:CRC32:\n", DownloadCheck::Mismatch},
        CheckCase{"no entry names it", L"1\nSumwise_x86.exe:CRC32:352441C2\n", DownloadCheck::NotPublished},
        CheckCase{"no entries", L"1\n", DownloadCheck::NotPublished},
        CheckCase{"unknown algorithm", L"1\nSumwise_x64.exe:SHA-3:352441C2\n", DownloadCheck::UnknownAlgorithm}),
    [](const testing::TestParamInfo<CheckCase>& row) { return "Case" + std::to_string(row.index); });

TEST(DownloadCheck, MissingFileAndStopRequest) {
    test::TempDir dir;
    const VersionFile published = parseVersionFile(L"1\nSumwise_x64.exe:CRC32:352441C2\n");
    EXPECT_EQ(checkDownload(published, L"Sumwise_x64.exe", dir.path() / "missing.exe"), DownloadCheck::Unreadable);
    EXPECT_EQ(checkDownload(published, L"Sumwise_x64.exe", dir.path()), DownloadCheck::Unreadable);
    const auto file = dir.write("download.tmp", "abc");
    JobSignals signals;
    signals.stop();
    EXPECT_EQ(checkDownload(published, L"Sumwise_x64.exe", file, &signals), DownloadCheck::Stopped);
}

// RFC 8032's TEST 2: the key and its signature of "r".
const std::string kTestKey = "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c";
const std::string kTestSignature =
    "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aee"
    "b00d291612bb0c00";

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

struct SignatureFileCase {
    const char* what;
    std::string file;
    std::string versionFile;
    bool parses;
    bool verifies;
};

class SignatureFileTest : public testing::TestWithParam<SignatureFileCase> {};

TEST_P(SignatureFileTest, TakesOneLineOf128DigitsOverTheExactBytes) {
    const SignatureFileCase& c = GetParam();
    EXPECT_EQ(parseSignatureFile(c.file).has_value(), c.parses) << c.what;
    EXPECT_EQ(versionFileSigned(*parsePublicKey(kTestKey), c.versionFile, c.file), c.verifies) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, SignatureFileTest,
    testing::Values(
        SignatureFileCase{"128 digits", kTestSignature, "r", true, true},
        SignatureFileCase{"upper case", upper(kTestSignature), "r", true, true},
        SignatureFileCase{"LF", kTestSignature + "\n", "r", true, true},
        SignatureFileCase{"CR LF", kTestSignature + "\r\n", "r", true, true},
        SignatureFileCase{"over other bytes", kTestSignature + "\n", "s", true, false},
        SignatureFileCase{"over the bytes and a line end", kTestSignature + "\n", "r\n", true, false},
        SignatureFileCase{"flipped bit", "82" + kTestSignature.substr(2), "r", true, false},
        SignatureFileCase{"empty", "", "r", false, false},
        SignatureFileCase{"truncated to half", kTestSignature.substr(0, 64) + "\n", "r", false, false},
        SignatureFileCase{"127 digits", kTestSignature.substr(0, 127), "r", false, false},
        SignatureFileCase{"129 digits", kTestSignature + "0", "r", false, false},
        SignatureFileCase{"two signatures", kTestSignature + "\n" + kTestSignature + "\n", "r", false, false},
        SignatureFileCase{"CR alone", kTestSignature + "\r", "r", false, false},
        SignatureFileCase{"two line ends", kTestSignature + "\n\n", "r", false, false},
        SignatureFileCase{"trailing blank", kTestSignature + " ", "r", false, false},
        SignatureFileCase{"leading blank", " " + kTestSignature, "r", false, false},
        SignatureFileCase{"non-hex digit", kTestSignature.substr(0, 100) + "g" + kTestSignature.substr(101), "r",
                          false, false},
        SignatureFileCase{"NUL inside", kTestSignature.substr(0, 100) + std::string(1, '\0') +
                                            kTestSignature.substr(101), "r", false, false},
        SignatureFileCase{"0x prefix", "0x" + kTestSignature.substr(2), "r", false, false}),
    [](const testing::TestParamInfo<SignatureFileCase>& row) { return "Case" + std::to_string(row.index); });

TEST(UpdateSignature, PublicKeyIs64DigitsAndNamesSitBeside) {
    EXPECT_TRUE(parsePublicKey(kTestKey).has_value());
    EXPECT_FALSE(parsePublicKey(kTestKey.substr(1)).has_value());
    EXPECT_FALSE(parsePublicKey(kTestKey + "0").has_value());
    EXPECT_FALSE(parsePublicKey("").has_value());
    EXPECT_EQ(signatureFileName(kLatestFileName), L"latest.txt.sig");
    EXPECT_EQ(versionFileUrl(L"http://h/", signatureFileName(kBetaFileName)), L"http://h/files/beta.txt.sig");
}

// A release's files folder as sumwise-cli --verify-update checks it, with a
// key pair of openssl's.
enum class Signed { No, Yes, OtherBytes, OtherKey, Truncated, Garbage };

struct FolderCase {
    const char* what;
    bool keyed;
    std::string latest;
    Signed latestSigned;
    std::string beta;  // empty: no beta.txt
    Signed betaSigned;
    bool passes;
    std::string line;  // a line of the report
};

class UpdateFolderTest : public testing::TestWithParam<FolderCase> {};

const std::string kRelease = "1.63.0.0\nSumwise_x64.exe:SHA-256:AB12\nSumwiseSetup.exe:MD5:CD34\n";
const std::string kBeta = "1.64.0.0\nSumwise_x64_beta.exe:SHA-256:EF56\n";

TEST_P(UpdateFolderTest, AcceptsWhatTheProgramWould) {
    if (!test::OpensslSigner::available()) GTEST_SKIP() << "no openssl program here";
    static const test::OpensslSigner signer;
    static const test::OpensslSigner otherSigner;
    ASSERT_TRUE(signer.ready() && otherSigner.ready());
    const FolderCase& c = GetParam();
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "files");
    const auto publish = [&](const std::string& name, const std::string& text, Signed how) {
        if (text.empty()) return;
        dir.write("files/" + name, text);
        std::string signature;
        switch (how) {
        case Signed::No: return;
        case Signed::Yes: signature = signer.signHex(text) + "\n"; break;
        case Signed::OtherBytes: signature = signer.signHex(text + " ") + "\n"; break;
        case Signed::OtherKey: signature = otherSigner.signHex(text) + "\n"; break;
        case Signed::Truncated: signature = signer.signHex(text).substr(0, 100); break;
        case Signed::Garbage: signature = std::string(128, 'z'); break;
        }
        dir.write("files/" + name + ".sig", signature);
    };
    publish("latest.txt", c.latest, c.latestSigned);
    publish("beta.txt", c.beta, c.betaSigned);
    const auto key = c.keyed ? parsePublicKey(signer.publicKeyHex()) : std::nullopt;
    for (const auto& folder : {dir.path(), dir.path() / "files"}) {
        const UpdateFolderReport report = checkUpdateFolder(folder, key);
        EXPECT_EQ(report.passed, c.passes) << c.what;
        std::string all;
        for (const std::string& line : report.lines) all += line + "\n";
        EXPECT_NE(all.find(c.line), std::string::npos) << c.what << ":\n" << all;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UpdateFolderTest,
    testing::Values(
        FolderCase{"signed release", true, kRelease, Signed::Yes, "", Signed::No, true,
                   "latest.txt.sig: verified with the built-in key"},
        FolderCase{"signed release and beta", true, kRelease, Signed::Yes, kBeta, Signed::Yes, true,
                   "beta.txt: version 1.64.0.0, 1 download"},
        FolderCase{"unsigned release", true, kRelease, Signed::No, "", Signed::No, false,
                   "latest.txt.sig: missing. The update information is not signed correctly."},
        FolderCase{"signature over other bytes", true, kRelease, Signed::OtherBytes, "", Signed::No, false,
                   "latest.txt.sig: does not verify"},
        FolderCase{"signature by another key", true, kRelease, Signed::OtherKey, "", Signed::No, false,
                   "latest.txt.sig: does not verify"},
        FolderCase{"truncated signature", true, kRelease, Signed::Truncated, "", Signed::No, false,
                   "latest.txt.sig: not 128 hexadecimal digits"},
        FolderCase{"garbage signature", true, kRelease, Signed::Garbage, "", Signed::No, false,
                   "latest.txt.sig: not 128 hexadecimal digits"},
        FolderCase{"unsigned beta", true, kRelease, Signed::Yes, kBeta, Signed::No, false, "beta.txt.sig: missing"},
        FolderCase{"beta by another key", true, kRelease, Signed::Yes, kBeta, Signed::OtherKey, false,
                   "beta.txt.sig: does not verify"},
        FolderCase{"no key: unsigned is fine", false, kRelease, Signed::No, "", Signed::No, true,
                   "latest.txt: signature not checked"},
        FolderCase{"no release", true, "", Signed::No, kBeta, Signed::Yes, false, "latest.txt: missing"},
        FolderCase{"no version line", true, "1.63.0.0", Signed::Yes, "", Signed::No, false,
                   "latest.txt: no version on a first line of its own"},
        FolderCase{"no download", true, "1.63.0.0\n", Signed::Yes, "", Signed::No, false, "names no download"},
        FolderCase{"unknown algorithm", true, "1.63.0.0\nSumwise_x64.exe:SHA-3:AB\n", Signed::Yes, "", Signed::No,
                   false, "Sumwise_x64.exe: unknown algorithm SHA-3"},
        FolderCase{"longer than the program reads", true, "1.63.0.0\nSumwise_x64.exe:MD5:" + std::string(600, 'A'),
                   Signed::Yes, "", Signed::No, false, "latest.txt: longer than 511 bytes"}),
    [](const testing::TestParamInfo<FolderCase>& row) { return "Case" + std::to_string(row.index); });

}  // namespace
}  // namespace sumwise
