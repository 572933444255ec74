// Whirlpool through the eight circulant tables, every round unrolled; the
// wide-register path lives in whirlpool_avx512.cpp.
#include "algorithms/whirlpool/whirlpool.h"

#include "algorithms/md_hasher.h"
#include "algorithms/bytes.h"
#include "algorithms/cpu_features.h"
#include "algorithms/whirlpool/whirlpool_internal.h"
#include "algorithms/whirlpool/whirlpool_tables.h"

namespace sumwise {

namespace {

using Rows = std::uint64_t[8];

// Row I of the next round: the S-box, the column shift and the row mix in
// one, byte k of row (I - k) mod 8 through table k.
template <int I>
[[gnu::always_inline]] inline std::uint64_t nextRow(const Rows& in) {
    using whirlpool_tables::kCirculant;
    return kCirculant[0][in[I] >> 56] ^ kCirculant[1][(in[(I + 7) & 7] >> 48) & 0xFF] ^
           kCirculant[2][(in[(I + 6) & 7] >> 40) & 0xFF] ^ kCirculant[3][(in[(I + 5) & 7] >> 32) & 0xFF] ^
           kCirculant[4][(in[(I + 4) & 7] >> 24) & 0xFF] ^ kCirculant[5][(in[(I + 3) & 7] >> 16) & 0xFF] ^
           kCirculant[6][(in[(I + 2) & 7] >> 8) & 0xFF] ^ kCirculant[7][in[(I + 1) & 7] & 0xFF];
}

// out = the round function of `in` with the round key `key`.
[[gnu::always_inline]] inline void round(const Rows& in, const Rows& key, Rows& out) {
    out[0] = nextRow<0>(in) ^ key[0];
    out[1] = nextRow<1>(in) ^ key[1];
    out[2] = nextRow<2>(in) ^ key[2];
    out[3] = nextRow<3>(in) ^ key[3];
    out[4] = nextRow<4>(in) ^ key[4];
    out[5] = nextRow<5>(in) ^ key[5];
    out[6] = nextRow<6>(in) ^ key[6];
    out[7] = nextRow<7>(in) ^ key[7];
}

void compressPortable(std::uint64_t* hash, const std::uint8_t* blocks, std::size_t count) {
    for (; count > 0; --count, blocks += 64) {
        Rows block;
        Rows key;
        Rows state;
        for (int i = 0; i < 8; ++i) {
            block[i] = bytes::load64be(blocks + 8 * i);
            key[i] = hash[i];
            state[i] = block[i] ^ key[i];
        }
#pragma GCC unroll 10
        for (int r = 0; r < 10; ++r) {
            const Rows constant = {whirlpool_tables::kRoundConstants[r], 0, 0, 0, 0, 0, 0, 0};
            Rows nextKey;
            Rows nextState;
            round(key, constant, nextKey);
            round(state, nextKey, nextState);
            for (int i = 0; i < 8; ++i) {
                key[i] = nextKey[i];
                state[i] = nextState[i];
            }
        }
        for (int i = 0; i < 8; ++i) hash[i] ^= state[i] ^ block[i];
    }
}

// The padding ends with a 256-bit length field; the digest is the chaining
// rows, each most significant byte first.
constexpr MdFrame kWhirlpoolFrame{0x80, 32, ByteOrder::Big};

}  // namespace

std::span<const WhirlpoolVariant> whirlpoolVariants() {
    static constexpr WhirlpoolVariant kVariants[] = {
        {"portable", compressPortable, anyProcessor},
#if SUMWISE_WHIRLPOOL_AVX512
        {"avx512-gfni", whirlpool_avx512::compress, whirlpool_avx512::supported},
#endif
    };
    return kVariants;
}

std::unique_ptr<Hasher> newWhirlpoolWith(const AlgorithmParams&, WhirlpoolCompress compress) {
    // The chaining value starts at zero.
    return std::make_unique<MdHasher<std::uint64_t, 8, 64>>(MdHasher<std::uint64_t, 8, 64>::State{}, compress,
                                                           kWhirlpoolFrame);
}

std::unique_ptr<Hasher> newWhirlpool(const AlgorithmParams& params) {
    return newWhirlpoolWith(params, bestVariant(whirlpoolVariants()));
}

}  // namespace sumwise
