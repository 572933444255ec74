#include "algorithms/md_hasher.h"

namespace sumwise {

void writeBitLength(std::uint64_t bytes, std::uint64_t highBytes, ByteOrder order, std::uint8_t* field,
                    std::size_t size) {
    // The byte count's 128 bits shifted left by three: 131 bits in three words.
    const std::uint64_t low = bytes << 3;
    const std::uint64_t middle = (highBytes << 3) | (bytes >> 61);
    const std::uint64_t top = highBytes >> 61;
    for (std::size_t k = 0; k < size; ++k) {  // k: the byte's place, least significant first
        std::uint8_t value = 0;
        if (k < 8) {
            value = static_cast<std::uint8_t>(low >> (8 * k));
        } else if (k < 16) {
            value = static_cast<std::uint8_t>(middle >> (8 * (k - 8)));
        } else if (k == 16) {
            value = static_cast<std::uint8_t>(top);
        }
        field[order == ByteOrder::Little ? k : size - 1 - k] = value;
    }
}

}  // namespace sumwise
