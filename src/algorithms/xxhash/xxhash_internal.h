// The constants and small mixing steps the xxHash family shares, and the
// XXH3 stripe loops for particular instruction sets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "algorithms/bytes.h"
#include "algorithms/cpu_features.h"

namespace sumwise::xxhash {

inline constexpr std::uint32_t kPrime32_1 = 0x9E3779B1u;
inline constexpr std::uint32_t kPrime32_2 = 0x85EBCA77u;
inline constexpr std::uint32_t kPrime32_3 = 0xC2B2AE3Du;
inline constexpr std::uint64_t kPrime64_1 = 0x9E3779B185EBCA87ull;
inline constexpr std::uint64_t kPrime64_2 = 0xC2B2AE3D27D4EB4Full;
inline constexpr std::uint64_t kPrime64_3 = 0x165667B19E3779F9ull;
inline constexpr std::uint64_t kPrime64_4 = 0x85EBCA77C2B2AE63ull;
inline constexpr std::uint64_t kPrime64_5 = 0x27D4EB2F165667C5ull;
inline constexpr std::uint64_t kPrimeMx1 = 0x165667919E3779F9ull;
inline constexpr std::uint64_t kPrimeMx2 = 0x9FB21C651E98DF25ull;

// XXH3's default secret.
inline constexpr std::size_t kSecretSize = 192;
alignas(64) inline constexpr std::uint8_t kSecret[kSecretSize] = {
    0xb8, 0xfe, 0x6c, 0x39, 0x23, 0xa4, 0x4b, 0xbe, 0x7c, 0x01, 0x81, 0x2c, 0xf7, 0x21, 0xad, 0x1c,
    0xde, 0xd4, 0x6d, 0xe9, 0x83, 0x90, 0x97, 0xdb, 0x72, 0x40, 0xa4, 0xa4, 0xb7, 0xb3, 0x67, 0x1f,
    0xcb, 0x79, 0xe6, 0x4e, 0xcc, 0xc0, 0xe5, 0x78, 0x82, 0x5a, 0xd0, 0x7d, 0xcc, 0xff, 0x72, 0x21,
    0xb8, 0x08, 0x46, 0x74, 0xf7, 0x43, 0x24, 0x8e, 0xe0, 0x35, 0x90, 0xe6, 0x81, 0x3a, 0x26, 0x4c,
    0x3c, 0x28, 0x52, 0xbb, 0x91, 0xc3, 0x00, 0xcb, 0x88, 0xd0, 0x65, 0x8b, 0x1b, 0x53, 0x2e, 0xa3,
    0x71, 0x64, 0x48, 0x97, 0xa2, 0x0d, 0xf9, 0x4e, 0x38, 0x19, 0xef, 0x46, 0xa9, 0xde, 0xac, 0xd8,
    0xa8, 0xfa, 0x76, 0x3f, 0xe3, 0x9c, 0x34, 0x3f, 0xf9, 0xdc, 0xbb, 0xc7, 0xc7, 0x0b, 0x4f, 0x1d,
    0x8a, 0x51, 0xe0, 0x4b, 0xcd, 0xb4, 0x59, 0x31, 0xc8, 0x9f, 0x7e, 0xc9, 0xd9, 0x78, 0x73, 0x64,
    0xea, 0xc5, 0xac, 0x83, 0x34, 0xd3, 0xeb, 0xc3, 0xc5, 0x81, 0xa0, 0xff, 0xfa, 0x13, 0x63, 0xeb,
    0x17, 0x0d, 0xdd, 0x51, 0xb7, 0xf0, 0xda, 0x49, 0xd3, 0x16, 0x55, 0x26, 0x29, 0xd4, 0x68, 0x9e,
    0x2b, 0x16, 0xbe, 0x58, 0x7d, 0x47, 0xa1, 0xfc, 0x8f, 0xf8, 0xb8, 0xd1, 0x7a, 0xd0, 0x31, 0xce,
    0x45, 0xcb, 0x3a, 0x8f, 0x95, 0x16, 0x04, 0x28, 0xaf, 0xd7, 0xfb, 0xca, 0xbb, 0x4b, 0x40, 0x7e,
};

// The long-input loop's geometry: 64-byte stripes, each taking the secret
// 8 bytes further on, 16 stripes to a block, then a scramble with the
// secret's last 64 bytes.
inline constexpr std::size_t kStripeSize = 64;
inline constexpr std::size_t kStripesPerBlock = (kSecretSize - kStripeSize) / 8;
inline constexpr std::size_t kBlockSize = kStripeSize * kStripesPerBlock;
inline constexpr std::size_t kScrambleOffset = kSecretSize - kStripeSize;
inline constexpr std::size_t kLastStripeOffset = kSecretSize - kStripeSize - 7;
// How far ahead of the stripe in hand the vector loops prefetch: six stripes,
// the same for every register width.
inline constexpr std::size_t kPrefetchDistance = 384;

inline std::uint64_t rotl64(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
inline std::uint64_t read64(const std::uint8_t* p) { return bytes::load64le(p); }
inline std::uint32_t read32(const std::uint8_t* p) { return bytes::load32le(p); }

__extension__ typedef unsigned __int128 Uint128;

inline std::uint64_t fold64(std::uint64_t a, std::uint64_t b) {
    const Uint128 product = static_cast<Uint128>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// XXH64's final mixing, also used by XXH3 for the shortest inputs.
inline std::uint64_t avalanche64(std::uint64_t h) {
    h ^= h >> 33;
    h *= kPrime64_2;
    h ^= h >> 29;
    h *= kPrime64_3;
    return h ^ (h >> 32);
}

inline std::uint64_t avalanche3(std::uint64_t h) {
    h ^= h >> 37;
    h *= kPrimeMx1;
    return h ^ (h >> 32);
}

// One stripe into the accumulators with the secret at `secret`: the
// definition every loop must agree with.
inline void accumulateStripe(std::uint64_t* acc, const std::uint8_t* stripe, const std::uint8_t* secret) {
    for (std::size_t i = 0; i < 8; ++i) {
        const std::uint64_t data = read64(stripe + 8 * i);
        const std::uint64_t keyed = data ^ read64(secret + 8 * i);
        acc[i ^ 1] += data;
        acc[i] += (keyed & 0xFFFFFFFFu) * (keyed >> 32);
    }
}

struct Hash128 {
    std::uint64_t low;
    std::uint64_t high;
};

// The hashes of inputs of at most kShortMax bytes, which take their own
// paths, without the accumulators.
inline constexpr std::size_t kShortMax = 240;
std::uint64_t xxh3Short64(const std::uint8_t* input, std::size_t size);
Hash128 xxh3Short128(const std::uint8_t* input, std::size_t size);

#if defined(__x86_64__)
void stripesSse2(std::uint64_t* acc, const std::uint8_t* stripes, std::size_t count);
void stripesAvx2(std::uint64_t* acc, const std::uint8_t* stripes, std::size_t count);
void stripesAvx512(std::uint64_t* acc, const std::uint8_t* stripes, std::size_t count);
#endif

}  // namespace sumwise::xxhash
