// The algorithm registry: the one table that ties each algorithm's flag bit
// to its display name, its result slot size and its implementation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "algorithms/hasher.h"

namespace sumwise {

struct AlgorithmEntry {
    std::uint32_t flag;           // 1 << row index
    std::wstring_view name;       // display name, list key, /H token, hash-file extension
    std::size_t resultCapacity;   // longest digest text in characters, plus one
    HasherFactory create;

    std::unique_ptr<Hasher> newHasher(const AlgorithmParams& params) const { return create(params); }
    // The name as plain ASCII (every registry name is ASCII).
    std::string asciiName() const;
};

inline constexpr std::size_t kAlgorithmCount = 22;
inline constexpr std::uint32_t kAllAlgorithms = (1u << kAlgorithmCount) - 1;
// What a fresh start ticks and sumwise-cli computes without -a: CRC32, MD5 and SHA-1.
inline constexpr std::uint32_t kDefaultAlgorithms = (1u << 1) | (1u << 7) | (1u << 14);

// The 22 rows in registry order; row i has flag 1 << i.
const std::array<AlgorithmEntry, kAlgorithmCount>& algorithms();

// The row whose flag equals `flag` exactly, or none (also for several bits).
const AlgorithmEntry* entryForFlag(std::uint32_t flag);
std::optional<std::wstring_view> nameForFlag(std::uint32_t flag);

// The first row whose name equals `name` regardless of letter case, or none.
const AlgorithmEntry* entryForName(std::wstring_view name);
std::optional<std::uint32_t> flagForName(std::wstring_view name);
std::optional<std::uint32_t> flagForName(std::string_view name);

// Set bits of a mask: the number of algorithms it selects.
int algorithmCount(std::uint32_t mask);

}  // namespace sumwise
