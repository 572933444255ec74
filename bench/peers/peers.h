// The peer libraries' implementations, one entry per library and algorithm:
// speeds for the benchmark, answers for the tests' oracle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sumwise::bench {

struct Peer {
    std::string library;  // "zlib", "libcrypto", "librhash", "libxxhash", or "b3sum" run as a process
    // Hashes `size` bytes in pieces of `piece` bytes; returns the digest in upper-case hex.
    std::string (*run)(const std::string& algorithm, const std::uint8_t* data, std::size_t size, std::size_t piece);
};

// The peers that have the algorithm named as in the algorithm table.
std::vector<Peer> peersFor(const std::string& algorithm);

// The first peer's digest of `size` bytes in one piece, or none when no peer
// has the algorithm.
std::optional<std::string> peerDigest(const std::string& algorithm, const std::uint8_t* data, std::size_t size);

}  // namespace sumwise::bench
