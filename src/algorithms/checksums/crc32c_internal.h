// CRC32C's paths for particular instruction sets, chosen at run time by
// crc32c.cpp, and the arithmetic they share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "algorithms/checksums/crc_tables.h"

namespace sumwise::crc32c {

// x^n mod P in the reflected form (bit 31 is x^0): what multiplies a
// register when n zero bits pass. Computed by the compiler.
constexpr std::uint32_t xPowerModP(std::size_t n) {
    std::uint32_t value = 0x80000000u;  // 1
    for (; n > 0; --n) value = (value & 1) ? (value >> 1) ^ crc_tables::kCrc32cPolynomial : value >> 1;
    return value;
}

#if defined(__x86_64__)
// The crc32 instruction on three streams side by side (SSE4.2 with PCLMUL).
std::uint32_t updateSse42(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
#endif

}  // namespace sumwise::crc32c
