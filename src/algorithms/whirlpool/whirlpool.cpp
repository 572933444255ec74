// Whirlpool through the eight circulant tables, every round unrolled; the
// wide-register path lives in whirlpool_avx512.cpp.
#include "algorithms/whirlpool/whirlpool.h"

#include <bit>

#include "algorithms/md_hasher.h"
#include "algorithms/variant_choice.h"
#include "algorithms/bytes.h"
#include "algorithms/cpu_features.h"
#include "algorithms/whirlpool/whirlpool_internal.h"
#include "algorithms/whirlpool/whirlpool_tables.h"

namespace sumwise {

namespace {

// The rows are kept in memory, so that each index byte is one byte load
// rather than a shift and a mask: the table look-ups then share the load
// ports with the index loads, and the arithmetic units are left only the
// XORs (measured 8% faster than rows in registers). Byte k of a row (most
// significant first) sits at kByte[k] within the row's word.
struct alignas(64) RowBytes {
    std::uint64_t row[8];
};

constexpr int kByte[8] = {
#define SUMWISE_BYTE(k) (std::endian::native == std::endian::little ? 7 - (k) : (k))
    SUMWISE_BYTE(0), SUMWISE_BYTE(1), SUMWISE_BYTE(2), SUMWISE_BYTE(3),
    SUMWISE_BYTE(4), SUMWISE_BYTE(5), SUMWISE_BYTE(6), SUMWISE_BYTE(7),
#undef SUMWISE_BYTE
};

// Row I of the next round: the S-box, the column shift and the row mix in
// one, byte k of row (I - k) mod 8 through table k.
template <int I>
[[gnu::always_inline]] inline std::uint64_t nextRowFromBytes(const std::uint8_t* in) {
    using whirlpool_tables::kCirculant;
    return kCirculant[0][in[8 * I + kByte[0]]] ^ kCirculant[1][in[8 * ((I + 7) & 7) + kByte[1]]] ^
           kCirculant[2][in[8 * ((I + 6) & 7) + kByte[2]]] ^ kCirculant[3][in[8 * ((I + 5) & 7) + kByte[3]]] ^
           kCirculant[4][in[8 * ((I + 4) & 7) + kByte[4]]] ^ kCirculant[5][in[8 * ((I + 3) & 7) + kByte[5]]] ^
           kCirculant[6][in[8 * ((I + 2) & 7) + kByte[6]]] ^ kCirculant[7][in[8 * ((I + 1) & 7) + kByte[7]]];
}

// out = the round function of `in` with the round key `key`.
[[gnu::always_inline]] inline void roundFromBytes(const RowBytes& in, const RowBytes& key, RowBytes& out) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(in.row);
    out.row[0] = nextRowFromBytes<0>(bytes) ^ key.row[0];
    out.row[1] = nextRowFromBytes<1>(bytes) ^ key.row[1];
    out.row[2] = nextRowFromBytes<2>(bytes) ^ key.row[2];
    out.row[3] = nextRowFromBytes<3>(bytes) ^ key.row[3];
    out.row[4] = nextRowFromBytes<4>(bytes) ^ key.row[4];
    out.row[5] = nextRowFromBytes<5>(bytes) ^ key.row[5];
    out.row[6] = nextRowFromBytes<6>(bytes) ^ key.row[6];
    out.row[7] = nextRowFromBytes<7>(bytes) ^ key.row[7];
}

void compressPortable(std::uint64_t* hash, const std::uint8_t* blocks, std::size_t count) {
    RowBytes key[2];
    RowBytes state[2];
    for (; count > 0; --count, blocks += 64) {
        std::uint64_t block[8];
        for (int i = 0; i < 8; ++i) {
            block[i] = bytes::load64be(blocks + 8 * i);
            key[0].row[i] = hash[i];
            state[0].row[i] = block[i] ^ hash[i];
        }
#pragma GCC unroll 10
        for (int r = 0; r < 10; ++r) {
            const RowBytes constant = {{whirlpool_tables::kRoundConstants[r], 0, 0, 0, 0, 0, 0, 0}};
            roundFromBytes(key[r & 1], constant, key[(r + 1) & 1]);
            roundFromBytes(state[r & 1], key[(r + 1) & 1], state[(r + 1) & 1]);
        }
        for (int i = 0; i < 8; ++i) hash[i] ^= state[0].row[i] ^ block[i];
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
    // Timed at first use (see variant_choice.h).
    static const WhirlpoolCompress chosen =
        whirlpoolVariants()[fastestCompressionIndex<8, 64>(whirlpoolVariants())].function;
    return newWhirlpoolWith(params, chosen);
}

}  // namespace sumwise
