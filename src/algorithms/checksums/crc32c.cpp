// CRC32C, reflected Castagnoli polynomial 0x82F63B78. Sixteen bytes a step
// through the sliced tables; with SSE4.2, the processor's own crc32
// instruction (crc32c_sse42.cpp); with VPCLMULQDQ, folding on 512-bit
// registers (crc32c_avx512.cpp).
#include "algorithms/bytes.h"
#include "algorithms/checksums/checksum_hasher.h"
#include "algorithms/checksums/checksums.h"
#include "algorithms/checksums/crc32c_internal.h"
#include "algorithms/checksums/crc_tables.h"

namespace sumwise {

namespace {

using crc_tables::kCrc32c;

// Sixteen bytes: four independent sums of four look-ups, so that only the
// first word's look-ups wait for the register.
inline std::uint32_t slice16(std::uint32_t crc, const std::uint8_t* data) {
    const std::uint32_t w0 = bytes::load32le(data) ^ crc;
    const std::uint32_t w1 = bytes::load32le(data + 4);
    const std::uint32_t w2 = bytes::load32le(data + 8);
    const std::uint32_t w3 = bytes::load32le(data + 12);
    const std::uint32_t first = kCrc32c[15][w0 & 0xFF] ^ kCrc32c[14][(w0 >> 8) & 0xFF] ^
                                kCrc32c[13][(w0 >> 16) & 0xFF] ^ kCrc32c[12][w0 >> 24];
    const std::uint32_t second = kCrc32c[11][w1 & 0xFF] ^ kCrc32c[10][(w1 >> 8) & 0xFF] ^
                                 kCrc32c[9][(w1 >> 16) & 0xFF] ^ kCrc32c[8][w1 >> 24];
    const std::uint32_t third = kCrc32c[7][w2 & 0xFF] ^ kCrc32c[6][(w2 >> 8) & 0xFF] ^
                                kCrc32c[5][(w2 >> 16) & 0xFF] ^ kCrc32c[4][w2 >> 24];
    const std::uint32_t fourth = kCrc32c[3][w3 & 0xFF] ^ kCrc32c[2][(w3 >> 8) & 0xFF] ^
                                 kCrc32c[1][(w3 >> 16) & 0xFF] ^ kCrc32c[0][w3 >> 24];
    return (first ^ second) ^ (third ^ fourth);
}

std::uint32_t crc32cSliced(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    for (; size >= 16; size -= 16, data += 16) crc = slice16(crc, data);
    for (; size > 0; --size) crc = kCrc32c[0][(crc ^ *data++) & 0xFF] ^ (crc >> 8);
    return crc;
}

}  // namespace

std::uint32_t crc32cReference(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ crc_tables::kCrc32cPolynomial : crc >> 1;
    }
    return crc;
}

std::span<const Checksum32Variant> crc32cVariants() {
    static constexpr Checksum32Variant kVariants[] = {
        {"portable", crc32cSliced, anyProcessor},
#if defined(__x86_64__)
        {"sse4.2", crc32c::updateSse42, hasCrc32cInstruction},
        {"avx512-vpclmul", crc32c::updateAvx512, hasWideCrc32cFolding},
#endif
    };
    return kVariants;
}

std::uint32_t crc32cUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    static const Checksum32Update best = bestVariant(crc32cVariants());
    return best(crc, data, size);
}

std::unique_ptr<Hasher> newCrc32cWith(const AlgorithmParams&, Checksum32Update update) {
    return std::make_unique<ChecksumHasher<std::uint32_t, kCrc32cInitial, 0xFFFFFFFFu>>(update);
}

std::unique_ptr<Hasher> newCrc32c(const AlgorithmParams& params) {
    return newCrc32cWith(params, bestVariant(crc32cVariants()));
}

}  // namespace sumwise
