// RIPEMD-320: the RIPEMD-160 lines, each with a chaining half of its own,
// exchanging one word after each round so that the halves mix. The words
// named here are the fixed variables, A after round 1 up to E after round 5;
// since the roles move by one place per round, these are the words standing
// in the B, D, A, C and E positions at those points.
#include <utility>

#include "algorithms/md_hasher.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/ripemd/ripemd_lines.h"

namespace sumwise {

namespace {

using ripemd::Word;

void ripemd320Compress(Word* state, const std::uint8_t* block, std::size_t count) {
    Word al = state[0], bl = state[1], cl = state[2], dl = state[3], el = state[4];
    Word ar = state[5], br = state[6], cr = state[7], dr = state[8], er = state[9];
    for (; count > 0; --count, block += 64) {
        Word x[16];
        for (int i = 0; i < 16; ++i) x[i] = bytes::load32le(block + 4 * i);
        const Word al0 = al, bl0 = bl, cl0 = cl, dl0 = dl, el0 = el;
        const Word ar0 = ar, br0 = br, cr0 = cr, dr0 = dr, er0 = er;
        ripemd::round5<0>(al, bl, cl, dl, el, ar, br, cr, dr, er, x);
        std::swap(al, ar);
        ripemd::round5<1>(el, al, bl, cl, dl, er, ar, br, cr, dr, x);
        std::swap(bl, br);
        ripemd::round5<2>(dl, el, al, bl, cl, dr, er, ar, br, cr, x);
        std::swap(cl, cr);
        ripemd::round5<3>(cl, dl, el, al, bl, cr, dr, er, ar, br, x);
        std::swap(dl, dr);
        ripemd::round5<4>(bl, cl, dl, el, al, br, cr, dr, er, ar, x);
        std::swap(el, er);
        al += al0, bl += bl0, cl += cl0, dl += dl0, el += el0;
        ar += ar0, br += br0, cr += cr0, dr += dr0, er += er0;
    }
    state[0] = al, state[1] = bl, state[2] = cl, state[3] = dl, state[4] = el;
    state[5] = ar, state[6] = br, state[7] = cr, state[8] = dr, state[9] = er;
}

}  // namespace

std::unique_ptr<Hasher> newRipemd320With(const AlgorithmParams&, BlockCompress<std::uint32_t> compress) {
    constexpr MdHasher<std::uint32_t, 10>::State kInitial{
        0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0, 0x76543210, 0xfedcba98, 0x89abcdef, 0x01234567,
        0x3c2d1e0f};
    return std::make_unique<MdHasher<std::uint32_t, 10>>(kInitial, compress, kLittleEndianFrame);
}

std::unique_ptr<Hasher> newRipemd320(const AlgorithmParams& params) {
    return newRipemd320With(params, ripemd320Compress);
}

}  // namespace sumwise
