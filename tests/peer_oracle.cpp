#include "peer_oracle.h"

#ifdef SUMWISE_HAVE_PEERS
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <rhash.h>
#include <zlib.h>
#endif

#include <cstdio>

#include "algorithms/digest.h"

namespace sumwise::test {

#ifdef SUMWISE_HAVE_PEERS
namespace {

// Peers' digests printed the way ours are.
std::string hex(const unsigned char* bytes, std::size_t size) {
    return digestText(Digest::fromBytes(bytes, size), LetterCase::Upper);
}

// Loaded on first use and unloaded at exit, so that the leak checker of the
// sanitizer build does not report OpenSSL's provider data.
struct Providers {
    OSSL_PROVIDER* defaults = OSSL_PROVIDER_load(nullptr, "default");
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    Providers() = default;
    Providers(const Providers&) = delete;
    Providers& operator=(const Providers&) = delete;
    ~Providers() {
        if (legacy != nullptr) OSSL_PROVIDER_unload(legacy);
        if (defaults != nullptr) OSSL_PROVIDER_unload(defaults);
    }
};

std::optional<std::string> openssl(const char* name, const std::vector<std::uint8_t>& bytes) {
    static const Providers providers;
    (void)providers;
    EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
    if (md == nullptr) return std::nullopt;
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const bool ok = EVP_Digest(bytes.data(), bytes.size(), out, &size, md, nullptr) == 1;
    EVP_MD_free(md);
    if (!ok) return std::nullopt;
    return hex(out, size);
}

std::optional<std::string> rhash(unsigned id, std::size_t size, const std::vector<std::uint8_t>& bytes) {
    static const bool initialised = [] {
        rhash_library_init();
        return true;
    }();
    (void)initialised;
    unsigned char out[64];
    if (rhash_msg(id, bytes.data(), bytes.size(), out) < 0) return std::nullopt;
    return hex(out, size);
}

}  // namespace

std::optional<std::string> peerHex(std::string_view name, const std::vector<std::uint8_t>& bytes) {
    char number[17];
    if (name == "Adler32") {
        const auto value = adler32(adler32(0, nullptr, 0), bytes.data(), static_cast<uInt>(bytes.size()));
        std::snprintf(number, sizeof number, "%08lX", static_cast<unsigned long>(value));
        return std::string(number);
    }
    if (name == "CRC32") {
        const auto value = crc32(0, bytes.data(), static_cast<uInt>(bytes.size()));
        std::snprintf(number, sizeof number, "%08lX", static_cast<unsigned long>(value));
        return std::string(number);
    }
    if (name == "MD4") return openssl("MD4", bytes);
    if (name == "MD5") return openssl("MD5", bytes);
    if (name == "SHA-1") return openssl("SHA1", bytes);
    if (name == "SHA-224") return openssl("SHA224", bytes);
    if (name == "SHA-256") return openssl("SHA256", bytes);
    if (name == "SHA-384") return openssl("SHA384", bytes);
    if (name == "SHA-512") return openssl("SHA512", bytes);
    if (name == "RIPEMD-160") return openssl("RIPEMD160", bytes);
    if (name == "Whirlpool") return openssl("WHIRLPOOL", bytes);
    if (name == "Tiger") return rhash(RHASH_TIGER, 24, bytes);
    if (name == "Gost") return rhash(RHASH_GOST94, 32, bytes);
    return std::nullopt;
}
#else
std::optional<std::string> peerHex(std::string_view, const std::vector<std::uint8_t>&) { return std::nullopt; }
#endif

}  // namespace sumwise::test
