// CRC32C's paths for particular instruction sets, chosen at run time by
// crc32c.cpp, and the arithmetic they share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "algorithms/checksums/crc_tables.h"

namespace sumwise::crc32c {

// x^n mod P in the reflected form (bit 31 is x^0): what multiplies a
// register when n zero bits pass. Computed by the compiler.
constexpr std::uint32_t xPowerModP(std::size_t n, std::uint32_t polynomial = crc_tables::kCrc32cPolynomial) {
    std::uint32_t value = 0x80000000u;  // 1
    for (; n > 0; --n) value = (value & 1) ? (value >> 1) ^ polynomial : value >> 1;
    return value;
}

// For folding a 128-bit lane over `bits`: the factors of its low and its
// high half, x^(bits+32) and x^(bits-32) mod P, reflected and shifted left
// by one for the carry-less product (as for CRC32's folding).
constexpr std::uint64_t foldLow(std::size_t bits, std::uint32_t polynomial = crc_tables::kCrc32cPolynomial) {
    return std::uint64_t{xPowerModP(bits + 32, polynomial)} << 1;
}
constexpr std::uint64_t foldHigh(std::size_t bits, std::uint32_t polynomial = crc_tables::kCrc32cPolynomial) {
    return std::uint64_t{xPowerModP(bits - 32, polynomial)} << 1;
}

#if defined(__x86_64__)
// The crc32 instruction on three streams side by side (SSE4.2 with PCLMUL).
std::uint32_t updateSse42(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
// Folding by carry-less multiplication on 512-bit registers (VPCLMULQDQ).
std::uint32_t updateAvx512(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
#endif

}  // namespace sumwise::crc32c
