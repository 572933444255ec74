// RIPEMD-256: the RIPEMD-128 lines, each with a chaining half of its own,
// exchanging one word after each round so that the halves mix.
#include <utility>

#include "algorithms/md_hasher.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/ripemd/ripemd_lines.h"

namespace sumwise {

namespace {

using ripemd::Word;

void ripemd256Compress(Word* state, const std::uint8_t* block, std::size_t count) {
    Word al = state[0], bl = state[1], cl = state[2], dl = state[3];
    Word ar = state[4], br = state[5], cr = state[6], dr = state[7];
    for (; count > 0; --count, block += 64) {
        Word x[16];
        for (int i = 0; i < 16; ++i) x[i] = bytes::load32le(block + 4 * i);
        const Word al0 = al, bl0 = bl, cl0 = cl, dl0 = dl;
        const Word ar0 = ar, br0 = br, cr0 = cr, dr0 = dr;
        ripemd::round4<0>(al, bl, cl, dl, ar, br, cr, dr, x);
        std::swap(al, ar);
        ripemd::round4<1>(al, bl, cl, dl, ar, br, cr, dr, x);
        std::swap(bl, br);
        ripemd::round4<2>(al, bl, cl, dl, ar, br, cr, dr, x);
        std::swap(cl, cr);
        ripemd::round4<3>(al, bl, cl, dl, ar, br, cr, dr, x);
        std::swap(dl, dr);
        al += al0, bl += bl0, cl += cl0, dl += dl0;
        ar += ar0, br += br0, cr += cr0, dr += dr0;
    }
    state[0] = al, state[1] = bl, state[2] = cl, state[3] = dl;
    state[4] = ar, state[5] = br, state[6] = cr, state[7] = dr;
}

}  // namespace

std::unique_ptr<Hasher> newRipemd256With(const AlgorithmParams&, BlockCompress<std::uint32_t> compress) {
    constexpr MdHasher<std::uint32_t, 8>::State kInitial{
        0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0x76543210, 0xfedcba98, 0x89abcdef, 0x01234567};
    return std::make_unique<MdHasher<std::uint32_t, 8>>(kInitial, compress, kLittleEndianFrame);
}

std::unique_ptr<Hasher> newRipemd256(const AlgorithmParams& params) {
    return newRipemd256With(params, ripemd256Compress);
}

}  // namespace sumwise
