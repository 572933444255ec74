// The Whirlpool compressions for particular instruction sets, chosen at run
// time by whirlpool.cpp.
#pragma once

#include "algorithms/cpu_features.h"
#include "algorithms/whirlpool/whirlpool.h"

#if defined(__x86_64__)
#define SUMWISE_WHIRLPOOL_AVX512 1
#else
#define SUMWISE_WHIRLPOOL_AVX512 0
#endif

namespace sumwise::whirlpool_avx512 {

#if SUMWISE_WHIRLPOOL_AVX512
// AVX-512 with byte permutes (VBMI) and GF(2^8) affine transforms (GFNI).
bool supported(const CpuFeatures& cpu);
void compress(std::uint64_t* hash, const std::uint8_t* blocks, std::size_t count);
#endif

}  // namespace sumwise::whirlpool_avx512
