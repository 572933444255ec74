// Keccak-f[1600] with BMI1 and BMI2: the same rounds, where the rotate into
// another register (rorx) saves the copy before each of rho's rotations.
#include "algorithms/sha3/keccak_rounds.h"

#if SUMWISE_KECCAK_BMI2

namespace sumwise::keccak {

__attribute__((target("bmi,bmi2"))) void absorbBmi2(std::uint64_t* state, const std::uint8_t* blocks,
                                                    std::size_t count, std::size_t rate) {
    absorbRounds(state, blocks, count, rate);
}

}  // namespace sumwise::keccak

#endif
