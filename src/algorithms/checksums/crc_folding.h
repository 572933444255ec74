// The way both CRCs combine their two kinds of path: the folding paths take
// whole 16-byte units once there are at least `Minimum` bytes, and the sliced
// tables take the rest; a shorter input goes to `Shorter` (by default the
// sliced tables too).
#pragma once

#include <cstddef>
#include <cstdint>

namespace sumwise {

template <typename Register>
using CrcUpdate = Register (*)(Register crc, const std::uint8_t* data, std::size_t size);

template <typename Register, std::size_t Minimum, CrcUpdate<Register> Fold, CrcUpdate<Register> Slice,
          CrcUpdate<Register> Shorter = Slice>
Register foldThenSlice(Register crc, const std::uint8_t* data, std::size_t size) {
    static_assert(Minimum >= 16, "a fold takes at least one whole unit");
    if (size < Minimum) return Shorter(crc, data, size);
    const std::size_t folded = size & ~std::size_t{15};
    return Slice(Fold(crc, data, folded), data + folded, size - folded);
}

}  // namespace sumwise
