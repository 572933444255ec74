// CRC32, reflected polynomial 0xEDB88320. Sixteen bytes a step through the
// sliced tables; on processors with carry-less multiplication, 64 bytes a
// step by polynomial folding, or 256 where it works on 512-bit registers.
// The folding constants are x^n mod P for the fold distances, reproduced by
// scripts/crc32_fold_constants.py.
#include "algorithms/bytes.h"
#include "algorithms/checksums/checksums.h"
#include "algorithms/checksums/crc_tables.h"
#include "algorithms/cpu_features.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sumwise {

namespace {

using crc_tables::kCrc32;

std::uint32_t crc32Sliced(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    for (; size >= 16; size -= 16, data += 16) {
        const std::uint32_t w0 = bytes::load32le(data) ^ crc;
        const std::uint32_t w1 = bytes::load32le(data + 4);
        const std::uint32_t w2 = bytes::load32le(data + 8);
        const std::uint32_t w3 = bytes::load32le(data + 12);
        crc = kCrc32[15][w0 & 0xFF] ^ kCrc32[14][(w0 >> 8) & 0xFF] ^ kCrc32[13][(w0 >> 16) & 0xFF] ^
              kCrc32[12][w0 >> 24] ^ kCrc32[11][w1 & 0xFF] ^ kCrc32[10][(w1 >> 8) & 0xFF] ^
              kCrc32[9][(w1 >> 16) & 0xFF] ^ kCrc32[8][w1 >> 24] ^ kCrc32[7][w2 & 0xFF] ^
              kCrc32[6][(w2 >> 8) & 0xFF] ^ kCrc32[5][(w2 >> 16) & 0xFF] ^ kCrc32[4][w2 >> 24] ^
              kCrc32[3][w3 & 0xFF] ^ kCrc32[2][(w3 >> 8) & 0xFF] ^ kCrc32[1][(w3 >> 16) & 0xFF] ^
              kCrc32[0][w3 >> 24];
    }
    for (; size > 0; --size) crc = kCrc32[0][(crc ^ *data++) & 0xFF] ^ (crc >> 8);
    return crc;
}

#if defined(__x86_64__)
// Folding constants of the reflected polynomial: x^(k) mod P for the fold
// distances 512 +/- 32, 128 +/- 32 and 64, then the Barrett pair (P and
// floor(x^64 / P)), all bit-reflected.
constexpr std::uint64_t kFold512Low = 0x154442BD4ull;
constexpr std::uint64_t kFold512High = 0x1C6E41596ull;
constexpr std::uint64_t kFold128Low = 0x1751997D0ull;
constexpr std::uint64_t kFold128High = 0x0CCAA009Eull;
constexpr std::uint64_t kFold64 = 0x163CD6124ull;
constexpr std::uint64_t kPolynomial = 0x1DB710641ull;
constexpr std::uint64_t kBarrett = 0x1F7011641ull;

__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i value, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(value, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(value, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i load128(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Folds the remaining 16-byte units into `x`, then reduces it to the register.
__attribute__((target("pclmul,sse4.1"))) inline std::uint32_t finishFolding(__m128i x, const std::uint8_t* data,
                                                                            std::size_t size) {
    const __m128i by128 = _mm_set_epi64x(static_cast<long long>(kFold128High), static_cast<long long>(kFold128Low));
    for (; size >= 16; size -= 16, data += 16) x = fold(x, by128, load128(data));

    // 128 bits to 64, then to 32 with Barrett reduction.
    const __m128i low32Mask = _mm_setr_epi32(-1, 0, -1, 0);
    x = _mm_xor_si128(_mm_clmulepi64_si128(x, by128, 0x10), _mm_srli_si128(x, 8));
    const __m128i by64 = _mm_set_epi64x(0, static_cast<long long>(kFold64));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32Mask), by64, 0x00), _mm_srli_si128(x, 4));
    const __m128i barrett = _mm_set_epi64x(static_cast<long long>(kBarrett), static_cast<long long>(kPolynomial));
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32Mask), barrett, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32Mask), barrett, 0x00);
    x = _mm_xor_si128(x, t);
    return static_cast<std::uint32_t>(_mm_extract_epi32(x, 1));
}

