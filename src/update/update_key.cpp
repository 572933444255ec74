#include "update/update_key.h"

#include "update/update_signature.h"

#ifndef SUMWISE_UPDATE_PUBLIC_KEY_HEX
#error "SUMWISE_UPDATE_PUBLIC_KEY_HEX names the key (empty for none)"
#endif

namespace sumwise {

std::optional<Ed25519PublicKey> builtInUpdateKey() {
    // CMake has checked the text: 64 hexadecimal digits or nothing.
    static const std::optional<Ed25519PublicKey> key = parsePublicKey(SUMWISE_UPDATE_PUBLIC_KEY_HEX);
    return key;
}

}  // namespace sumwise
