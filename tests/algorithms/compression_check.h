// Checks every implementation of a block compression against the first
// (portable) one: from arbitrary starting states, over many block counts and
// unaligned input, so every state word is carried in and out.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "algorithms/variant.h"
#include "test_support.h"

namespace sumwise::test {

// The variants of a table this processor can run, whatever SUMWISE_CPU says.
template <typename Function>
std::vector<Variant<Function>> runnableVariants(std::span<const Variant<Function>> table) {
    std::vector<Variant<Function>> runnable;
    for (const Variant<Function>& variant : table) {
        if (variant.supported(detectedCpuFeatures())) runnable.push_back(variant);
    }
    return runnable;
}

template <typename Word, std::size_t StateWords>
void expectCompressionsAgree(std::span<const CompressionVariant<Word>> table, std::size_t blockSize,
                             const std::string& what = {}) {
    const auto variants = runnableVariants(table);
    ASSERT_FALSE(variants.empty()) << what;
    EXPECT_STREQ(variants.front().name, "portable") << what;

    const auto data = randomBytes(blockSize * 40 + 16, 31);
    std::mt19937_64 random(7);
    for (std::size_t offset : {0, 1, 8, 13}) {
        for (std::size_t blocks = 1; blocks <= 40; blocks += (blocks < 6 ? 1 : 7)) {
            std::array<Word, StateWords> start{};
            for (Word& word : start) word = static_cast<Word>(random());
            std::array<Word, StateWords> expected = start;
            variants.front().function(expected.data(), data.data() + offset, blocks);
            for (const auto& variant : variants) {
                std::array<Word, StateWords> state = start;
                variant.function(state.data(), data.data() + offset, blocks);
                ASSERT_EQ(state, expected) << what << " " << variant.name << " offset " << offset << " blocks "
                                           << blocks;
            }
        }
    }
}

}  // namespace sumwise::test
