#include "algorithms/cpu_features.h"

#include <cstdlib>

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
    features.sse42 = (c & bit_SSE4_2) != 0;
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

CpuFeatures capFromEnvironment() {
    const CpuFeatures& detected = detectedCpuFeatures();
    const char* text = std::getenv("SUMWISE_CPU");
    if (text == nullptr) return detected;
    const std::optional<CpuLevel> level = parseCpuLevel(text);
    return level ? capFeatures(detected, *level) : detected;
}

}  // namespace

const char* cpuLevelName(CpuLevel level) {
    switch (level) {
        case CpuLevel::Portable: return "portable";
        case CpuLevel::Ssse3: return "ssse3";
        case CpuLevel::Avx2: return "avx2";
        case CpuLevel::Avx512: return "avx512";
    }
    return "portable";
}

std::optional<CpuLevel> parseCpuLevel(std::string_view name) {
    for (const CpuLevel level : kCpuLevels) {
        if (name == cpuLevelName(level)) return level;
    }
    return std::nullopt;
}

CpuFeatures capFeatures(const CpuFeatures& features, CpuLevel level) {
    CpuFeatures capped = features;
    if (level < CpuLevel::Avx512) {
        capped.avx512 = false;
        capped.vpclmulqdq = false;
        capped.avx512vbmi = false;
        capped.gfni = false;
    }
    if (level < CpuLevel::Avx2) {
        capped.avx2 = false;
        capped.bmi1 = false;
        capped.bmi2 = false;
    }
    if (level < CpuLevel::Ssse3) capped = {};
    return capped;
}

CpuLevel levelOf(const CpuFeatures& features) {
    if (features.avx512) return CpuLevel::Avx512;
    if (features.avx2) return CpuLevel::Avx2;
    if (features.ssse3) return CpuLevel::Ssse3;
    return CpuLevel::Portable;
}

const CpuFeatures& detectedCpuFeatures() {
    static const CpuFeatures features = detect();
    return features;
}

const CpuFeatures& cpuFeatures() {
    static const CpuFeatures features = capFromEnvironment();
    return features;
}

CpuLevel cpuLevel() { return levelOf(cpuFeatures()); }

CpuFeatures cpuFeaturesAt(CpuLevel level) { return capFeatures(detectedCpuFeatures(), level); }

}  // namespace sumwise
