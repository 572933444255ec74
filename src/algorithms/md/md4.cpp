// MD4 (RFC 1320): three rounds of sixteen steps, written out, with the
// chaining words kept in registers across the blocks of one call.
#include <bit>

#include "algorithms/md_hasher.h"
#include "algorithms/md/md.h"

namespace sumwise {

namespace {

using std::uint32_t;

template <int S>
inline void stepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x) {
    a += x;
    a += d ^ (b & (c ^ d));
    a = std::rotl(a, S);
}

// The majority function as (c & d) + (b & (c ^ d)): the two terms never
// share a bit, and only the second waits for b, the word just computed.
template <int S>
inline void stepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x) {
    a += x + 0x5a827999;
    a += c & d;
    a += b & (c ^ d);
    a = std::rotl(a, S);
}

template <int S>
inline void stepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x) {
    a += x + 0x6ed9eba1;
    a += b ^ c ^ d;
    a = std::rotl(a, S);
}

void md4Compress(uint32_t* state, const std::uint8_t* block, std::size_t count) {
    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    for (; count > 0; --count, block += 64) {
        uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = bytes::load32le(block + 4 * i);
        const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        stepF<3>(a, b, c, d, x[0]);
        stepF<7>(d, a, b, c, x[1]);
        stepF<11>(c, d, a, b, x[2]);
        stepF<19>(b, c, d, a, x[3]);
        stepF<3>(a, b, c, d, x[4]);
        stepF<7>(d, a, b, c, x[5]);
        stepF<11>(c, d, a, b, x[6]);
        stepF<19>(b, c, d, a, x[7]);
        stepF<3>(a, b, c, d, x[8]);
        stepF<7>(d, a, b, c, x[9]);
        stepF<11>(c, d, a, b, x[10]);
        stepF<19>(b, c, d, a, x[11]);
        stepF<3>(a, b, c, d, x[12]);
        stepF<7>(d, a, b, c, x[13]);
        stepF<11>(c, d, a, b, x[14]);
        stepF<19>(b, c, d, a, x[15]);

        stepG<3>(a, b, c, d, x[0]);
        stepG<5>(d, a, b, c, x[4]);
        stepG<9>(c, d, a, b, x[8]);
        stepG<13>(b, c, d, a, x[12]);
        stepG<3>(a, b, c, d, x[1]);
        stepG<5>(d, a, b, c, x[5]);
        stepG<9>(c, d, a, b, x[9]);
        stepG<13>(b, c, d, a, x[13]);
        stepG<3>(a, b, c, d, x[2]);
        stepG<5>(d, a, b, c, x[6]);
        stepG<9>(c, d, a, b, x[10]);
        stepG<13>(b, c, d, a, x[14]);
        stepG<3>(a, b, c, d, x[3]);
        stepG<5>(d, a, b, c, x[7]);
        stepG<9>(c, d, a, b, x[11]);
        stepG<13>(b, c, d, a, x[15]);

        stepH<3>(a, b, c, d, x[0]);
        stepH<9>(d, a, b, c, x[8]);
        stepH<11>(c, d, a, b, x[4]);
        stepH<15>(b, c, d, a, x[12]);
        stepH<3>(a, b, c, d, x[2]);
        stepH<9>(d, a, b, c, x[10]);
        stepH<11>(c, d, a, b, x[6]);
        stepH<15>(b, c, d, a, x[14]);
        stepH<3>(a, b, c, d, x[1]);
        stepH<9>(d, a, b, c, x[9]);
        stepH<11>(c, d, a, b, x[5]);
        stepH<15>(b, c, d, a, x[13]);
        stepH<3>(a, b, c, d, x[3]);
        stepH<9>(d, a, b, c, x[11]);
        stepH<11>(c, d, a, b, x[7]);
        stepH<15>(b, c, d, a, x[15]);

        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

}  // namespace

std::unique_ptr<Hasher> newMd4With(const AlgorithmParams&, BlockCompress<std::uint32_t> compress) {
    constexpr MdHasher<std::uint32_t, 4>::State kInitial{
        0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    return std::make_unique<MdHasher<std::uint32_t, 4>>(kInitial, compress, kLittleEndianFrame);
}

std::unique_ptr<Hasher> newMd4(const AlgorithmParams& params) { return newMd4With(params, md4Compress); }

}  // namespace sumwise
