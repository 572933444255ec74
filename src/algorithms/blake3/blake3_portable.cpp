// The BLAKE3 compression in plain C++, one block at a time.
#include <bit>

#include "algorithms/blake3/blake3_internal.h"

namespace sumwise::blake3 {

namespace {

inline void g(std::uint32_t* v, int a, int b, int c, int d, std::uint32_t x, std::uint32_t y) {
    v[a] += v[b] + x;
    v[d] = std::rotr(v[d] ^ v[a], 16);
    v[c] += v[d];
    v[b] = std::rotr(v[b] ^ v[c], 12);
    v[a] += v[b] + y;
    v[d] = std::rotr(v[d] ^ v[a], 8);
    v[c] += v[d];
    v[b] = std::rotr(v[b] ^ v[c], 7);
}

}  // namespace

void compressPortable(std::uint32_t cv[8], const std::uint8_t block[64], std::uint32_t blockLength,
                      std::uint64_t counter, std::uint32_t flags) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) m[i] = bytes::loadLittle<std::uint32_t>(block + 4 * i);
    std::uint32_t v[16] = {cv[0],  cv[1],  cv[2],  cv[3],  cv[4],  cv[5],
                           cv[6],  cv[7],  kIv[0], kIv[1], kIv[2], kIv[3],
                           static_cast<std::uint32_t>(counter), static_cast<std::uint32_t>(counter >> 32),
                           blockLength, flags};
    for (const auto& s : kSchedule.word) {
        // The columns, then the diagonals.
        g(v, 0, 4, 8, 12, m[s[0]], m[s[1]]);
        g(v, 1, 5, 9, 13, m[s[2]], m[s[3]]);
        g(v, 2, 6, 10, 14, m[s[4]], m[s[5]]);
        g(v, 3, 7, 11, 15, m[s[6]], m[s[7]]);
        g(v, 0, 5, 10, 15, m[s[8]], m[s[9]]);
        g(v, 1, 6, 11, 12, m[s[10]], m[s[11]]);
        g(v, 2, 7, 8, 13, m[s[12]], m[s[13]]);
        g(v, 3, 4, 9, 14, m[s[14]], m[s[15]]);
    }
    for (int i = 0; i < 8; ++i) cv[i] = v[i] ^ v[i + 8];
}

void hashManyPortable(const std::uint8_t* input, std::size_t count, std::size_t blocks, const std::uint32_t key[8],
                      std::uint64_t counter, bool incrementCounter, std::uint32_t flags, std::uint32_t flagsStart,
                      std::uint32_t flagsEnd, std::uint8_t* out) {
    hashSerially(compressPortable, input, count, blocks, key, counter, incrementCounter, flags, flagsStart, flagsEnd,
                 out);
}

}  // namespace sumwise::blake3
