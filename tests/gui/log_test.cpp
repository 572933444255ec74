// The daily log written by real jobs, and two writers appending at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app_harness.h"
#include "resources/resource_ids.h"
#include "results/daily_log_file.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "the file ends with CR LF";
    return lines;
}

std::filesystem::path onlyLogFile(const TempDir& logs) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(logs.path())) files.push_back(entry.path());
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::filesystem::path{} : files[0];
}

TEST(DailyLog, ThreeAlgorithmJobAppendsEighteenLines) {
    TempDir dir;
    TempDir logs;
    const auto file = dir.write("abc.txt", "abc");
    {
        RunningApp app(L"/LOG /H:CRC32,Adler32,CRC64 /S " + quoted(file), logs.path().wstring());
        app.hashAndWait();
    }
    const auto logFile = onlyLogFile(logs);
    SYSTEMTIME today{};
    GetLocalTime(&today);
    wchar_t expectedName[16];
    swprintf(expectedName, 16, L"%04u%02u%02u.log", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(logFile.filename().wstring(), expectedName);

    const auto lines = splitLines(readAll(logFile));
    ASSERT_EQ(lines.size(), 18u);
    std::map<std::string, std::string> digests;
    for (std::size_t entry = 0; entry < 3; ++entry) {
        const std::string* line = &lines[entry * 6];
        EXPECT_EQ(line[0].substr(0, 13), "       Time: ");
        EXPECT_EQ(line[0].size(), 25u);  // hh:mm:ss:mmm
        EXPECT_EQ(line[1], "       File: \"" + file.string() + "\"");
        const std::size_t colon = line[2].find(": ");
        ASSERT_NE(colon, std::string::npos);
        EXPECT_EQ(colon, 11u);
        digests[line[2].substr(0, colon)] = line[2].substr(colon + 2);
        EXPECT_EQ(line[3].substr(0, 13), "     Length: ");
        EXPECT_EQ(line[4].substr(0, 13), "      Speed: ");
        EXPECT_EQ(line[5], std::string(141, '-'));
    }
    EXPECT_EQ(digests["      CRC32"], "352441c2");  // small caps, as in the list
    EXPECT_EQ(digests["    Adler32"], "024d0127");
    EXPECT_EQ(digests["      CRC64"], "048b813af9f49702");
}

TEST(DailyLog, CtrlHashLogsThisJobOnly) {
    TempDir logs;
    RunningApp app(L"/T /H:CRC32", logs.path().wstring());
    app.setText(IDC_INPUT, L"hello");
    app.ctrl = true;
    app.hashAndWait();
    app.ctrl = false;
    app.shift = true;
    app.hashAndWait();
    const auto lines = splitLines(readAll(onlyLogFile(logs)));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "       Text: \"hello\"");
    EXPECT_EQ(lines[2], "      CRC32: 3610A686");
    EXPECT_EQ(lines[3], "     Length: 32 bits");
}

TEST(DailyLog, TwoWritersAtOnceLoseNoLinesAndNeverInterleave) {
    TempDir logs;
    DailyLogFile first(logs.path().wstring());
    DailyLogFile second(logs.path().wstring());
    const LocalTime day{2026, 12, 7, 12, 0, 0, 0};
    constexpr int kEntries = 400;
    auto writer = [&](DailyLogFile& log, const wchar_t* name) {
        for (int i = 0; i < kEntries; ++i) {
            LogInput input;
            input.path = std::wstring(name) + L"-" + std::to_wstring(i);
            EXPECT_TRUE(log.append(day, logEntryLines(day, input, name, L"0123456789ABCDEF", 5)));
        }
    };
    std::thread a(writer, std::ref(first), L"CRC64");
    std::thread b(writer, std::ref(second), L"MD5");
    a.join();
    b.join();
    const auto lines = splitLines(readAll(logs.path() / L"20261207.log"));
    ASSERT_EQ(lines.size(), 2u * kEntries * 6);
    for (std::size_t entry = 0; entry < lines.size() / 6; ++entry) {
        const std::string& input = lines[entry * 6 + 1];
        const std::string& result = lines[entry * 6 + 2];
        // The entry's lines belong together.
        const bool crc = result.find("CRC64: ") != std::string::npos;
        EXPECT_NE(input.find(crc ? "\"CRC64-" : "\"MD5-"), std::string::npos) << entry;
        EXPECT_EQ(lines[entry * 6 + 5], std::string(141, '-'));
    }
}

TEST(DailyLog, EntriesAfterMidnightGoToTheNextDaysFile) {
    TempDir logs;
    DailyLogFile log(logs.path().wstring());
    const LocalTime before{2026, 12, 31, 23, 59, 59, 999};
    const LocalTime after{2027, 1, 1, 0, 0, 0, 1};
    ASSERT_TRUE(log.append(before, logEntryLines(before, {}, L"MD5", L"X", 0)));
    ASSERT_TRUE(log.append(after, logEntryLines(after, {}, L"MD5", L"X", 0)));
    EXPECT_EQ(splitLines(readAll(logs.path() / L"20261231.log")).size(), 6u);
    EXPECT_EQ(splitLines(readAll(logs.path() / L"20270101.log")).size(), 6u);
}

