// MD6's mode of operation and the Hasher around it.
#include "algorithms/md6/md6.h"

#include <algorithm>
#include <cstring>

#include "algorithms/bytes.h"
#include "algorithms/md6/md6_constants.h"

namespace sumwise {

namespace md6 {

namespace {

constexpr std::size_t kChainWords = kOutputWords;
constexpr std::size_t kBlockStart = kInputWords - kBlockWords;  // after Q, key, U and V
// Messages are shorter than 2^64 bits; then at most 2^52 blocks enter level
// 1 and the tree never needs more than 27 levels.
constexpr std::uint64_t kMaxMessageBytes = (std::uint64_t{1} << 61) - 1;

}  // namespace

Status Engine::init(unsigned d, const std::uint8_t* key, std::size_t keyLength, unsigned L, unsigned r) {
    const CompressFunction compress = compress_;
    *this = Engine(compress);
    if (keyLength > kMaxKeyBytes) return Status::BadKeyLength;
    if (d < 1 || d > kMaxDigestBits) return Status::BadDigestLength;
    if (L > kMaxMode) return Status::BadMode;
    if (r > kMaxRounds) return Status::BadRounds;
    d_ = d;
    L_ = L;
    r_ = r;
    keyLength_ = keyLength;
    for (std::size_t i = 0; i < keyLength; ++i) key_[i / 8] |= std::uint64_t{key[i]} << (56 - 8 * (i % 8));
    // A sequential first level keeps a quarter of each block for the chaining value.
    firstLevelCapacity_ = L == 0 ? kBlockBytes - 8 * kChainWords : kBlockBytes;
    initialised_ = true;
    return Status::Success;
}

// `input` holds the block in its last 64 words; the 25 before it are filled here.
void Engine::compressInput(unsigned level, unsigned padBits, bool final, std::uint64_t* input,
                           std::uint64_t* output) {
    std::copy(kQ.begin(), kQ.end(), input);
    std::copy(key_.begin(), key_.end(), input + 15);
    input[23] = (std::uint64_t{level} << 56) | levels_[level].index;
    input[24] = (std::uint64_t{r_} << 48) | (std::uint64_t{L_} << 40) | (std::uint64_t{final} << 36) |
                (std::uint64_t{padBits} << 20) | (std::uint64_t{keyLength_} << 12) | d_;
    compress_(input, output, r_);
    ++levels_[level].index;
}

void Engine::compressBlock(unsigned level, const std::uint64_t* block, unsigned padBits, bool final,
                           std::uint64_t* output) {
    std::uint64_t input[kInputWords];
    std::copy(block, block + kBlockWords, input + kBlockStart);
    compressInput(level, padBits, final, input, output);
}

// Hands a chaining value of level `level - 1` to `level`. A full block there is
// compressed first: more follows it, so it is not that level's last block.
void Engine::pushChunk(unsigned level, const std::uint64_t* chunk) {
    if (level >= kLevels) return;  // beyond any message shorter than 2^64 bits
    Level& current = levels_[level];
    if (sequential(level) && current.wordCount == 0) current.wordCount = kChainWords;  // a chain starts from zero
    if (current.wordCount == kBlockWords) {
        std::uint64_t output[kOutputWords];
        compressBlock(level, current.words.data(), 0, false, output);
        if (sequential(level)) {
            std::copy(output, output + kChainWords, current.words.begin());
            current.wordCount = kChainWords;
        } else {
            current.wordCount = 0;
            pushChunk(level + 1, output);
        }
    }
    std::copy(chunk, chunk + kChainWords, current.words.begin() + static_cast<std::ptrdiff_t>(current.wordCount));
    current.wordCount += kChainWords;
}

void Engine::compressFirstLevel(const std::uint8_t* bytes, std::size_t size, bool final) {
    std::uint64_t input[kInputWords];
    std::uint64_t* block = input + kBlockStart;
    std::size_t word = 0;
    if (sequential(1)) {
        std::copy(levels_[1].words.begin(), levels_[1].words.begin() + kChainWords, block);
        word = kChainWords;
    }
    const std::size_t whole = size / 8;
    for (std::size_t i = 0; i < whole; ++i) block[word + i] = bytes::load64be(bytes + 8 * i);
    if (word + whole < kBlockWords) {
        std::fill(block + word + whole, block + kBlockWords, 0);
        for (std::size_t i = 8 * whole; i < size; ++i) {
            block[word + whole] |= std::uint64_t{bytes[i]} << (56 - 8 * (i % 8));
        }
    }

    std::uint64_t output[kOutputWords];
    compressInput(1, static_cast<unsigned>(8 * (firstLevelCapacity_ - size)), final, input, output);
    if (final) {
        std::copy(output, output + kOutputWords, root_.begin());
        rootReady_ = true;
    } else if (sequential(1)) {
        std::copy(output, output + kChainWords, levels_[1].words.begin());
    } else {
        pushChunk(2, output);
    }
}

Status Engine::update(const std::uint8_t* data, std::size_t size) {
    if (!initialised_ || finished_) return Status::NotInitialised;
    if (size > kMaxMessageBytes - messageBytes_) return Status::MessageTooLong;
    messageBytes_ += size;
    const std::size_t capacity = firstLevelCapacity_;
    while (size > 0) {
        if (pendingBytes_ == capacity) {
            compressFirstLevel(pending_.data(), capacity, false);
            pendingBytes_ = 0;
        }
        if (pendingBytes_ == 0) {
            // Whole blocks straight from the caller's memory, keeping back
            // the last one: only finish knows whether it ends the message.
            for (; size > capacity; data += capacity, size -= capacity) compressFirstLevel(data, capacity, false);
        }
        const std::size_t take = std::min(size, capacity - pendingBytes_);
        std::memcpy(pending_.data() + pendingBytes_, data, take);
        pendingBytes_ += take;
        data += take;
        size -= take;
    }
    return Status::Success;
}

// The last block of `level` (level 2 and up), zero-padded. It is the root
// when it is the level's only block or ends the sequential chain.
void Engine::finishLevel(unsigned level) {
    Level& current = levels_[level];
    std::fill(current.words.begin() + static_cast<std::ptrdiff_t>(current.wordCount), current.words.end(), 0);
    const bool final = sequential(level) || current.index == 0;
    const auto padBits = static_cast<unsigned>(64 * (kBlockWords - current.wordCount));
    std::uint64_t output[kOutputWords];
    compressBlock(level, current.words.data(), padBits, final, output);
    if (final) {
        std::copy(output, output + kOutputWords, root_.begin());
        rootReady_ = true;
    } else {
        pushChunk(level + 1, output);
    }
}

Digest Engine::finish() {
    if (!initialised_ || finished_) return {};
    finished_ = true;
    // The last level-1 block always waits in the buffer (empty only for the
    // empty message); from there each level's last block goes up in turn.
    compressFirstLevel(pending_.data(), pendingBytes_, sequential(1) || levels_[1].index == 0);
    for (unsigned level = 2; !rootReady_ && level < kLevels; ++level) finishLevel(level);

    std::uint8_t value[8 * kOutputWords];
    for (std::size_t i = 0; i < kOutputWords; ++i) bytes::store64be(value + 8 * i, root_[i]);
    // The last d bits, moved to the front of (d + 7) / 8 bytes.
    const std::size_t count = (d_ + 7) / 8;
    const unsigned shift = static_cast<unsigned>(8 * count - d_);
    const std::uint8_t* tail = value + sizeof value - count;
    Digest digest;
    digest.size = count;
    digest.hexDigits = (d_ + 3) / 4;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned next = i + 1 < count ? tail[i + 1] : 0;
        digest.bytes[i] = static_cast<std::uint8_t>((tail[i] << shift) | (next >> (8 - shift)));
    }
    return digest;
}

}  // namespace md6

namespace {

class Md6 final : public Hasher {
public:
    Md6(const Md6Params& params, md6::CompressFunction compress) : params_(params), engine_(compress) { init(); }

    void init() override {
        // The key is the text before its first NUL; a record without one has
        // 65 key bytes, which init refuses.
        const auto end = std::find(params_.key.begin(), params_.key.end(), '\0');
        const auto keyLength = static_cast<std::size_t>(end - params_.key.begin());
        (void)engine_.init(params_.d, reinterpret_cast<const std::uint8_t*>(params_.key.data()), keyLength,
                           params_.L, params_.r);
    }
    void update(const std::uint8_t* data, std::size_t size) override { (void)engine_.update(data, size); }
    Digest finish() override { return engine_.finish(); }

private:
    Md6Params params_;
    md6::Engine engine_;
};

}  // namespace

std::unique_ptr<Hasher> newMd6With(const AlgorithmParams& params, md6::CompressFunction compress) {
    return std::make_unique<Md6>(params.md6, compress);
}

std::unique_ptr<Hasher> newMd6(const AlgorithmParams& params) { return newMd6With(params, md6::bestCompress()); }

}  // namespace sumwise
