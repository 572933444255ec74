#include "peer_oracle.h"

#ifdef SUMWISE_HAVE_PEERS
#include "peers.h"
#endif

namespace sumwise::test {

std::optional<std::string> peerHex(std::string_view name, const std::vector<std::uint8_t>& bytes) {
#ifdef SUMWISE_HAVE_PEERS
    return bench::peerDigest(std::string(name), bytes.data(), bytes.size());
#else
    (void)name;
    (void)bytes;
    return std::nullopt;
#endif
}

}  // namespace sumwise::test