TEST(DailyLog, LinesAreCutToFitTheirLineEnd) {
    const std::string bytes = encodeLogLines({std::wstring(2000, L'x'), L"short"});
    EXPECT_EQ(bytes, std::string(1022, 'x') + "\r\nshort\r\n");
}

// Ways the day's file beside the program cannot be opened for appending.
struct UnwritableLogs {
    const char* name;
    void (*arrange)(const std::filesystem::path& logs, const std::filesystem::path& dayFile);
};

void PrintTo(const UnwritableLogs& row, std::ostream* out) { *out << row.name; }

// Whether the system refuses to open the file for writing. Wine run by root
// keeps a read-only file writable (root passes the Unix permission check);
// Windows refuses.
bool refusesWriting(const std::filesystem::path& file) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return true;
    CloseHandle(handle);
    return false;
}

const UnwritableLogs kUnwritableLogs[] = {
    {"DayFileReadOnly",
     [](const std::filesystem::path& logs, const std::filesystem::path& dayFile) {
         std::filesystem::create_directory(logs);
         std::ofstream(dayFile, std::ios::binary) << "earlier\r\n";
         SetFileAttributesW(dayFile.c_str(), FILE_ATTRIBUTE_READONLY);
     }},
    {"DayFileNameTakenByAFolder",
     [](const std::filesystem::path&, const std::filesystem::path& dayFile) {
         std::filesystem::create_directories(dayFile);
     }},
    {"LogsIsAFile",
     [](const std::filesystem::path& logs, const std::filesystem::path&) {
         std::ofstream(logs, std::ios::binary) << "not a folder";
     }},
};

class LogFallback : public ::testing::TestWithParam<UnwritableLogs> {
protected:
    void SetUp() override {
        GetParam().arrange(logs, dayFile);
        if (std::filesystem::is_regular_file(dayFile) && !refusesWriting(dayFile)) {
            GTEST_SKIP() << "this system lets a read-only file be written";
        }
    }
    ~LogFallback() override { SetFileAttributesW(dayFile.c_str(), FILE_ATTRIBUTE_NORMAL); }

    TempDir beside;
    TempDir elsewhere;
    const std::filesystem::path logs = beside.path() / L"Logs";
    const LocalTime day{2026, 12, 7, 9, 30, 0, 0};
    const std::filesystem::path dayFile = logs / L"20261207.log";
};

TEST_P(LogFallback, EntriesGoToTheFallbackFolderAndNothingBesideChanges) {
    const auto before = std::filesystem::is_regular_file(dayFile) ? readAll(dayFile) : std::string();
    DailyLogFile log(logs.wstring(), elsewhere.path().wstring());
    ASSERT_TRUE(log.append(day, logEntryLines(day, {}, L"MD5", L"X", 0)));
    ASSERT_TRUE(log.append(day, logEntryLines(day, {}, L"CRC32", L"Y", 0)));
    const auto lines = splitLines(readAll(elsewhere.path() / L"20261207.log"));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[8], "      CRC32: Y");
    if (std::filesystem::is_regular_file(dayFile)) {
        EXPECT_EQ(readAll(dayFile), before);
    }
}

TEST_P(LogFallback, NowhereToWriteIsReportedNotHidden) {
    const std::filesystem::path blocked = elsewhere.path() / L"taken";
    std::ofstream(blocked, std::ios::binary) << "a file where the fallback folder would be";
    DailyLogFile log(logs.wstring(), blocked.wstring());
    EXPECT_FALSE(log.append(day, logEntryLines(day, {}, L"MD5", L"X", 0)));
}

INSTANTIATE_TEST_SUITE_P(DailyLog, LogFallback, ::testing::ValuesIn(kUnwritableLogs),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(DailyLog, JobWhoseLogFileCannotBeOpenedLogsInTheFallbackFolder) {
    TempDir beside;
    TempDir elsewhere;
    SYSTEMTIME today{};
    GetLocalTime(&today);
    wchar_t name[16];
    swprintf(name, 16, L"%04u%02u%02u.log", today.wYear, today.wMonth, today.wDay);
    // A folder where the day's file would be: refused on Windows and under Wine alike.
    const auto dayFile = beside.path() / name;
    std::filesystem::create_directory(dayFile);
    {
        RunningApp app(L"/LOG /T /H:CRC32", beside.path().wstring(), elsewhere.path().wstring());
        app.setText(IDC_INPUT, L"hello");
        app.hashAndWait();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dayFile));
    const auto lines = splitLines(readAll(elsewhere.path() / name));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "      CRC32: 3610A686");
}

}  // namespace
}  // namespace sumwise::test
