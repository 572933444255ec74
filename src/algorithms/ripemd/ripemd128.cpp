// RIPEMD-128: two four-word lines of four rounds, combined crosswise.
#include "algorithms/md_hasher.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/ripemd/ripemd_lines.h"

namespace sumwise {

namespace {

using ripemd::Word;

void ripemd128Compress(Word* state, const std::uint8_t* block, std::size_t count) {
    Word h0 = state[0], h1 = state[1], h2 = state[2], h3 = state[3];
    for (; count > 0; --count, block += 64) {
        Word x[16];
        for (int i = 0; i < 16; ++i) x[i] = bytes::load32le(block + 4 * i);
        Word al = h0, bl = h1, cl = h2, dl = h3;
        Word ar = h0, br = h1, cr = h2, dr = h3;
        ripemd::round4<0>(al, bl, cl, dl, ar, br, cr, dr, x);
        ripemd::round4<1>(al, bl, cl, dl, ar, br, cr, dr, x);
        ripemd::round4<2>(al, bl, cl, dl, ar, br, cr, dr, x);
        ripemd::round4<3>(al, bl, cl, dl, ar, br, cr, dr, x);
        const Word t = h1 + cl + dr;
        h1 = h2 + dl + ar;
        h2 = h3 + al + br;
        h3 = h0 + bl + cr;
        h0 = t;
    }
    state[0] = h0;
    state[1] = h1;
    state[2] = h2;
    state[3] = h3;
}

}  // namespace

std::unique_ptr<Hasher> newRipemd128With(const AlgorithmParams&, BlockCompress<std::uint32_t> compress) {
    constexpr MdHasher<std::uint32_t, 4>::State kInitial{
        0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    return std::make_unique<MdHasher<std::uint32_t, 4>>(kInitial, compress, kLittleEndianFrame);
}

std::unique_ptr<Hasher> newRipemd128(const AlgorithmParams& params) {
    return newRipemd128With(params, ripemd128Compress);
}

}  // namespace sumwise
