// Adler32 (RFC 1950), CRC32 (ISO 3309, reflected 0xEDB88320), CRC32C
// (Castagnoli, reflected 0x82F63B78, as iSCSI and ext4 use it; RFC 3720) and
// CRC64 (ECMA-182 polynomial, most significant bit first, CRC-64/WE).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

// Running values. Start from the initial value, feed bytes in any pieces,
// and finish as noted; the result is printed as a number, most significant
// digit first.
inline constexpr std::uint32_t kAdler32Initial = 1;
inline constexpr std::uint32_t kCrc32Initial = 0xFFFFFFFFu;          // result: register ^ 0xFFFFFFFF
inline constexpr std::uint32_t kCrc32cInitial = 0xFFFFFFFFu;         // result: register ^ 0xFFFFFFFF
inline constexpr std::uint64_t kCrc64Initial = 0xFFFFFFFFFFFFFFFFull;  // result: register ^ all ones

// Through the fastest variant this processor admits.
std::uint32_t adler32Update(std::uint32_t adler, const std::uint8_t* data, std::size_t size);
std::uint32_t crc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
std::uint32_t crc32cUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
std::uint64_t crc64Update(std::uint64_t crc, const std::uint8_t* data, std::size_t size);

// The byte-at-a-time definitions, kept for checking the fast paths.
std::uint32_t adler32Reference(std::uint32_t adler, const std::uint8_t* data, std::size_t size);
std::uint32_t crc32Reference(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
std::uint32_t crc32cReference(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
std::uint64_t crc64Reference(std::uint64_t crc, const std::uint8_t* data, std::size_t size);

// Each checksum's variant table, portable first and fastest last. Every
// variant takes any length at any address.
using Checksum32Update = std::uint32_t (*)(std::uint32_t value, const std::uint8_t* data, std::size_t size);
using Checksum64Update = std::uint64_t (*)(std::uint64_t value, const std::uint8_t* data, std::size_t size);
using Checksum32Variant = Variant<Checksum32Update>;
using Checksum64Variant = Variant<Checksum64Update>;
std::span<const Checksum32Variant> adler32Variants();
std::span<const Checksum32Variant> crc32Variants();
std::span<const Checksum32Variant> crc32cVariants();
std::span<const Checksum64Variant> crc64Variants();

// Contexts on the fastest variant this processor admits...
std::unique_ptr<Hasher> newAdler32(const AlgorithmParams& params);
std::unique_ptr<Hasher> newCrc32(const AlgorithmParams& params);
std::unique_ptr<Hasher> newCrc32c(const AlgorithmParams& params);
std::unique_ptr<Hasher> newCrc64(const AlgorithmParams& params);
// ...or on the one given.
std::unique_ptr<Hasher> newAdler32With(const AlgorithmParams& params, Checksum32Update update);
std::unique_ptr<Hasher> newCrc32With(const AlgorithmParams& params, Checksum32Update update);
std::unique_ptr<Hasher> newCrc32cWith(const AlgorithmParams& params, Checksum32Update update);
std::unique_ptr<Hasher> newCrc64With(const AlgorithmParams& params, Checksum64Update update);

}  // namespace sumwise
