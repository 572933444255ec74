// SHA-1 (FIPS 180-2), SHA-0 (FIPS 180, 1993) and SHA-1-IME, this program's
// own variant. The three share the 80 steps of SHA-1, its constants, initial
// value, padding and output; they differ only in the message schedule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

enum class Sha1Schedule {
    Sha0,  // W[t] = W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]
    Sha1,  // the same, rotated left by one
    Ime,   // SHA-1-IME, see sha1_compress.cpp
};

// Compresses `count` consecutive 64-byte blocks into the five state words.
using Sha1Compress = BlockCompress<std::uint32_t>;
using Sha1Variant = CompressionVariant<std::uint32_t>;

// The variant table of a schedule, portable first and fastest last.
std::span<const Sha1Variant> sha1Variants(Sha1Schedule schedule);
template <Sha1Schedule Schedule>
std::span<const Sha1Variant> sha1VariantsOf() {
    return sha1Variants(Schedule);
}

// Contexts on the fastest variant this processor admits...
std::unique_ptr<Hasher> newSha0(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha1(const AlgorithmParams& params);
std::unique_ptr<Hasher> newSha1Ime(const AlgorithmParams& params);
// ...or on the one given, for any of the three schedules.
std::unique_ptr<Hasher> newSha1FamilyWith(const AlgorithmParams& params, Sha1Compress compress);

}  // namespace sumwise
