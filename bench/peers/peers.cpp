#include "peers.h"

#include <openssl/evp.h>
#include <openssl/provider.h>
#include <rhash.h>
#include <xxhash.h>
#include <zlib.h>

#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
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
    {"CRC32C", {RHASH_CRC32C, 4}},
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

// b3sum, the BLAKE3 team's program, as a process: the message goes to its
// standard input through a socket (a write to a peer that died fails instead
// of raising SIGPIPE) and the digest comes back as the first 64 digits.
constexpr const char* kB3sum = "/usr/bin/b3sum";

bool haveB3sum() {
    static const bool present = access(kB3sum, X_OK) == 0;
    return present;
}

std::string runB3sum(const std::string&, const std::uint8_t* data, std::size_t size, std::size_t) {
    int input[2];
    int output[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, input) != 0) return kUnavailable;
    if (pipe(output) != 0) {
        close(input[0]);
        close(input[1]);
        return kUnavailable;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addclose(&actions, input[0]);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    char name[] = "b3sum";
    char noNames[] = "--no-names";
    char threads[] = "--num-threads";
    char one[] = "1";
    char* arguments[] = {name, noNames, threads, one, nullptr};
    char* environment[] = {nullptr};
    pid_t child = 0;
    const bool spawned = posix_spawn(&child, kB3sum, &actions, nullptr, arguments, environment) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(input[1]);
    close(output[1]);
    for (std::size_t offset = 0; spawned && offset < size;) {
        const ssize_t sent = send(input[0], data + offset, std::min<std::size_t>(size - offset, 1 << 20), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) break;
        offset += static_cast<std::size_t>(sent);
    }
    close(input[0]);
    std::string text;
    char buffer[256];
    for (ssize_t got; spawned && (got = read(output[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(output[0]);
    int status = 0;
    if (spawned) waitpid(child, &status, 0);
    if (!spawned || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.size() < 64) return kUnavailable;
    text.resize(64);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string number64(unsigned long long value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", value);
    return text;
}

// libxxhash's streaming states, seed 0; XXH128 printed high half first, as xxhsum does.
std::string runXxhash(const std::string& algorithm, const std::uint8_t* data, std::size_t size, std::size_t piece) {
    if (algorithm == "XXH64") {
        XXH64_state_t* state = XXH64_createState();
        XXH64_reset(state, 0);
        for (std::size_t offset = 0; offset < size; offset += piece) {
            XXH64_update(state, data + offset, std::min(piece, size - offset));
        }
        const XXH64_hash_t value = XXH64_digest(state);
        XXH64_freeState(state);
        return number64(value);
    }
    XXH3_state_t* state = XXH3_createState();
    const bool wide = algorithm == "XXH128";
    if (wide) XXH3_128bits_reset(state);
    else XXH3_64bits_reset(state);
    for (std::size_t offset = 0; offset < size; offset += piece) {
        const std::size_t n = std::min(piece, size - offset);
        if (wide) XXH3_128bits_update(state, data + offset, n);
        else XXH3_64bits_update(state, data + offset, n);
    }
    std::string text;
    if (wide) {
        const XXH128_hash_t value = XXH3_128bits_digest(state);
        text = number64(value.high64) + number64(value.low64);
    } else {
        text = number64(XXH3_64bits_digest(state));
    }
    XXH3_freeState(state);
    return text;
}

}  // namespace

std::vector<Peer> peersFor(const std::string& algorithm) {
    std::vector<Peer> peers;
    if (algorithm == "CRC32" || algorithm == "Adler32") peers.push_back({"zlib", runZlib});
    if (kOpenSslNames.count(algorithm) != 0) peers.push_back({"libcrypto", runOpenSsl});
    if (kRhashIds.count(algorithm) != 0) peers.push_back({"librhash", runRhash});
    if (algorithm == "BLAKE3" && haveB3sum()) peers.push_back({"b3sum", runB3sum});
    if (algorithm == "XXH64" || algorithm == "XXH3" || algorithm == "XXH128") peers.push_back({"libxxhash", runXxhash});
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
