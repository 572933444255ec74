// The Keccak-f[1600] absorbs for particular instruction sets, listed by sha3.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "algorithms/cpu_features.h"

#if defined(__x86_64__)
#define SUMWISE_KECCAK_BMI2 1
#define SUMWISE_KECCAK_AVX512 1
#else
#define SUMWISE_KECCAK_BMI2 0
#define SUMWISE_KECCAK_AVX512 0
#endif

namespace sumwise::keccak {

inline constexpr std::size_t kLanes = 25;
inline constexpr std::size_t kMaxRate = 168;

extern const std::uint64_t kRoundConstants[24];

void absorbPortable(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count, std::size_t rate);

#if SUMWISE_KECCAK_BMI2
// The same rounds with BMI1's and-not and BMI2's rotate into another register.
void absorbBmi2(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count, std::size_t rate);
#endif

#if SUMWISE_KECCAK_AVX512
// AVX-512 F and VL: one lane per register, three-input logic, one-instruction rotates.
void absorbAvx512(std::uint64_t* state, const std::uint8_t* blocks, std::size_t count, std::size_t rate);
#endif

}  // namespace sumwise::keccak
