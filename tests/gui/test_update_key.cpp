// The update key of the test program: none, as in a build without one,
// unless SUMWISE_TEST_UPDATE_PUBLIC_KEY holds one (64 hexadecimal digits),
// so the signed-update tests can use a key pair made at test time.
#include <windows.h>

#include "update/update_key.h"
#include "update/update_signature.h"

namespace sumwise {

std::optional<Ed25519PublicKey> builtInUpdateKey() {
    char hex[80] = {};
    const DWORD length = GetEnvironmentVariableA("SUMWISE_TEST_UPDATE_PUBLIC_KEY", hex, sizeof hex);
    if (length == 0 || length >= sizeof hex) return std::nullopt;
    return parsePublicKey(std::string_view(hex, length));
}

}  // namespace sumwise
