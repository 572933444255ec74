// One implementation of an algorithm's inner function (a block compression
// or a checksum update) for some instruction set. Each algorithm lists its
// implementations in one constant table, portable first and fastest last;
// the dispatch takes the last one the processor admits and the tests take
// every one, both from that table, so the two cannot disagree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "algorithms/cpu_features.h"

namespace sumwise {

template <typename Function>
struct Variant {
    const char* name;  // "portable", or the instruction sets it needs: "ssse3", "avx2", "sha-ni", ...
    Function function;
    bool (*supported)(const CpuFeatures& cpu);
};

// The position of the fastest variant `cpu` admits. The first variant is
// portable, admitted everywhere.
template <typename Entry>
std::size_t bestVariantIndex(std::span<const Entry> table, const CpuFeatures& cpu = cpuFeatures()) {
    for (std::size_t i = table.size(); i-- > 1;) {
        if (table[i].supported(cpu)) return i;
    }
    return 0;
}

template <typename Function>
Function bestVariant(std::span<const Variant<Function>> table, const CpuFeatures& cpu = cpuFeatures()) {
    return table[bestVariantIndex(table, cpu)].function;
}

// A variant's name and predicate, without its function's type: what the
// tests and the benchmark need to walk every algorithm's variants alike.
struct VariantInfo {
    const char* name;
    bool (*supported)(const CpuFeatures& cpu);
};

template <typename Function>
std::vector<VariantInfo> variantInfos(std::span<const Variant<Function>> table) {
    std::vector<VariantInfo> infos;
    for (const Variant<Function>& variant : table) infos.push_back({variant.name, variant.supported});
    return infos;
}

// Compresses `count` consecutive blocks into the chaining words.
template <typename Word>
using BlockCompress = void (*)(Word* state, const std::uint8_t* blocks, std::size_t count);
template <typename Word>
using CompressionVariant = Variant<BlockCompress<Word>>;

}  // namespace sumwise
