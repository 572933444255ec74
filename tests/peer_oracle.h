// Digests computed by other libraries (zlib, OpenSSL's libcrypto, RHash's librhash),
// for randomised comparisons in the native test build. Where no peer has the
// algorithm, or the build has no peers (Windows), the answer is none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sumwise::test {

// Upper-case hexadecimal digest of `bytes` by a peer, or none.
std::optional<std::string> peerHex(std::string_view algorithmName, const std::vector<std::uint8_t>& bytes);

}  // namespace sumwise::test
