#include "update/update_signature.h"

namespace sumwise {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool decodeHex(std::string_view hex, std::span<std::uint8_t> out) {
    if (hex.size() != 2 * out.size()) return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int high = hexValue(hex[2 * i]);
        const int low = hexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        out[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

std::optional<Ed25519Signature> parseSignatureFile(std::string_view bytes) {
    constexpr std::size_t kDigits = 128;
    if (bytes.size() < kDigits) return std::nullopt;
    const std::string_view end = bytes.substr(kDigits);
    if (!end.empty() && end != "\n" && end != "\r\n") return std::nullopt;
    Ed25519Signature signature;
    if (!decodeHex(bytes.substr(0, kDigits), signature)) return std::nullopt;
    return signature;
}

std::optional<Ed25519PublicKey> parsePublicKey(std::string_view hex) {
    Ed25519PublicKey key;
    if (!decodeHex(hex, key)) return std::nullopt;
    return key;
}

bool versionFileSigned(const Ed25519PublicKey& key, std::string_view versionFile, std::string_view signatureFile) {
    const std::optional<Ed25519Signature> signature = parseSignatureFile(signatureFile);
    return signature &&
           verifyEd25519(key, reinterpret_cast<const std::uint8_t*>(versionFile.data()), versionFile.size(), *signature);
}

std::wstring signatureFileName(std::wstring_view versionFileName) { return std::wstring(versionFileName) + L".sig"; }

}  // namespace sumwise
