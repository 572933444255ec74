// The version files' signature files and the Ed25519 verifier. The bytes up
// to the first NUL are a signature file, the rest the version file it is
// checked against with a fixed key; 96 bytes or more also serve whole as a
// raw key, signature and message, so the point decoding sees any encoding.
#include <algorithm>

#include "algorithms/ed25519/scalar25519.h"
#include "fuzz_input.h"
#include "update/update_signature.h"

using namespace sumwise;

namespace {

// RFC 8032's TEST 2 key, whose signature of "r" the corpus holds.
const Ed25519PublicKey kKey = {0x3d, 0x40, 0x17, 0xc3, 0xe8, 0x43, 0x89, 0x5a, 0x92, 0xb7, 0x0a,
                               0xa7, 0x4d, 0x1b, 0x7e, 0xbc, 0x9c, 0x98, 0x2c, 0xcf, 0x2e, 0xc4,
                               0x96, 0x8c, 0xc0, 0xcd, 0x55, 0xf1, 0x2a, 0xf4, 0x66, 0x0c};

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::size_t split = bytes.find('\0');
    const std::string_view signatureFile = bytes.substr(0, split);
    const std::string_view versionFile = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);

    const auto signature = parseSignatureFile(signatureFile);
    const bool wellFormed = signatureFile.size() >= 128 &&
                            std::all_of(signatureFile.begin(), signatureFile.begin() + 128, isHex) &&
                            (signatureFile.size() == 128 || signatureFile.substr(128) == "\n" ||
                             signatureFile.substr(128) == "\r\n");
    fuzz::require(signature.has_value() == wellFormed, "exactly 128 digits and an optional line end parse");
    const bool verified = versionFileSigned(kKey, versionFile, signatureFile);
    fuzz::require(!verified || signature.has_value(), "only a well-formed signature verifies");

    if (size >= 96) {
        Ed25519PublicKey key;
        Ed25519Signature raw;
        std::copy(data, data + 32, key.begin());
        std::copy(data + 32, data + 96, raw.begin());
        ed25519::Scalar s;
        std::copy(raw.begin() + 32, raw.end(), s.begin());
        const bool rawVerified = verifyEd25519(key, data + 96, size - 96, raw);
        fuzz::require(!rawVerified || ed25519::scalarIsCanonical(s), "no S of L or more verifies");
    }
    return 0;
}
