// The signatures of the update server's version files: "latest.txt.sig"
// beside "latest.txt", holding the Ed25519 signature of the version file's
// exact bytes as 128 hexadecimal digits on one line. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "algorithms/ed25519/ed25519.h"

namespace sumwise {

// Longest signature file worth reading: 128 digits and CR LF. Anything
// longer is malformed, so reading may stop one byte past this.
inline constexpr std::size_t kSignatureFileMaxLength = 130;

// `hex` is exactly 2 * out.size() hexadecimal digits (either letter case).
bool decodeHex(std::string_view hex, std::span<std::uint8_t> out);

// The signature a signature file holds: 128 digits, then nothing, LF or CR LF.
std::optional<Ed25519Signature> parseSignatureFile(std::string_view bytes);

// A public key written as 64 hexadecimal digits.
std::optional<Ed25519PublicKey> parsePublicKey(std::string_view hex);

// Whether `signatureFile` is a well-formed signature, by `key`, of `versionFile`.
bool versionFileSigned(const Ed25519PublicKey& key, std::string_view versionFile, std::string_view signatureFile);

// "latest.txt" -> "latest.txt.sig".
std::wstring signatureFileName(std::wstring_view versionFileName);

}  // namespace sumwise
