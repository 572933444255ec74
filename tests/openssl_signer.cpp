#include "openssl_signer.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace sumwise::test {

namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool run(const std::string& command) {
#ifdef _WIN32
    (void)command;
    return false;  // under Wine the Linux openssl is out of reach
#else
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
#endif
}

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

std::string hexText(const std::vector<std::uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 15]);
    }
    return text;
}

bool OpensslSigner::available() {
    static const bool found = run("openssl version");
    return found;
}

OpensslSigner::OpensslSigner() : keyFile_(dir_.path() / "key.pem") {
    if (!available()) return;
    const auto der = dir_.path() / "public.der";
    if (!run("openssl genpkey -algorithm ed25519 -out " + quoted(keyFile_)) ||
        !run("openssl pkey -in " + quoted(keyFile_) + " -pubout -outform DER -out " + quoted(der))) {
        return;
    }
    // The DER form ends with the 32 raw key bytes.
    const std::string bytes = readAll(der);
    if (bytes.size() < 32) return;
    publicKeyHex_ = hexText({bytes.end() - 32, bytes.end()});
}

std::vector<std::uint8_t> OpensslSigner::sign(std::string_view message) const {
    const auto in = dir_.path() / "message";
    const auto out = dir_.path() / "signature";
    dir_.write("message", message);
    std::filesystem::remove(out);
    if (!run("openssl pkeyutl -sign -rawin -inkey " + quoted(keyFile_) + " -in " + quoted(in) + " -out " + quoted(out))) {
        return {};
    }
    const std::string signature = readAll(out);
    return {signature.begin(), signature.end()};
}

std::string OpensslSigner::signHex(std::string_view message) const { return hexText(sign(message)); }

}  // namespace sumwise::test
