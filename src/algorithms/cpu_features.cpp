#include "algorithms/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace sumwise {

namespace {

#if defined(__x86_64__) || defined(__i386__)
unsigned long long extendedControlRegister() {
    unsigned eax = 0;
    unsigned edx = 0;
    __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
    return (static_cast<unsigned long long>(edx) << 32) | eax;
}

CpuFeatures detect() {
    CpuFeatures features;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return features;
    features.ssse3 = (c & bit_SSSE3) != 0;
    features.sse41 = (c & bit_SSE4_1) != 0;
    features.pclmul = (c & bit_PCLMUL) != 0;
    // AVX state must be enabled by the operating system, not only present.
    const bool osSaves = (c & bit_OSXSAVE) != 0;
    const unsigned long long saved = osSaves ? extendedControlRegister() : 0;
    const bool osSavesAvx = osSaves && (c & bit_AVX) != 0 && (saved & 0x06) == 0x06;
    const bool osSavesAvx512 = osSavesAvx && (saved & 0xE0) == 0xE0;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
        features.avx2 = osSavesAvx && (b & bit_AVX2) != 0;
        features.sha = (b & bit_SHA) != 0;
        features.bmi1 = (b & bit_BMI) != 0;
        features.bmi2 = (b & bit_BMI2) != 0;
        features.avx512 = osSavesAvx512 && (b & bit_AVX512F) != 0 && (b & bit_AVX512BW) != 0 &&
                          (b & bit_AVX512VL) != 0;
        features.vpclmulqdq = features.avx512 && (c & bit_VPCLMULQDQ) != 0;
        features.avx512vbmi = features.avx512 && (c & bit_AVX512VBMI) != 0;
        features.gfni = (c & bit_GFNI) != 0;
    }
    return features;
}
#else
CpuFeatures detect() { return {}; }
#endif

}  // namespace

const CpuFeatures& cpuFeatures() {
    static const CpuFeatures features = detect();
    return features;
}

}  // namespace sumwise
