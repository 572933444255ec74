// CRC32C with the SSE4.2 crc32 instruction. One instruction takes 8 bytes
// but its result is needed by the next, so a long input is cut into three
// streams run side by side, each from a zero register but the first; the
// three registers are then joined by the CRC's linearity: the first carried
// over the other two streams' length, the second over the third's. Carrying
// a register over n bytes is a multiplication by x^(8n) mod P: one
// carry-less multiplication by x^(8n-33) mod P, whose 64-bit product the
// crc32 instruction itself reduces (it multiplies by x^32, and the reflected
// product stands one bit off: the 33).
#include "algorithms/checksums/crc32c_internal.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "algorithms/bytes.h"

#define SUMWISE_CRC32C_TARGET __attribute__((target("sse4.2,pclmul")))

namespace sumwise::crc32c {

namespace {

constexpr std::uint32_t carryFactor(std::size_t bytes) { return xPowerModP(8 * bytes - 33); }

SUMWISE_CRC32C_TARGET inline std::uint64_t carry(std::uint64_t crc, std::uint32_t factor) {
    const __m128i product = _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(crc)),
                                                 _mm_cvtsi32_si128(static_cast<int>(factor)), 0x00);
    return _mm_crc32_u64(0, static_cast<std::uint64_t>(_mm_cvtsi128_si64(product)));
}

// Whole runs of three streams of `Stride` bytes each.
template <std::size_t Stride>
SUMWISE_CRC32C_TARGET inline std::uint64_t threeStreams(std::uint64_t crc, const std::uint8_t*& data,
                                                        std::size_t& size) {
    constexpr std::uint32_t kOverOne = carryFactor(Stride);
    constexpr std::uint32_t kOverTwo = carryFactor(2 * Stride);
    for (; size >= 3 * Stride; size -= 3 * Stride, data += 3 * Stride) {
        std::uint64_t a = crc, b = 0, c = 0;
        for (std::size_t i = 0; i < Stride; i += 8) {
            a = _mm_crc32_u64(a, bytes::load64le(data + i));
            b = _mm_crc32_u64(b, bytes::load64le(data + Stride + i));
            c = _mm_crc32_u64(c, bytes::load64le(data + 2 * Stride + i));
        }
        crc = carry(a, kOverTwo) ^ carry(b, kOverOne) ^ c;
    }
    return crc;
}

}  // namespace

SUMWISE_CRC32C_TARGET std::uint32_t updateSse42(std::uint32_t crc32, const std::uint8_t* data, std::size_t size) {
    std::uint64_t crc = crc32;
    crc = threeStreams<4096>(crc, data, size);
    crc = threeStreams<256>(crc, data, size);
    for (; size >= 8; size -= 8, data += 8) crc = _mm_crc32_u64(crc, bytes::load64le(data));
    std::uint32_t low = static_cast<std::uint32_t>(crc);
    for (; size > 0; --size) low = _mm_crc32_u8(low, *data++);
    return low;
}

}  // namespace sumwise::crc32c

#endif
