#include "peers.h"

#include <openssl/evp.h>
#include <openssl/provider.h>
#include <rhash.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "algorithms/digest.h"

namespace sumwise::bench {

namespace {

// Peers' digests printed the way ours are.
std::string hex(const unsigned char* bytes, std::size_t size) {
    return digestText(Digest::fromBytes(bytes, size), LetterCase::Upper);
}

std::string number(unsigned long value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08lX", value);
    return text;
}

std::string runZlib(const std::string& algorithm, const std::uint8_t* data, std::size_t size, std::size_t piece) {
    const bool adler = algorithm == "Adler32";
    uLong value = adler ? adler32(0, nullptr, 0) : crc32(0, nullptr, 0);
    for (std::size_t offset = 0; offset < size; offset += piece) {
        const auto n = static_cast<uInt>(std::min(piece, size - offset));
        value = adler ? adler32(value, data + offset, n) : crc32(value, data + offset, n);
    }
    return number(value);
}

const std::map<std::string, std::string> kOpenSslNames = {
    {"MD4", "MD4"},         {"MD5", "MD5"},         {"SHA-1", "SHA1"},           {"SHA-224", "SHA224"},
    {"SHA-256", "SHA256"},  {"SHA-384", "SHA384"},  {"SHA-512", "SHA512"},       {"RIPEMD-160", "RIPEMD160"},
    {"Whirlpool", "WHIRLPOOL"},   {"SHA3-224", "SHA3-224"},   {"SHA3-256", "SHA3-256"},   {"SHA3-384", "SHA3-384"},
    {"SHA3-512", "SHA3-512"},     {"BLAKE2b", "BLAKE2B-512"}, {"BLAKE2s", "BLAKE2S-256"},
};

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

constexpr const char* kUnavailable = "unavailable";

std::string runOpenSsl(const std::string& algorithm, const std::uint8_t* data, std::size_t size, std::size_t piece) {
    static const Providers providers;
    (void)providers;
    EVP_MD* md = EVP_MD_fetch(nullptr, kOpenSslNames.at(algorithm).c_str(), nullptr);
    if (md == nullptr) return kUnavailable;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_DigestInit_ex(ctx, md, nullptr);
    for (std::size_t offset = 0; offset < size; offset += piece) {
        EVP_DigestUpdate(ctx, data + offset, std::min(piece, size - offset));
    }
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(ctx, out, &length);
    EVP_MD_CTX_free(ctx);
    EVP_MD_free(md);
    return hex(out, length);
}

const std::map<std::string, std::pair<unsigned, std::size_t>> kRhashIds = {
    {"CRC32", {RHASH_CRC32, 4}},         {"MD4", {RHASH_MD4, 16}},           {"MD5", {RHASH_MD5, 16}},
    {"SHA-1", {RHASH_SHA1, 20}},         {"SHA-224", {RHASH_SHA224, 28}},    {"SHA-256", {RHASH_SHA256, 32}},
    {"SHA-384", {RHASH_SHA384, 48}},     {"SHA-512", {RHASH_SHA512, 64}},    {"RIPEMD-160", {RHASH_RIPEMD160, 20}},
    {"Tiger", {RHASH_TIGER, 24}},        {"Whirlpool", {RHASH_WHIRLPOOL, 64}}, {"Gost", {RHASH_GOST94, 32}},
};

std::string runRhash(const std::string& algorithm, const std::uint8_t* data, std::size_t size, std::size_t piece) {
    static const bool initialised = [] {
        rhash_library_init();
        return true;
    }();
    (void)initialised;
    const auto [id, length] = kRhashIds.at(algorithm);
    rhash ctx = rhash_init(id);
    for (std::size_t offset = 0; offset < size; offset += piece) {
        rhash_update(ctx, data + offset, std::min(piece, size - offset));
    }
    unsigned char out[64];
    rhash_final(ctx, out);
    rhash_free(ctx);
    return hex(out, length);
}

}  // namespace

std::vector<Peer> peersFor(const std::string& algorithm) {
    std::vector<Peer> peers;
    if (algorithm == "CRC32" || algorithm == "Adler32") peers.push_back({"zlib", runZlib});
    if (kOpenSslNames.count(algorithm) != 0) peers.push_back({"libcrypto", runOpenSsl});
    if (kRhashIds.count(algorithm) != 0) peers.push_back({"librhash", runRhash});
    return peers;
}

std::optional<std::string> peerDigest(const std::string& algorithm, const std::uint8_t* data, std::size_t size) {
    const std::vector<Peer> peers = peersFor(algorithm);
    if (peers.empty()) return std::nullopt;
    std::string digest = peers.front().run(algorithm, data, size, std::max<std::size_t>(size, 1));
    if (digest == kUnavailable) return std::nullopt;
    return digest;
}

}  // namespace sumwise::bench
