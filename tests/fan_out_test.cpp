#include <gtest/gtest.h>

#include "jobs/fan_out.h"
#include "jobs/streaming.h"
#include "test_support.h"

namespace sumwise {
namespace {

std::vector<std::unique_ptr<Hasher>> hashersFor(const std::vector<std::string>& names) {
    std::vector<std::unique_ptr<Hasher>> hashers;
    for (const std::string& name : names) hashers.push_back(test::algorithm(name).newHasher({}));
    return hashers;
}

TEST(FanOut, EveryAlgorithmSeesEveryPieceInOrder) {
    const std::vector<std::string> names = {"Adler32", "CRC32", "CRC64", "CRC32", "Adler32"};
    for (unsigned threads : {1u, 2u, 3u, 8u}) {
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, kBlockSize, 5 * kBlockSize + 321}) {
            const auto bytes = test::randomBytes(size, static_cast<std::uint32_t>(size + threads));
            FanOut fanOut(hashersFor(names), threads);
            // Uneven pieces, up to one block each.
            std::size_t offset = 0;
            for (std::size_t piece = 1; offset < size; piece = piece * 3 % kBlockSize + 1) {
                const std::size_t take = std::min(piece, size - offset);
                fanOut.feed(bytes.data() + offset, take);
                offset += take;
            }
            const std::vector<Digest> digests = fanOut.finish();
            ASSERT_EQ(digests.size(), names.size());
            for (std::size_t i = 0; i < names.size(); ++i) {
                EXPECT_EQ(digestText(digests[i], LetterCase::Upper), test::hexOf(names[i], bytes))
                    << names[i] << " threads " << threads << " size " << size;
            }
        }
    }
}

TEST(FanOut, DestroyedWithoutFinishing) {
    // A stopped input abandons the fan-out part-way; its threads must still end.
    FanOut fanOut(hashersFor({"CRC32", "CRC64"}), 2);
    const auto bytes = test::randomBytes(kBlockSize, 9);
    fanOut.feed(bytes.data(), bytes.size());
}

}  // namespace
}  // namespace sumwise
