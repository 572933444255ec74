#include <gtest/gtest.h>

#include "jobs/result_log.h"

namespace sumwise {
namespace {

TEST(ResultLog, SixLinesOfAFileEntry) {
    const LocalTime at{2026, 3, 4, 9, 5, 7, 42};
    LogInput input;
    input.path = L"C:\\data\\disk.iso";
    const auto lines = logEntryLines(at, input, L"MD5", L"900150983CD24FB0D6963F7D28E17F72", 3042);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"       Time: 09:05:07:042");
    EXPECT_EQ(lines[1], L"       File: \"C:\\data\\disk.iso\"");
    EXPECT_EQ(lines[2], L"        MD5: 900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(lines[3], L"     Length: 128 bits");
    EXPECT_EQ(lines[4], L"      Speed: 00:03:042");
    EXPECT_EQ(lines[5], std::wstring(141, L'-'));
}

TEST(ResultLog, TextAndDiskInputs) {
    const LocalTime at{};
    LogInput text;
    text.kind = LogInput::Kind::Text;
    text.path = L"hello";
    EXPECT_EQ(logEntryLines(at, text, L"CRC32", L"3610A686", 0)[1], L"       Text: \"hello\"");

    LogInput disk;
    disk.kind = LogInput::Kind::Disk;
    disk.driveLetter = L'E';
    disk.volumeLabel = L"BACKUP_2026";
    EXPECT_EQ(logEntryLines(at, disk, L"CRC32", L"0", 0)[1], L"       Disk: (E:) BACKUP_2026");
    disk.volumeLabel = L"";
    EXPECT_EQ(logEntryLines(at, disk, L"CRC32", L"0", 0)[1], L"       Disk: (E:) ");
    disk.volumeLabel.reset();  // unreadable drive information
    EXPECT_EQ(logEntryLines(at, disk, L"CRC32", L"0", 0)[1], L"       Disk: (E:) Empty");
}

TEST(ResultLog, LengthCountsDigitsAndSpeedSplitsMinutes) {
    const LocalTime at{};
    const LogInput input;
    EXPECT_EQ(logEntryLines(at, input, L"MD6", std::wstring(3, L'A'), 0)[3], L"     Length: 12 bits");
    EXPECT_EQ(logEntryLines(at, input, L"MD6", L"", 0)[3], L"     Length: 0 bits");
    EXPECT_EQ(logEntryLines(at, input, L"MD6", std::wstring(200, L'A'), 0)[3], L"     Length: 516 bits");
    EXPECT_EQ(logEntryLines(at, input, L"SHA-1-IME", L"x", 61001)[2], L"  SHA-1-IME: x");
    EXPECT_EQ(logEntryLines(at, input, L"x", L"x", 61001)[4], L"      Speed: 01:01:001");
    EXPECT_EQ(logEntryLines(at, input, L"x", L"x", 6000000)[4], L"      Speed: 100:00:000");
}

TEST(ResultLog, LongLinesAreCut) {
    LogInput input;
    input.path = std::wstring(2000, L'p');
    const auto lines = logEntryLines(LocalTime{}, input, L"MD5", L"x", 0);
    EXPECT_EQ(lines[1].size(), kLogLineLimit);
}

TEST(ResultLog, DailyFileName) {
    EXPECT_EQ(logFileName(L"C:\\Sumwise\\Logs", LocalTime{2026, 1, 9, 23, 59, 59, 999}),
              L"C:\\Sumwise\\Logs\\20260109.log");
    EXPECT_EQ(logFileName(L"L", LocalTime{2027, 12, 31, 0, 0, 0, 0}), L"L\\20271231.log");
}

}  // namespace
}  // namespace sumwise
