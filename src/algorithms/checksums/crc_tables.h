// CRC lookup tables, computed by the compiler from the polynomials: the
// program carries them as constant data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sumwise::crc_tables {

inline constexpr std::uint32_t kCrc32Polynomial = 0xEDB88320u;          // reflected 0x04C11DB7
inline constexpr std::uint32_t kCrc32cPolynomial = 0x82F63B78u;         // Castagnoli, reflected 0x1EDC6F41
inline constexpr std::uint64_t kCrc64Polynomial = 0x42F0E1EBA9EA3693ull;  // ECMA-182, not reflected

// Table k advances a byte's contribution by k further zero bytes, so that
// several bytes can be folded in with one lookup each ("slicing").
template <std::size_t Slices, std::uint32_t Polynomial = kCrc32Polynomial>
constexpr std::array<std::array<std::uint32_t, 256>, Slices> makeCrc32Tables() {
    std::array<std::array<std::uint32_t, 256>, Slices> tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ Polynomial : crc >> 1;
        tables[0][i] = crc;
    }
    for (std::size_t k = 1; k < Slices; ++k) {
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint32_t previous = tables[k - 1][i];
            tables[k][i] = (previous >> 8) ^ tables[0][previous & 0xFF];
        }
    }
    return tables;
}

template <std::size_t Slices>
constexpr std::array<std::array<std::uint64_t, 256>, Slices> makeCrc64Tables() {
    std::array<std::array<std::uint64_t, 256>, Slices> tables{};
    for (std::uint64_t i = 0; i < 256; ++i) {
        std::uint64_t crc = i << 56;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & (1ull << 63)) ? (crc << 1) ^ kCrc64Polynomial : crc << 1;
        }
        tables[0][i] = crc;
    }
    for (std::size_t k = 1; k < Slices; ++k) {
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint64_t previous = tables[k - 1][i];
            tables[k][i] = (previous << 8) ^ tables[0][previous >> 56];
        }
    }
    return tables;
}

inline constexpr auto kCrc32 = makeCrc32Tables<16>();
inline constexpr auto kCrc64 = makeCrc64Tables<16>();
inline constexpr auto kCrc32c = makeCrc32Tables<16, kCrc32cPolynomial>();

static_assert(kCrc32[0][1] == 0x77073096u);
static_assert(kCrc32c[0][1] == 0xF26B8303u);
static_assert(kCrc64[0][1] == 0x42F0E1EBA9EA3693ull);
static_assert(kCrc64[0][255] == 0x9AFCE626CE85B507ull);

}  // namespace sumwise::crc_tables
