// Which optional instructions this processor and operating system offer.
#pragma once

namespace sumwise {

struct CpuFeatures {
    bool ssse3 = false;
    bool sse41 = false;
    bool pclmul = false;
    bool avx2 = false;
    bool sha = false;  // the SHA-1 / SHA-256 extensions
    bool bmi2 = false;
};

// Read once, on first use; cheap afterwards.
const CpuFeatures& cpuFeatures();

}  // namespace sumwise
