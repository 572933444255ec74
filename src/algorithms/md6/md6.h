// MD6 (Rivest et al., 2008) with its four parameters chosen at run time: the
// digest length d, a key, the mode parameter L and the number of rounds r.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

namespace md6 {

inline constexpr unsigned kMaxDigestBits = 512;
inline constexpr std::size_t kMaxKeyBytes = 64;
inline constexpr unsigned kMaxMode = 255;  // L
inline constexpr unsigned kMaxRounds = 255;

inline constexpr std::size_t kInputWords = 89;   // Q, key, U, V and the 64-word block
inline constexpr std::size_t kOutputWords = 16;  // one chaining value, 1024 bits
inline constexpr std::size_t kBlockWords = 64;
inline constexpr std::size_t kBlockBytes = 8 * kBlockWords;

// The compression function: 89 words in, 16 words out, after 16 steps per
// round. Every implementation keeps its whole working array (89 + 16r words)
// on its own stack.
using CompressFunction = void (*)(const std::uint64_t* input, std::uint64_t* output, unsigned rounds);

using CompressVariant = Variant<CompressFunction>;

// The plain implementation, and the variant table: portable first, fastest last.
void compressPortable(const std::uint64_t* input, std::uint64_t* output, unsigned rounds);
std::span<const CompressVariant> compressVariants();
// The fastest implementation this processor admits.
inline CompressFunction bestCompress() { return bestVariant(compressVariants()); }

// Results of the engine's calls, numbered as in the authors' interface.
enum class Status {
    Success = 0,
    BadDigestLength = 2,  // d outside 1..512
    BadKeyLength = 4,     // key longer than 64 bytes
    NotInitialised = 5,   // init was refused or not called
    MessageTooLong = 7,   // 2^64 bits and more: the tree would grow beyond its 28 levels
    BadMode = 16,         // L above 255
    BadRounds = 17,       // r above 255
};

// The standard's mode of operation over a message of bytes: a 4-ary tree of
// compressions on levels 1..L, and above it a sequential chain on level L + 1
// (so L = 0 is purely sequential). The message is streamed: only the one
// unfinished block of each level is kept.
class Engine {
public:
    explicit Engine(CompressFunction compress = bestCompress()) : compress_(compress) {}

    // Clears the state first, so a refused call leaves nothing of an earlier
    // message behind; after a refusal every update is refused and finish
    // yields the empty digest.
    Status init(unsigned d, const std::uint8_t* key, std::size_t keyLength, unsigned L, unsigned r);
    Status update(const std::uint8_t* data, std::size_t size);
    // The last d bits of the root's chaining value, moved to the front of
    // (d + 7) / 8 bytes and printed as (d + 3) / 4 digits. Empty when the
    // parameters were refused. The engine needs init before the next message.
    Digest finish();

private:
    static constexpr std::size_t kLevels = 29;  // 1..28 used

    struct Level {
        std::array<std::uint64_t, kBlockWords> words{};
        std::size_t wordCount = 0;  // on the sequential level, the chaining value counts
        std::uint64_t index = 0;    // blocks already compressed on this level
    };

    void compressInput(unsigned level, unsigned padBits, bool final, std::uint64_t* input, std::uint64_t* output);
    void compressBlock(unsigned level, const std::uint64_t* block, unsigned padBits, bool final,
                       std::uint64_t* output);
    void compressFirstLevel(const std::uint8_t* bytes, std::size_t size, bool final);
    void pushChunk(unsigned level, const std::uint64_t* chunk);
    void finishLevel(unsigned level);
    bool sequential(unsigned level) const { return level == L_ + 1; }

    CompressFunction compress_;
    bool initialised_ = false;
    bool finished_ = false;
    unsigned d_ = 0;
    unsigned L_ = 0;
    unsigned r_ = 0;
    std::size_t keyLength_ = 0;
    std::array<std::uint64_t, 8> key_{};
    std::uint64_t messageBytes_ = 0;

    // Level 1 holds message bytes; on the sequential level (L = 0) the
    // chaining value is kept beside them.
    std::array<std::uint8_t, kBlockBytes> pending_{};
    std::size_t pendingBytes_ = 0;
    std::size_t firstLevelCapacity_ = kBlockBytes;
    std::array<Level, kLevels> levels_{};
    std::array<std::uint64_t, kOutputWords> root_{};
    bool rootReady_ = false;
};

}  // namespace md6

// A context on the fastest variant this processor admits, or on the one given.
std::unique_ptr<Hasher> newMd6(const AlgorithmParams& params);
std::unique_ptr<Hasher> newMd6With(const AlgorithmParams& params, md6::CompressFunction compress);

}  // namespace sumwise
