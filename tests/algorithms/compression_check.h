// Checks every implementation of a block compression against the first
// (portable) one: from arbitrary starting states, over many block counts and
// unaligned input, so every state word is carried in and out.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "algorithms/hasher.h"
#include "test_support.h"

namespace sumwise::test {

template <typename Word, std::size_t StateWords>
void expectCompressionsAgree(const std::vector<CompressionVariant<Word>>& variants, std::size_t blockSize,
                             typename CompressionVariant<Word>::Compress chosen = nullptr,
                             const std::string& what = {}) {
    ASSERT_FALSE(variants.empty()) << what;
    if (chosen != nullptr) {
        // The one chosen at run time is among them.
        bool chosenListed = false;
        for (const auto& variant : variants) chosenListed = chosenListed || variant.compress == chosen;
        EXPECT_TRUE(chosenListed) << what;
    }

    const auto data = randomBytes(blockSize * 40 + 16, 31);
    std::mt19937_64 random(7);
    for (std::size_t offset : {0, 1, 8, 13}) {
        for (std::size_t blocks = 1; blocks <= 40; blocks += (blocks < 6 ? 1 : 7)) {
            std::array<Word, StateWords> start{};
            for (Word& word : start) word = static_cast<Word>(random());
            std::array<Word, StateWords> expected = start;
            variants.front().compress(expected.data(), data.data() + offset, blocks);
            for (const auto& variant : variants) {
                std::array<Word, StateWords> state = start;
                variant.compress(state.data(), data.data() + offset, blocks);
                ASSERT_EQ(state, expected) << what << " " << variant.name << " offset " << offset << " blocks "
                                           << blocks;
            }
        }
    }
}

}  // namespace sumwise::test
