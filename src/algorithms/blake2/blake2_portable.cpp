// The BLAKE2b and BLAKE2s compressions in portable code: one template over
// the word size, with the sixteen working words in variables and every round
// unrolled, so the message schedule becomes fixed indices.
#include <bit>

#include "algorithms/blake2/blake2_internal.h"
#include "algorithms/bytes.h"

namespace sumwise::blake2 {

namespace {

// The rotations of G and the number of rounds for each word size.
template <typename Word>
struct Shape;
template <>
struct Shape<std::uint64_t> {
    static constexpr int r1 = 32, r2 = 24, r3 = 16, r4 = 63, rounds = 12;
    static constexpr const std::uint64_t* iv = kIv64;
};
template <>
struct Shape<std::uint32_t> {
    static constexpr int r1 = 16, r2 = 12, r3 = 8, r4 = 7, rounds = 10;
    static constexpr const std::uint32_t* iv = kIv32;
};

#define BLAKE2_G(a, b, c, d, x, y)           \
    a += b + (x);                            \
    d = std::rotr(d ^ a, S::r1);             \
    c += d;                                  \
    b = std::rotr(b ^ c, S::r2);             \
    a += b + (y);                            \
    d = std::rotr(d ^ a, S::r3);             \
    c += d;                                  \
    b = std::rotr(b ^ c, S::r4);

template <typename Word>
inline __attribute__((always_inline)) void compress(Word* h, Word* t, const std::uint8_t* blocks, std::size_t count,
                                                    Word increment, bool last) {
    using S = Shape<Word>;
    for (; count > 0; --count, blocks += 16 * sizeof(Word)) {
        Word m[16];
        for (int i = 0; i < 16; ++i) m[i] = bytes::loadLittle<Word>(blocks + sizeof(Word) * i);
        advance(t, increment);
        Word v0 = h[0], v1 = h[1], v2 = h[2], v3 = h[3], v4 = h[4], v5 = h[5], v6 = h[6], v7 = h[7];
        Word v8 = S::iv[0], v9 = S::iv[1], v10 = S::iv[2], v11 = S::iv[3];
        Word v12 = S::iv[4] ^ t[0], v13 = S::iv[5] ^ t[1];
        Word v14 = last ? ~S::iv[6] : S::iv[6], v15 = S::iv[7];
#pragma GCC unroll 12
        for (int round = 0; round < S::rounds; ++round) {
            const std::uint8_t* s = kSigma[round % 10];
            BLAKE2_G(v0, v4, v8, v12, m[s[0]], m[s[1]])
            BLAKE2_G(v1, v5, v9, v13, m[s[2]], m[s[3]])
            BLAKE2_G(v2, v6, v10, v14, m[s[4]], m[s[5]])
            BLAKE2_G(v3, v7, v11, v15, m[s[6]], m[s[7]])
            BLAKE2_G(v0, v5, v10, v15, m[s[8]], m[s[9]])
            BLAKE2_G(v1, v6, v11, v12, m[s[10]], m[s[11]])
            BLAKE2_G(v2, v7, v8, v13, m[s[12]], m[s[13]])
            BLAKE2_G(v3, v4, v9, v14, m[s[14]], m[s[15]])
        }
        h[0] ^= v0 ^ v8;
        h[1] ^= v1 ^ v9;
        h[2] ^= v2 ^ v10;
        h[3] ^= v3 ^ v11;
        h[4] ^= v4 ^ v12;
        h[5] ^= v5 ^ v13;
        h[6] ^= v6 ^ v14;
        h[7] ^= v7 ^ v15;
    }
}

#undef BLAKE2_G

}  // namespace

void compress64Portable(std::uint64_t* h, std::uint64_t* t, const std::uint8_t* blocks, std::size_t count,
                        std::uint64_t increment, bool last) {
    compress(h, t, blocks, count, increment, last);
}

void compress32Portable(std::uint32_t* h, std::uint32_t* t, const std::uint8_t* blocks, std::size_t count,
                        std::uint32_t increment, bool last) {
    compress(h, t, blocks, count, increment, last);
}

}  // namespace sumwise::blake2
