// The public key the update server's version files must be signed with,
// built into the program (the CMake cache variable SUMWISE_UPDATE_PUBLIC_KEY).
// A build without one takes the version files unsigned.
#pragma once

#include <optional>

#include "algorithms/ed25519/ed25519.h"

namespace sumwise {

// Defined by the one key object a program links.
std::optional<Ed25519PublicKey> builtInUpdateKey();

}  // namespace sumwise
