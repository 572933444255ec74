// The one interface every algorithm implements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "algorithms/digest.h"
#include "algorithms/params.h"

namespace sumwise {

// A running digest computation. `init` starts a message, `update` takes its
// bytes in pieces of any size (the digest never depends on how the message is
// split), and `finish` pads, completes and returns the digest. After `finish`
// the context must be initialised again before it is reused.
class Hasher {
public:
    virtual ~Hasher() = default;

    virtual void init() = 0;
    virtual void update(const std::uint8_t* data, std::size_t size) = 0;
    virtual Digest finish() = 0;
};

// Creates a context for one computation. Parameterised algorithms read their
// parameters here, once, so a change made while they run does not reach them.
using HasherFactory = std::unique_ptr<Hasher> (*)(const AlgorithmParams& params);

}  // namespace sumwise
