// CRC32C by polynomial folding on 512-bit registers: four of them, 256 bytes
// a step, folded down to one 128-bit lane as CRC32's wide path does, with
// CRC32C's own factors. That lane stands for 16 message bytes run from a
// zero register, which the crc32 instruction then takes as they are; the
// last bytes go to the three-stream path.
#include "algorithms/checksums/crc32c_internal.h"

#if defined(__x86_64__)
// GCC 12 warns about the deliberately undefined registers inside its own
// AVX-512 headers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "algorithms/checksums/crc32_fold_constants.h"

#define SUMWISE_CRC32C_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,vpclmulqdq,pclmul,sse4.2")))

namespace sumwise::crc32c {

namespace {

// The factors' formula gives CRC32's generated ones for CRC32's polynomial.
static_assert(foldLow(2048, crc_tables::kCrc32Polynomial) == crc32_fold::kFold2048Low);
static_assert(foldHigh(512, crc_tables::kCrc32Polynomial) == crc32_fold::kFold512High);
static_assert(foldLow(128, crc_tables::kCrc32Polynomial) == crc32_fold::kFold128Low);

// The factors for each fold distance, made by the compiler.
struct Factors {
    std::uint64_t low;
    std::uint64_t high;
};
constexpr Factors kBy2048{foldLow(2048), foldHigh(2048)};
constexpr Factors kBy512{foldLow(512), foldHigh(512)};
constexpr Factors kBy128{foldLow(128), foldHigh(128)};

SUMWISE_CRC32C_TARGET inline __m128i factors(const Factors& f) {
    return _mm_set_epi64x(static_cast<long long>(f.high), static_cast<long long>(f.low));
}

SUMWISE_CRC32C_TARGET inline __m128i fold(__m128i value, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(value, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(value, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

SUMWISE_CRC32C_TARGET inline __m512i foldWide(__m512i value, __m512i constants, __m512i next) {
    const __m512i low = _mm512_clmulepi64_epi128(value, constants, 0x00);
    const __m512i high = _mm512_clmulepi64_epi128(value, constants, 0x11);
    return _mm512_ternarylogic_epi64(low, high, next, 0x96);  // three-way XOR
}

}  // namespace

SUMWISE_CRC32C_TARGET std::uint32_t updateAvx512(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    if (size < 256) return updateSse42(crc, data, size);
    __m512i z0 = _mm512_xor_si512(_mm512_loadu_si512(data),
                                  _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc))));
    __m512i z1 = _mm512_loadu_si512(data + 64);
    __m512i z2 = _mm512_loadu_si512(data + 128);
    __m512i z3 = _mm512_loadu_si512(data + 192);
    data += 256;
    size -= 256;

    const __m512i by2048 = _mm512_broadcast_i32x4(factors(kBy2048));
    for (; size >= 256; size -= 256, data += 256) {
        z0 = foldWide(z0, by2048, _mm512_loadu_si512(data));
        z1 = foldWide(z1, by2048, _mm512_loadu_si512(data + 64));
        z2 = foldWide(z2, by2048, _mm512_loadu_si512(data + 128));
        z3 = foldWide(z3, by2048, _mm512_loadu_si512(data + 192));
    }

    const __m512i by512 = _mm512_broadcast_i32x4(factors(kBy512));
    __m512i z = foldWide(z0, by512, z1);
    z = foldWide(z, by512, z2);
    z = foldWide(z, by512, z3);

    const __m128i by128 = factors(kBy128);
    __m128i x = fold(_mm512_extracti32x4_epi32(z, 0), by128, _mm512_extracti32x4_epi32(z, 1));
    x = fold(x, by128, _mm512_extracti32x4_epi32(z, 2));
    x = fold(x, by128, _mm512_extracti32x4_epi32(z, 3));
    for (; size >= 16; size -= 16, data += 16) {
        x = fold(x, by128, _mm_loadu_si128(reinterpret_cast<const __m128i*>(data)));
    }

    std::uint64_t register64 = _mm_crc32_u64(0, static_cast<std::uint64_t>(_mm_cvtsi128_si64(x)));
    register64 = _mm_crc32_u64(register64, static_cast<std::uint64_t>(_mm_extract_epi64(x, 1)));
    return updateSse42(static_cast<std::uint32_t>(register64), data, size);
}

}  // namespace sumwise::crc32c

#endif
