// XXH3 and XXH128 of inputs up to 240 bytes (seed 0): four length classes,
// each reading the input from both ends, so that every byte counts without
// a loop over padding.
#include "algorithms/xxhash/xxhash_internal.h"

namespace sumwise::xxhash {

namespace {

const std::uint8_t* const kS = kSecret;
constexpr std::size_t kMidsizeStart = 3;  // where the secret is read again after eight rounds
constexpr std::size_t kMidsizeLast = 136 - 17;

inline std::uint32_t swap32(std::uint32_t x) { return bytes::byteswap(x); }
inline std::uint64_t swap64(std::uint64_t x) { return bytes::byteswap(x); }

inline std::uint64_t mix16(const std::uint8_t* input, const std::uint8_t* secret) {
    return fold64(read64(input) ^ read64(secret), read64(input + 8) ^ read64(secret + 8));
}

inline std::uint64_t rrmxmx(std::uint64_t h, std::uint64_t length) {
    h ^= rotl64(h, 49) ^ rotl64(h, 24);
    h *= kPrimeMx2;
    h ^= (h >> 35) + length;
    h *= kPrimeMx2;
    return h ^ (h >> 28);
}

// 1 to 3 bytes: the first, middle and last byte and the length in one word.
inline std::uint32_t combined1to3(const std::uint8_t* input, std::size_t size) {
    return (std::uint32_t{input[0]} << 16) | (std::uint32_t{input[size >> 1]} << 24) | input[size - 1] |
           static_cast<std::uint32_t>(size << 8);
}

// Two 16-byte mixes, each also taking the other half's plain sum.
inline void mix32(Hash128& acc, const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* secret) {
    acc.low += mix16(a, secret);
    acc.low ^= read64(b) + read64(b + 8);
    acc.high += mix16(b, secret + 16);
    acc.high ^= read64(a) + read64(a + 8);
}

inline Hash128 finish128(const Hash128& acc, std::size_t size) {
    const std::uint64_t low = acc.low + acc.high;
    const std::uint64_t high = acc.low * kPrime64_1 + acc.high * kPrime64_4 + size * kPrime64_2;
    return {avalanche3(low), 0 - avalanche3(high)};
}

}  // namespace

std::uint64_t xxh3Short64(const std::uint8_t* input, std::size_t size) {
    if (size == 0) return avalanche64(read64(kS + 56) ^ read64(kS + 64));
    if (size <= 3) {
        return avalanche64(combined1to3(input, size) ^ std::uint64_t{read32(kS) ^ read32(kS + 4)});
    }
    if (size <= 8) {
        const std::uint64_t value = read32(input + size - 4) + (std::uint64_t{read32(input)} << 32);
        return rrmxmx(value ^ (read64(kS + 8) ^ read64(kS + 16)), size);
    }
    if (size <= 16) {
        const std::uint64_t low = read64(input) ^ (read64(kS + 24) ^ read64(kS + 32));
        const std::uint64_t high = read64(input + size - 8) ^ (read64(kS + 40) ^ read64(kS + 48));
        return avalanche3(size + swap64(low) + high + fold64(low, high));
    }
    std::uint64_t acc = size * kPrime64_1;
    if (size <= 128) {
        // Pairs from both ends, inward: 16 bytes from the front and 16 from the back per pair.
        const std::size_t pairs = (size - 1) / 32 + 1;
        for (std::size_t i = pairs; i-- > 0;) {
            acc += mix16(input + 16 * i, kS + 32 * i);
            acc += mix16(input + size - 16 * (i + 1), kS + 32 * i + 16);
        }
        return avalanche3(acc);
    }
    const std::size_t rounds = size / 16;
    for (std::size_t i = 0; i < 8; ++i) acc += mix16(input + 16 * i, kS + 16 * i);
    acc = avalanche3(acc);
    for (std::size_t i = 8; i < rounds; ++i) acc += mix16(input + 16 * i, kS + 16 * (i - 8) + kMidsizeStart);
    acc += mix16(input + size - 16, kS + kMidsizeLast);
    return avalanche3(acc);
}

Hash128 xxh3Short128(const std::uint8_t* input, std::size_t size) {
    if (size == 0) {
        return {avalanche64(read64(kS + 64) ^ read64(kS + 72)), avalanche64(read64(kS + 80) ^ read64(kS + 88))};
    }
    if (size <= 3) {
        const std::uint32_t low = combined1to3(input, size);
        const std::uint32_t high = std::rotl(swap32(low), 13);
        return {avalanche64(low ^ std::uint64_t{read32(kS) ^ read32(kS + 4)}),
                avalanche64(high ^ std::uint64_t{read32(kS + 8) ^ read32(kS + 12)})};
    }
    if (size <= 8) {
        const std::uint64_t value = read32(input) + (std::uint64_t{read32(input + size - 4)} << 32);
        const std::uint64_t keyed = value ^ (read64(kS + 16) ^ read64(kS + 24));
        const Uint128 m = static_cast<Uint128>(keyed) * (kPrime64_1 + (size << 2));
        std::uint64_t low = static_cast<std::uint64_t>(m);
        std::uint64_t high = static_cast<std::uint64_t>(m >> 64);
        high += low << 1;
        low ^= high >> 3;
        low ^= low >> 35;
        low *= kPrimeMx2;
        low ^= low >> 28;
        return {low, avalanche3(high)};
    }
    if (size <= 16) {
        const std::uint64_t flipLow = read64(kS + 32) ^ read64(kS + 40);
        const std::uint64_t flipHigh = read64(kS + 48) ^ read64(kS + 56);
        const std::uint64_t inputLow = read64(input);
        const std::uint64_t inputHigh = read64(input + size - 8) ^ flipHigh;
        const Uint128 m = static_cast<Uint128>(inputLow ^ (inputHigh ^ flipHigh) ^ flipLow) * kPrime64_1;
        std::uint64_t mLow = static_cast<std::uint64_t>(m) + (static_cast<std::uint64_t>(size - 1) << 54);
        std::uint64_t mHigh = static_cast<std::uint64_t>(m >> 64);
        mHigh += inputHigh + (inputHigh & 0xFFFFFFFFu) * (kPrime32_2 - 1);
        mLow ^= swap64(mHigh);
        const Uint128 h = static_cast<Uint128>(mLow) * kPrime64_2;
        const std::uint64_t hLow = static_cast<std::uint64_t>(h);
        const std::uint64_t hHigh = static_cast<std::uint64_t>(h >> 64) + mHigh * kPrime64_2;
        return {avalanche3(hLow), avalanche3(hHigh)};
    }
    Hash128 acc{size * kPrime64_1, 0};
    if (size <= 128) {
        const std::size_t pairs = (size - 1) / 32 + 1;
        for (std::size_t i = pairs; i-- > 0;) mix32(acc, input + 16 * i, input + size - 16 * (i + 1), kS + 32 * i);
        return finish128(acc, size);
    }
    const std::size_t rounds = size / 32;
    for (std::size_t i = 0; i < 4; ++i) mix32(acc, input + 32 * i, input + 32 * i + 16, kS + 32 * i);
    acc = {avalanche3(acc.low), avalanche3(acc.high)};
    for (std::size_t i = 4; i < rounds; ++i) {
        mix32(acc, input + 32 * i, input + 32 * i + 16, kS + 32 * (i - 4) + kMidsizeStart);
    }
    mix32(acc, input + size - 16, input + size - 32, kS + kMidsizeLast - 16);
    return finish128(acc, size);
}

}  // namespace sumwise::xxhash
