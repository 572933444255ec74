// MD5 (RFC 1321). The 64 steps are written out with their constants inline
// and the chaining words stay in registers across the blocks of one call.
#include <bit>

#include "algorithms/md_hasher.h"
#include "algorithms/md/md.h"

namespace sumwise {

namespace {

using std::uint32_t;

// Each step adds the message word and the constant first: that sum does not
// wait for the previous step, so only the Boolean function, one addition, the
// rotation and the final addition sit on the critical path.
template <int S>
inline void stepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t k) {
    a += x + k;
    a += d ^ (b & (c ^ d));
    a = std::rotl(a, S) + b;
}

// G(b, c, d) = (b & d) | (c & ~d): the two terms never share a bit, so they
// can be added separately, and the one with c and d starts before b is known.
template <int S>
inline void stepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t k) {
    a += x + k;
    a += c & ~d;
    a += b & d;
    a = std::rotl(a, S) + b;
}

template <int S>
inline void stepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t k) {
    a += x + k;
    a += b ^ c ^ d;
    a = std::rotl(a, S) + b;
}

template <int S>
inline void stepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t k) {
    a += x + k;
    a += c ^ (b | ~d);
    a = std::rotl(a, S) + b;
}

void md5Compress(uint32_t* state, const std::uint8_t* block, std::size_t count) {
    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    for (; count > 0; --count, block += 64) {
        uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = bytes::load32le(block + 4 * i);
        const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        stepF<7>(a, b, c, d, x[0], 0xd76aa478);
        stepF<12>(d, a, b, c, x[1], 0xe8c7b756);
        stepF<17>(c, d, a, b, x[2], 0x242070db);
        stepF<22>(b, c, d, a, x[3], 0xc1bdceee);
        stepF<7>(a, b, c, d, x[4], 0xf57c0faf);
        stepF<12>(d, a, b, c, x[5], 0x4787c62a);
        stepF<17>(c, d, a, b, x[6], 0xa8304613);
        stepF<22>(b, c, d, a, x[7], 0xfd469501);
        stepF<7>(a, b, c, d, x[8], 0x698098d8);
        stepF<12>(d, a, b, c, x[9], 0x8b44f7af);
        stepF<17>(c, d, a, b, x[10], 0xffff5bb1);
        stepF<22>(b, c, d, a, x[11], 0x895cd7be);
        stepF<7>(a, b, c, d, x[12], 0x6b901122);
        stepF<12>(d, a, b, c, x[13], 0xfd987193);
        stepF<17>(c, d, a, b, x[14], 0xa679438e);
        stepF<22>(b, c, d, a, x[15], 0x49b40821);

        stepG<5>(a, b, c, d, x[1], 0xf61e2562);
        stepG<9>(d, a, b, c, x[6], 0xc040b340);
        stepG<14>(c, d, a, b, x[11], 0x265e5a51);
        stepG<20>(b, c, d, a, x[0], 0xe9b6c7aa);
        stepG<5>(a, b, c, d, x[5], 0xd62f105d);
        stepG<9>(d, a, b, c, x[10], 0x02441453);
        stepG<14>(c, d, a, b, x[15], 0xd8a1e681);
        stepG<20>(b, c, d, a, x[4], 0xe7d3fbc8);
        stepG<5>(a, b, c, d, x[9], 0x21e1cde6);
        stepG<9>(d, a, b, c, x[14], 0xc33707d6);
        stepG<14>(c, d, a, b, x[3], 0xf4d50d87);
        stepG<20>(b, c, d, a, x[8], 0x455a14ed);
        stepG<5>(a, b, c, d, x[13], 0xa9e3e905);
        stepG<9>(d, a, b, c, x[2], 0xfcefa3f8);
        stepG<14>(c, d, a, b, x[7], 0x676f02d9);
        stepG<20>(b, c, d, a, x[12], 0x8d2a4c8a);

        stepH<4>(a, b, c, d, x[5], 0xfffa3942);
        stepH<11>(d, a, b, c, x[8], 0x8771f681);
        stepH<16>(c, d, a, b, x[11], 0x6d9d6122);
        stepH<23>(b, c, d, a, x[14], 0xfde5380c);
        stepH<4>(a, b, c, d, x[1], 0xa4beea44);
        stepH<11>(d, a, b, c, x[4], 0x4bdecfa9);
        stepH<16>(c, d, a, b, x[7], 0xf6bb4b60);
        stepH<23>(b, c, d, a, x[10], 0xbebfbc70);
        stepH<4>(a, b, c, d, x[13], 0x289b7ec6);
        stepH<11>(d, a, b, c, x[0], 0xeaa127fa);
        stepH<16>(c, d, a, b, x[3], 0xd4ef3085);
        stepH<23>(b, c, d, a, x[6], 0x04881d05);
        stepH<4>(a, b, c, d, x[9], 0xd9d4d039);
        stepH<11>(d, a, b, c, x[12], 0xe6db99e5);
        stepH<16>(c, d, a, b, x[15], 0x1fa27cf8);
        stepH<23>(b, c, d, a, x[2], 0xc4ac5665);

        stepI<6>(a, b, c, d, x[0], 0xf4292244);
        stepI<10>(d, a, b, c, x[7], 0x432aff97);
        stepI<15>(c, d, a, b, x[14], 0xab9423a7);
        stepI<21>(b, c, d, a, x[5], 0xfc93a039);
        stepI<6>(a, b, c, d, x[12], 0x655b59c3);
        stepI<10>(d, a, b, c, x[3], 0x8f0ccc92);
        stepI<15>(c, d, a, b, x[10], 0xffeff47d);
        stepI<21>(b, c, d, a, x[1], 0x85845dd1);
        stepI<6>(a, b, c, d, x[8], 0x6fa87e4f);
        stepI<10>(d, a, b, c, x[15], 0xfe2ce6e0);
        stepI<15>(c, d, a, b, x[6], 0xa3014314);
        stepI<21>(b, c, d, a, x[13], 0x4e0811a1);
        stepI<6>(a, b, c, d, x[4], 0xf7537e82);
        stepI<10>(d, a, b, c, x[11], 0xbd3af235);
        stepI<15>(c, d, a, b, x[2], 0x2ad7d2bb);
        stepI<21>(b, c, d, a, x[9], 0xeb86d391);

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

std::unique_ptr<Hasher> newMd5With(const AlgorithmParams&, BlockCompress<std::uint32_t> compress) {
    constexpr MdHasher<std::uint32_t, 4>::State kInitial{
        0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    return std::make_unique<MdHasher<std::uint32_t, 4>>(kInitial, compress, kLittleEndianFrame);
}

std::unique_ptr<Hasher> newMd5(const AlgorithmParams& params) { return newMd5With(params, md5Compress); }

}  // namespace sumwise
