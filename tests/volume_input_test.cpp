// Raw volumes through the same open as files. Under Wine a drive letter can
// stand for a disc image (scripts/run-with-disc.sh), which then reads like
// a disc's raw volume.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "jobs/streaming.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

TEST(VolumeInput, VolumePathReadsTheWholeMedium) {
    const char* letter = std::getenv("SUMWISE_DISC_LETTER");
    const char* imagePath = std::getenv("SUMWISE_DISC_IMAGE");
    if (letter == nullptr || imagePath == nullptr) GTEST_SKIP() << "run through scripts/run-with-disc.sh";
    std::ifstream stream(imagePath, std::ios::binary);
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    ASSERT_GT(image.size(), 3 * kBlockSize);

    const std::wstring volume = std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter[0]) + L":";
    const HashResult result = hashFile(algorithm("CRC32"), volume, {});
    ASSERT_TRUE(result.complete()) << static_cast<int>(result.status);
    EXPECT_EQ(result.bytesRead, image.size());
    EXPECT_EQ(digestText(result.digest, LetterCase::Upper), hexOf("CRC32", image));
    // A volume does not know its size the way a file does.
    const auto source = openInput(volume);
    ASSERT_NE(source, nullptr);
    EXPECT_FALSE(source->size().has_value());
}

TEST(VolumeInput, MissingVolumeCannotBeOpened) {
    const HashResult result = hashFile(algorithm("CRC32"), L"\\\\.\\J:", {});
    EXPECT_EQ(result.status, StreamStatus::CannotOpen);
}

}  // namespace
}  // namespace sumwise::test