// Takes whole 16-byte units, at least 64 bytes; returns the register.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t crc32Folded(std::uint32_t crc, const std::uint8_t* data,
                                                                    std::size_t size) {
    __m128i x0 = _mm_xor_si128(load128(data), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x1 = load128(data + 16);
    __m128i x2 = load128(data + 32);
    __m128i x3 = load128(data + 48);
    data += 64;
    size -= 64;

    const __m128i by512 = _mm_set_epi64x(static_cast<long long>(kFold512High), static_cast<long long>(kFold512Low));
    for (; size >= 64; size -= 64, data += 64) {
        x0 = fold(x0, by512, load128(data));
        x1 = fold(x1, by512, load128(data + 16));
        x2 = fold(x2, by512, load128(data + 32));
        x3 = fold(x3, by512, load128(data + 48));
    }

    const __m128i by128 = _mm_set_epi64x(static_cast<long long>(kFold128High), static_cast<long long>(kFold128Low));
    __m128i x = fold(x0, by128, x1);
    x = fold(x, by128, x2);
    x = fold(x, by128, x3);
    return finishFolding(x, data, size);
}

// The same folding on 512-bit registers: four of them, 256 bytes a step.
constexpr std::uint64_t kFold2048Low = 0x11542778Aull;
constexpr std::uint64_t kFold2048High = 0x1322D1430ull;

// GCC 12 warns about the deliberately undefined registers inside its own
// AVX-512 headers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#define SUMWISE_WIDE_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,vpclmulqdq,pclmul,sse4.1")))

SUMWISE_WIDE_TARGET inline __m512i foldWide(__m512i value, __m512i constants, __m512i next) {
    const __m512i low = _mm512_clmulepi64_epi128(value, constants, 0x00);
    const __m512i high = _mm512_clmulepi64_epi128(value, constants, 0x11);
    return _mm512_ternarylogic_epi64(low, high, next, 0x96);  // three-way XOR
}

// Takes whole 16-byte units, at least 256 bytes; returns the register.
SUMWISE_WIDE_TARGET std::uint32_t crc32FoldedWide(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    __m512i z0 = _mm512_xor_si512(_mm512_loadu_si512(data), _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc))));
    __m512i z1 = _mm512_loadu_si512(data + 64);
    __m512i z2 = _mm512_loadu_si512(data + 128);
    __m512i z3 = _mm512_loadu_si512(data + 192);
    data += 256;
    size -= 256;

    const __m512i by2048 = _mm512_broadcast_i32x4(
        _mm_set_epi64x(static_cast<long long>(kFold2048High), static_cast<long long>(kFold2048Low)));
    for (; size >= 256; size -= 256, data += 256) {
        z0 = foldWide(z0, by2048, _mm512_loadu_si512(data));
        z1 = foldWide(z1, by2048, _mm512_loadu_si512(data + 64));
        z2 = foldWide(z2, by2048, _mm512_loadu_si512(data + 128));
        z3 = foldWide(z3, by2048, _mm512_loadu_si512(data + 192));
    }

    const __m512i by512 = _mm512_broadcast_i32x4(
        _mm_set_epi64x(static_cast<long long>(kFold512High), static_cast<long long>(kFold512Low)));
    __m512i z = foldWide(z0, by512, z1);
    z = foldWide(z, by512, z2);
    z = foldWide(z, by512, z3);

    const __m128i by128 = _mm_set_epi64x(static_cast<long long>(kFold128High), static_cast<long long>(kFold128Low));
    __m128i x = fold(_mm512_extracti32x4_epi32(z, 0), by128, _mm512_extracti32x4_epi32(z, 1));
    x = fold(x, by128, _mm512_extracti32x4_epi32(z, 2));
    x = fold(x, by128, _mm512_extracti32x4_epi32(z, 3));
    return finishFolding(x, data, size);
}

#undef SUMWISE_WIDE_TARGET
#pragma GCC diagnostic pop
#endif

}  // namespace

std::uint32_t crc32Reference(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ crc_tables::kCrc32Polynomial : crc >> 1;
    }
    return crc;
}

std::uint32_t crc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
#if defined(__x86_64__)
    if (size >= 64 && cpuFeatures().pclmul && cpuFeatures().sse41) {
        const std::size_t folded = size & ~std::size_t{15};
        crc = (folded >= 256 && cpuFeatures().vpclmulqdq) ? crc32FoldedWide(crc, data, folded)
                                                          : crc32Folded(crc, data, folded);
        data += folded;
        size -= folded;
    }
#endif
    return crc32Sliced(crc, data, size);
}

std::vector<Checksum32Variant> crc32Variants() {
    std::vector<Checksum32Variant> variants{{"sliced", crc32Sliced}};
#if defined(__x86_64__)
    // The folding paths take whole 16-byte units of at least 64 (256) bytes;
    // the sliced tables take the rest, as in crc32Update.
    if (cpuFeatures().pclmul && cpuFeatures().sse41) {
        variants.push_back({"folded", [](std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
                                const std::size_t folded = size >= 64 ? size & ~std::size_t{15} : 0;
                                if (folded > 0) crc = crc32Folded(crc, data, folded);
                                return crc32Sliced(crc, data + folded, size - folded);
                            }});
    }
    if (cpuFeatures().vpclmulqdq) {
        variants.push_back({"folded-wide", [](std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
                                const std::size_t folded = size >= 256 ? size & ~std::size_t{15} : 0;
                                if (folded > 0) crc = crc32FoldedWide(crc, data, folded);
                                return crc32Sliced(crc, data + folded, size - folded);
                            }});
    }
#endif
    return variants;
}

namespace {

class Crc32 final : public Hasher {
public:
    void init() override { crc_ = kCrc32Initial; }
    void update(const std::uint8_t* data, std::size_t size) override { crc_ = crc32Update(crc_, data, size); }
    Digest finish() override { return Digest::fromNumber(crc_ ^ 0xFFFFFFFFu, 4); }

private:
    std::uint32_t crc_ = kCrc32Initial;
};

}  // namespace

std::unique_ptr<Hasher> newCrc32(const AlgorithmParams&) { return std::make_unique<Crc32>(); }

}  // namespace sumwise
