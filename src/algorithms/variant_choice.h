// The variant an algorithm runs, chosen by timing. On processors without
// AVX-512 the order of a variant table is not the order of speed everywhere:
// on some cores moving the schedule's words from vector to scalar registers
// costs more than the wide instructions save. So at an algorithm's first use
// every variant the processor admits (SUMWISE_CPU still caps) compresses a
// few blocks, a few times over, and the fastest is taken: some tens of
// microseconds in all. With AVX-512 the table's own choice stands.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "algorithms/variant.h"

namespace sumwise {

inline constexpr std::size_t kTimedBlocks = 16;
inline constexpr int kTimedRounds = 3;

// The nanoseconds of the fastest of `rounds` runs of `run`.
template <typename Run>
std::int64_t fastestRun(Run&& run, int rounds = kTimedRounds) {
    std::int64_t best = INT64_MAX;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto took = std::chrono::steady_clock::now() - start;
        best = std::min<std::int64_t>(best, std::chrono::duration_cast<std::chrono::nanoseconds>(took).count());
    }
    return best;
}

// The position of the fastest variant of a block compression that `cpu`
// admits; `BlockBytes` is the algorithm's block, `StateWords` its chaining words.
template <std::size_t StateWords, std::size_t BlockBytes, typename Word>
std::size_t fastestCompressionIndex(std::span<const CompressionVariant<Word>> table,
                                    const CpuFeatures& cpu = cpuFeatures()) {
    const std::size_t nominal = bestVariantIndex(table, cpu);
    if (hasAvx512(cpu)) return nominal;
    std::array<std::uint8_t, kTimedBlocks * BlockBytes> blocks{};
    for (std::size_t i = 0; i < blocks.size(); ++i) blocks[i] = static_cast<std::uint8_t>(i * 167 + 13);
    std::size_t fastest = nominal;
    std::int64_t fastestTime = INT64_MAX;
    // From the table's choice down, so that a tie keeps the later variant.
    for (std::size_t i = nominal + 1; i-- > 0;) {
        if (!table[i].supported(cpu)) continue;
        std::array<Word, StateWords> state{};
        const auto compress = table[i].function;
        compress(state.data(), blocks.data(), 1);  // warm the code and the tables
        const std::int64_t took = fastestRun([&] { compress(state.data(), blocks.data(), kTimedBlocks); });
        if (took < fastestTime) {
            fastest = i;
            fastestTime = took;
        }
    }
    return fastest;
}

}  // namespace sumwise
