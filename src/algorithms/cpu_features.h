// Which optional instructions this processor and operating system offer, and
// the processor-level cap that limits which of them the dispatch may use.
#pragma once

#include <optional>
#include <string_view>

namespace sumwise {

struct CpuFeatures {
    bool ssse3 = false;
    bool sse41 = false;
    bool pclmul = false;
    bool avx2 = false;
    bool sha = false;  // the SHA-1 / SHA-256 extensions
    bool bmi1 = false;
    bool bmi2 = false;
    bool avx512 = false;      // F, BW and VL, with the registers saved by the system
    bool vpclmulqdq = false;  // carry-less multiplication on wide registers
    bool avx512vbmi = false;  // byte permutes on wide registers (with avx512)
    bool gfni = false;        // GF(2^8) multiplications and affine transforms
    bool sse42 = false;       // the CRC-32C instruction among others

    friend bool operator==(const CpuFeatures&, const CpuFeatures&) = default;
};

// Processor levels, each admitting the features of the one before it:
//   portable  none of the above: the x86-64 baseline (SSE2) or another processor
//   ssse3     SSSE3, SSE4.1, SSE4.2, PCLMUL and the SHA extensions: the processors
//             before AVX2 that have SHA (Goldmont) had these with it
//   avx2      AVX2, BMI1 and BMI2 as well: most of today's processors
//   avx512    AVX-512 (F, BW, VL, VBMI), VPCLMULQDQ and GFNI as well
// A level admits a feature only where the processor has it.
enum class CpuLevel { Portable, Ssse3, Avx2, Avx512 };
inline constexpr CpuLevel kCpuLevels[] = {CpuLevel::Portable, CpuLevel::Ssse3, CpuLevel::Avx2, CpuLevel::Avx512};

// The name used by SUMWISE_CPU: "portable", "ssse3", "avx2", "avx512".
const char* cpuLevelName(CpuLevel level);
std::optional<CpuLevel> parseCpuLevel(std::string_view name);

// `features` with whatever `level` does not admit removed.
CpuFeatures capFeatures(const CpuFeatures& features, CpuLevel level);
// The highest level whose defining feature (AVX-512, AVX2, SSSE3) is present.
CpuLevel levelOf(const CpuFeatures& features);

// What the processor offers, uncapped.
const CpuFeatures& detectedCpuFeatures();
// What the dispatch may use: the detected features capped at the level named
// by the environment variable SUMWISE_CPU, read once at first use. An unset
// or unknown value caps nothing. Read once; cheap afterwards.
const CpuFeatures& cpuFeatures();
// The level of cpuFeatures().
CpuLevel cpuLevel();
// The detected features capped at `level`, for checking every level the
// processor runs within one process.
CpuFeatures cpuFeaturesAt(CpuLevel level);

// The predicates of the variant tables, one per set of instructions a
// variant needs; each names what the variant's target attribute uses.
inline bool anyProcessor(const CpuFeatures&) { return true; }
inline bool hasShaExtensions(const CpuFeatures& cpu) { return cpu.sha && cpu.ssse3 && cpu.sse41; }
inline bool hasCarrylessMultiply(const CpuFeatures& cpu) { return cpu.pclmul && cpu.ssse3 && cpu.sse41; }
inline bool hasSse41(const CpuFeatures& cpu) { return cpu.sse41 && cpu.ssse3; }
// The CRC-32C instruction, with carry-less multiplication to join streams.
inline bool hasCrc32cInstruction(const CpuFeatures& cpu) { return cpu.sse42 && hasCarrylessMultiply(cpu); }
inline bool hasBmi1(const CpuFeatures& cpu) { return cpu.bmi1; }
inline bool hasBmi2(const CpuFeatures& cpu) { return cpu.bmi1 && cpu.bmi2; }
// AVX2 with BMI1 and BMI2, which every processor with AVX2 has had beside it.
inline bool hasAvx2(const CpuFeatures& cpu) { return cpu.avx2 && cpu.bmi1 && cpu.bmi2 && cpu.ssse3; }
inline bool hasAvx2CarrylessMultiply(const CpuFeatures& cpu) { return hasAvx2(cpu) && hasCarrylessMultiply(cpu); }
inline bool hasAvx512(const CpuFeatures& cpu) { return cpu.avx512 && hasAvx2(cpu); }
inline bool hasWideCarrylessMultiply(const CpuFeatures& cpu) {
    return cpu.vpclmulqdq && hasAvx512(cpu) && hasCarrylessMultiply(cpu);
}

inline bool hasWideCrc32cFolding(const CpuFeatures& cpu) {
    return hasWideCarrylessMultiply(cpu) && hasCrc32cInstruction(cpu);
}

}  // namespace sumwise
