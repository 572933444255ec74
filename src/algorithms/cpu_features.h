// Which optional instructions this processor and operating system offer.
#pragma once

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
};

// Read once, on first use; cheap afterwards.
const CpuFeatures& cpuFeatures();

}  // namespace sumwise
