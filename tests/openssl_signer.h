// An Ed25519 key pair made by the openssl program at test time, to sign
// with: an oracle for our verifier. Only where openssl runs (natively).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "test_support.h"

namespace sumwise::test {

class OpensslSigner {
public:
    // Whether the openssl program can be run from here.
    static bool available();

    OpensslSigner();
    // Whether the key pair was made.
    bool ready() const { return !publicKeyHex_.empty(); }
    const std::filesystem::path& privateKeyFile() const { return keyFile_; }
    // The raw public key as 64 lower-case hexadecimal digits.
    const std::string& publicKeyHex() const { return publicKeyHex_; }
    // The 64 signature bytes of `message` (empty when openssl failed).
    std::vector<std::uint8_t> sign(std::string_view message) const;
    // The same as the hexadecimal text a signature file holds.
    std::string signHex(std::string_view message) const;

private:
    TempDir dir_;
    std::filesystem::path keyFile_;
    std::string publicKeyHex_;
};

std::string hexText(const std::vector<std::uint8_t>& bytes);

}  // namespace sumwise::test
