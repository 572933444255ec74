#include "algorithms/ed25519/ed25519.h"

#include <algorithm>
#include <optional>

#include "algorithms/ed25519/edwards_point.h"
#include "algorithms/ed25519/scalar25519.h"
#include "algorithms/sha2/sha2.h"

namespace sumwise {

using namespace ed25519;

bool verifyEd25519(const Ed25519PublicKey& key, const std::uint8_t* message, std::size_t size,
                   const Ed25519Signature& signature) {
    Scalar s;
    std::copy(signature.begin() + 32, signature.end(), s.begin());
    if (!scalarIsCanonical(s)) return false;

    const std::optional<EdwardsPoint> a = decodePoint(key);
    PointBytes rBytes;
    std::copy(signature.begin(), signature.begin() + 32, rBytes.begin());
    if (!a || !decodePoint(rBytes)) return false;

    const auto sha512 = newSha512(AlgorithmParams{});
    sha512->init();
    sha512->update(rBytes.data(), rBytes.size());
    sha512->update(key.data(), key.size());
    if (size > 0) sha512->update(message, size);
    const Digest digest = sha512->finish();
    std::array<std::uint8_t, 64> wide;
    std::copy(digest.bytes.begin(), digest.bytes.begin() + 64, wide.begin());
    const Scalar k = reduceScalar(wide);

    // [S]B - [k]A must be R itself (the cofactorless check); the encoding
    // is canonical, and R decoded, so equal bytes mean equal points.
    const EdwardsPoint check = pointAdd(scalarMultiply(basePoint(), s), scalarMultiply(pointNegate(*a), k));
    return encodePoint(check) == rBytes;
}

}  // namespace sumwise
