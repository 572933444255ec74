#include "levels.h"

#include <cstdint>
#include <cstdio>

namespace sumwise::bench {

namespace {

constexpr std::uint64_t bit(int n) { return std::uint64_t{1} << n; }

// CPUID 7: AVX-512 F, DQ, IFMA, PF, ER, CD, BW, VL; VBMI, VBMI2, GFNI,
// VAES, VPCLMULQDQ, VNNI, BITALG, VPOPCNTDQ.
constexpr std::uint64_t kAvx512 = bit(16) | bit(17) | bit(21) | bit(26) | bit(27) | bit(28) | bit(30) | bit(31) |
                                  bit(32 + 1) | bit(32 + 6) | bit(32 + 8) | bit(32 + 9) | bit(32 + 10) |
                                  bit(32 + 11) | bit(32 + 12) | bit(32 + 14);
// CPUID 7: BMI1, AVX2, BMI2, ADX.
constexpr std::uint64_t kAvx2 = bit(3) | bit(5) | bit(8) | bit(19);
// CPUID 1: AVX, FMA, XOP, F16C.
constexpr std::uint64_t kAvx = bit(32 + 28) | bit(32 + 12) | bit(32 + 11) | bit(32 + 29);
// CPUID 1: SSE3, PCLMULQDQ, SSSE3, SSE4.1, SSE4.2, MOVBE, AES-NI.
constexpr std::uint64_t kSse3Up = bit(32 + 0) | bit(32 + 1) | bit(32 + 9) | bit(32 + 19) | bit(32 + 20) |
                                  bit(32 + 22) | bit(32 + 25);

std::string clearing(std::uint64_t first, std::uint64_t second) {
    char text[64];
    std::snprintf(text, sizeof text, "~0x%llx:~0x%llx", static_cast<unsigned long long>(first),
                  static_cast<unsigned long long>(second));
    return text;
}

}  // namespace

std::string opensslCap(CpuLevel level) {
    switch (level) {
        case CpuLevel::Avx512: return {};
        case CpuLevel::Avx2: return clearing(0, kAvx512);
        case CpuLevel::Ssse3: return clearing(kAvx, kAvx512 | kAvx2);
        case CpuLevel::Portable: return clearing(kAvx | kSse3Up, ~std::uint64_t{0});
    }
    return {};
}

}  // namespace sumwise::bench
