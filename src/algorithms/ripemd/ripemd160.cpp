// RIPEMD-160: two five-word lines of five rounds, combined crosswise.
#include "algorithms/md_hasher.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/ripemd/ripemd_lines.h"

namespace sumwise {

namespace {

using ripemd::Word;

void ripemd160Compress(Word* state, const std::uint8_t* block, std::size_t count) {
    Word h0 = state[0], h1 = state[1], h2 = state[2], h3 = state[3], h4 = state[4];
    for (; count > 0; --count, block += 64) {
        Word x[16];
        for (int i = 0; i < 16; ++i) x[i] = bytes::load32le(block + 4 * i);
        Word al = h0, bl = h1, cl = h2, dl = h3, el = h4;
        Word ar = h0, br = h1, cr = h2, dr = h3, er = h4;
        ripemd::round5<0>(al, bl, cl, dl, el, ar, br, cr, dr, er, x);
        ripemd::round5<1>(el, al, bl, cl, dl, er, ar, br, cr, dr, x);
        ripemd::round5<2>(dl, el, al, bl, cl, dr, er, ar, br, cr, x);
        ripemd::round5<3>(cl, dl, el, al, bl, cr, dr, er, ar, br, x);
        ripemd::round5<4>(bl, cl, dl, el, al, br, cr, dr, er, ar, x);
        const Word t = h1 + cl + dr;
        h1 = h2 + dl + er;
        h2 = h3 + el + ar;
        h3 = h4 + al + br;
        h4 = h0 + bl + cr;
        h0 = t;
    }
    state[0] = h0;
    state[1] = h1;
    state[2] = h2;
    state[3] = h3;
    state[4] = h4;
}

}  // namespace

std::unique_ptr<Hasher> newRipemd160With(const AlgorithmParams&, BlockCompress<std::uint32_t> compress) {
    constexpr MdHasher<std::uint32_t, 5>::State kInitial{
        0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
    return std::make_unique<MdHasher<std::uint32_t, 5>>(kInitial, compress, kLittleEndianFrame);
}

std::unique_ptr<Hasher> newRipemd160(const AlgorithmParams& params) {
    return newRipemd160With(params, ripemd160Compress);
}

}  // namespace sumwise
