// The processor levels the benchmark measures, and how each peer library is
// capped to the same level.
#pragma once

#include <string>

#include "algorithms/cpu_features.h"

namespace sumwise::bench {

// The value of OPENSSL_ia32cap that keeps libcrypto (and librhash, which
// hands several algorithms to libcrypto) within `level`, or empty for none.
// Bits as OpenSSL documents them: the first vector is CPUID 1 (EDX, then ECX
// from bit 32), the second CPUID 7 (EBX, then ECX from bit 32); "~" clears.
std::string opensslCap(CpuLevel level);

}  // namespace sumwise::bench
