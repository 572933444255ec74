// MD6: published values, every compression path, the tree and the chain
// against the mode of operation written out as its authors define it, keys,
// digest lengths, pieces, parameter refusal and inputs above 4 GiB.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <random>

#include "algorithms/bytes.h"
#include "algorithms/md6/md6.h"
#include "algorithms/md6/md6_constants.h"
#include "compression_check.h"
#include "jobs/streaming.h"
#include "test_support.h"

namespace sumwise {
namespace {

AlgorithmParams md6Params(unsigned d, std::string_view key = {}, unsigned L = 64, int r = -1) {
    AlgorithmParams params;
    params.md6.d = d;
    std::copy_n(key.begin(), std::min(key.size(), params.md6.key.size()), params.md6.key.begin());
    params.md6.L = L;
    params.md6.r = r < 0 ? md6DefaultRounds(d, !key.empty()) : static_cast<unsigned>(r);
    return params;
}

// 0x11 0x22 ... 0x77, repeated: the messages of the authors' worked examples.
std::vector<std::uint8_t> sevenPattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(0x11 * (1 + i % 7));
    return bytes;
}

// The mode of operation as defined, computed top-down: node (level, i) of the
// tree compresses its four children (level-1 blocks of the message at level
// 1), the single node of the first one-node level is the root, and above
// level L a chain takes three chaining values (or 384 message bytes) a block.
// Nothing of the engine's buffering is shared; `fill` writes message bytes.
struct Definition {
    std::uint64_t size;
    std::function<void(std::uint64_t offset, std::size_t count, std::uint8_t* out)> fill;
    unsigned d, L, r;
    std::string key;

    using Chain = std::array<std::uint64_t, 16>;

    Chain compress(unsigned level, std::uint64_t index, const std::uint64_t* block, unsigned pad, bool z) const {
        std::uint64_t in[89] = {};
        std::copy(md6::kQ.begin(), md6::kQ.end(), in);
        for (std::size_t i = 0; i < key.size(); ++i) {
            in[15 + i / 8] |= std::uint64_t{std::uint8_t(key[i])} << (56 - 8 * (i % 8));
        }
        in[23] = std::uint64_t{level} << 56 | index;
        in[24] = std::uint64_t{r} << 48 | std::uint64_t{L} << 40 | std::uint64_t{z} << 36 | std::uint64_t{pad} << 20 |
                 key.size() << 12 | d;
        std::copy(block, block + 64, in + 25);
        Chain out;
        md6::bestCompress()(in, out.data(), r);
        return out;
    }
    // Message bytes [offset, offset + count) as big-endian words from `word` on, zero-padded.
    void load(std::uint64_t offset, std::size_t count, std::uint64_t* block, std::size_t word) const {
        std::uint8_t bytes[512] = {};
        fill(offset, count, bytes);
        for (std::size_t i = word; i < 64; ++i) block[i] = bytes::load64be(bytes + 8 * (i - word));
    }
    std::uint64_t nodes(unsigned level) const {  // nodes on a tree level, at least one
        std::uint64_t n = std::max<std::uint64_t>(1, (size + 511) / 512);
        for (unsigned l = 1; l < level; ++l) n = (n + 3) / 4;
        return n;
    }
    Chain node(unsigned level, std::uint64_t i) const {
        std::uint64_t block[64] = {};
        unsigned pad = 0;
        if (level == 1) {
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(512, size - 512 * i));
            load(512 * i, count, block, 0);
            pad = static_cast<unsigned>(8 * (512 - count));
        } else {
            for (std::uint64_t c = 0; c < 4; ++c) {
                if (4 * i + c < nodes(level - 1)) {
                    const Chain child = node(level - 1, 4 * i + c);
                    std::copy(child.begin(), child.end(), block + 16 * c);
                } else {
                    pad += 1024;
                }
            }
        }
        return compress(level, i, block, pad, nodes(level) == 1);
    }
    Chain root() const {
        for (unsigned level = 1; level <= L; ++level) {
            if (nodes(level) == 1) return node(level, 0);
        }
        // The chain over level L's nodes, or over the message when L = 0.
        const std::uint64_t items = L == 0 ? size : nodes(L);
        const std::uint64_t perBlock = L == 0 ? 384 : 3;
        const std::uint64_t blocks = std::max<std::uint64_t>(1, (items + perBlock - 1) / perBlock);
        Chain chain{};
        for (std::uint64_t b = 0; b < blocks; ++b) {
            std::uint64_t block[64] = {};
            std::copy(chain.begin(), chain.end(), block);
            const std::uint64_t used = std::min(perBlock, items - b * perBlock);
            if (L == 0) {
                load(b * 384, static_cast<std::size_t>(used), block, 16);
            } else {
                for (std::uint64_t c = 0; c < used; ++c) {
                    const Chain child = node(L, b * 3 + c);
                    std::copy(child.begin(), child.end(), block + 16 * (c + 1));
                }
            }
            const auto pad = static_cast<unsigned>((perBlock - used) * (L == 0 ? 8 : 1024));
            chain = compress(L + 1, b, block, pad, b + 1 == blocks);
        }
        return chain;
    }
    // The last d bits of the root, as bits, padded to whole hexadecimal digits.
    std::string hex() const {
        const Chain value = root();
        std::string bits;
        for (unsigned i = 1024 - d; i < 1024; ++i) bits += char('0' + (value[i / 64] >> (63 - i % 64) & 1));
        bits.append((4 - d % 4) % 4, '0');
        std::string text;
        for (std::size_t i = 0; i < bits.size(); i += 4) {
            text += "0123456789ABCDEF"[std::stoi(bits.substr(i, 4), nullptr, 2)];
        }
        return text;
    }
};

std::string definitionHex(const std::vector<std::uint8_t>& message, const AlgorithmParams& params) {
    const Md6Params& p = params.md6;
    return Definition{message.size(),
                      [&](std::uint64_t offset, std::size_t count, std::uint8_t* out) {
                          std::copy_n(message.begin() + static_cast<std::ptrdiff_t>(offset), count, out);
                      },
                      p.d, p.L, p.r, p.key.data()}
        .hex();
}

std::string engineHex(md6::CompressFunction compress, const std::vector<std::uint8_t>& message,
                      const AlgorithmParams& params) {
    md6::Engine engine(compress);
    const Md6Params& p = params.md6;
    EXPECT_EQ(engine.init(p.d, reinterpret_cast<const std::uint8_t*>(p.key.data()), std::strlen(p.key.data()), p.L,
                          p.r),
              md6::Status::Success);
    engine.update(message.data(), message.size());
    return digestText(engine.finish(), LetterCase::Upper);
}

struct Vector {
    std::vector<std::uint8_t> message;
    AlgorithmParams params;
    const char* hex;
};

std::vector<Vector> publishedVectors() {
    const auto text = test::bytesOf;
    return {
        // The authors' worked examples ("The MD6 hash function", Rivest et al., 2008, sample calculations).
        {text("abc"), md6Params(256, {}, 64, 5), "8854C14DC284F840ED71AD7BA542855CE189633E48C797A55121A746BE48CEC8"},
        {sevenPattern(600), md6Params(224, "abcde12345", 64, 5),
         "894CF0598AD3288ED4BB5AC5DF23EBA0AC388A11B7ED2E3DD5EC5131"},
        {sevenPattern(800), md6Params(256, {}, 0), "4E78AB5EC8926A3DB0DCFA09ED48DE6C33A7399E70F01EBFC02ABB52767594E2"},
        // Wikipedia, "MD6" (the defaults).
        {text(""), md6Params(256), "BCA38B24A804AA37D821D31AF00F5598230122C5BBFC4C4AD5ED40E4258F04CA"},
        {text("The quick brown fox jumps over the lazy dog"), md6Params(256),
         "977592608C45C9923340338450FDCCCC21A68888E1E6350E133C5186CD9736EE"},
        {text("The quick brown fox jumps over the lazy cog"), md6Params(256),
         "85FE717A5896A085A31BE5D9457B4DA75A6EBC003EDED96D7CB0FF1737235BBA"},
        // The program's documented parameter sets.
        {text("abc"), md6Params(256), "230637D4E6845CF0D092B558E87625F03881DD53A7439DA34CF3B94ED0D8B2C5"},
        {text("abc"), md6Params(512),
         "00918245271E377A7FFB202B90F3BDA5477D8FEAB12D8A3A8994EBC55FE6E74C"
         "A8341520032EEEA3FDEF892F2882378F636212AF4B2683CCF80BF025B7D9B457"},
        {text("abc"), md6Params(256, {}, 0), "93C70C8D38E1D0B583024A3F17C95FE23B3A19BFAD96D567F1E522B89EC7B365"},
        {text("abc"), md6Params(12), "5D7"},
        {text("abc"), md6Params(1), "0"},
    };
}

TEST(Md6, PublishedValuesOnEveryCompressionPath) {
    for (const Vector& v : publishedVectors()) {
        SCOPED_TRACE(v.hex);
        EXPECT_EQ(test::hexOf("MD6", v.message, LetterCase::Upper, v.params), v.hex);
        for (const md6::CompressVariant& variant : test::runnableVariants(md6::compressVariants())) {
            EXPECT_EQ(engineHex(variant.function, v.message, v.params), v.hex) << variant.name;
        }
        EXPECT_EQ(definitionHex(v.message, v.params), v.hex);
    }
}

TEST(Md6, CompressionPathsAgreeForAnyRoundCount) {
    const auto bytes = test::randomBytes(89 * 8, 3);
    std::uint64_t input[89];
    std::memcpy(input, bytes.data(), sizeof input);
    for (unsigned rounds : {0u, 1u, 2u, 7u, 104u, 168u, 255u}) {
        std::uint64_t expected[16];
        md6::compressPortable(input, expected, rounds);
        for (const md6::CompressVariant& variant : test::runnableVariants(md6::compressVariants())) {
            std::uint64_t output[16];
            variant.function(input, output, rounds);
            EXPECT_EQ(std::memcmp(output, expected, sizeof output), 0) << variant.name << " r " << rounds;
        }
    }
    // No rounds: the output is the input's last 16 words.
    std::uint64_t output[16];
    md6::compressPortable(input, output, 0);
    EXPECT_EQ(std::memcmp(output, input + 73, sizeof output), 0);
}

TEST(Md6, TreeAndChainBoundariesFollowTheDefinition) {
    // Block edges (512 bytes, 384 in a chain) and the tree's 4^k x 512,
    // under full trees (L 64), pure chains (L 0) and chains above short trees.
    std::vector<std::size_t> sizes{0, 1, 383, 384, 385, 511, 512, 513, 1151, 1152, 1153, 1535, 1536, 1537, 2560};
    for (std::size_t power = 512; power <= 4 * 4 * 4 * 512; power *= 4) {
        for (std::size_t size : {power - 1, power, power + 1}) sizes.push_back(size);
    }
    const auto message = test::randomBytes(4 * 4 * 4 * 512 + 1, 5);
    for (unsigned L : {64u, 0u, 1u, 2u}) {
        for (std::size_t size : sizes) {
            const std::vector<std::uint8_t> m(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(size));
            const AlgorithmParams params = md6Params(160, "key", L, 3);
            ASSERT_EQ(test::hexOf("MD6", m, LetterCase::Upper, params), definitionHex(m, params))
                << "L " << L << " size " << size;
        }
    }
    // The driver's 524288-byte block is itself 4^5 x 512: across it, at the defaults.
    const auto big = test::randomBytes(524288 + 513, 9);
    for (std::size_t size : {524287, 524288, 524289, 524288 + 513}) {
        const std::vector<std::uint8_t> m(big.begin(), big.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(test::hexOf("MD6", m), definitionHex(m, md6Params(256))) << size;
    }
}

TEST(Md6, DigestIsTheLastDBitsMovedToTheFront) {
    const auto message = test::randomBytes(700, 13);
    for (unsigned d = 1; d <= 512; d += (d < 24 ? 1 : 61)) {
        const AlgorithmParams params = md6Params(d, {}, 64, 2);
        const auto hasher = newMd6(params);
        hasher->update(message.data(), message.size());
        const Digest digest = hasher->finish();
        EXPECT_EQ(digest.size, (d + 7) / 8) << d;
        EXPECT_EQ(digestText(digest, LetterCase::Upper), definitionHex(message, params)) << d;
        // Bits beyond d are zero: a one-bit digest is 0 or 8.
        EXPECT_EQ(digest.bytes[digest.size - 1] & ((1u << (8 * digest.size - d)) - 1), 0u) << d;
    }
}

TEST(Md6, KeysAndModeEnterEveryDigest) {
    const std::string key64(64, '\xA5');
    for (const std::string& key : {std::string("k"), std::string("abcde12345"), key64}) {
        const auto m = test::randomBytes(1300, 17);
        EXPECT_EQ(test::hexOf("MD6", m, LetterCase::Upper, md6Params(256, key)), definitionHex(m, md6Params(256, key)));
    }
    // L, the key and r enter every compression, so each changes every digest.
    for (const auto& m : {test::bytesOf(""), test::bytesOf("abc"), test::randomBytes(2000, 19)}) {
        const std::string plain = test::hexOf("MD6", m);
        EXPECT_NE(test::hexOf("MD6", m, LetterCase::Upper, md6Params(256, {}, 0)), plain) << m.size();
        EXPECT_NE(test::hexOf("MD6", m, LetterCase::Upper, md6Params(256, "k")), plain) << m.size();
        EXPECT_NE(test::hexOf("MD6", m, LetterCase::Upper, md6Params(256, {}, 64, 105)), plain) << m.size();
    }
}

TEST(Md6, PiecesGiveTheOnePieceDigest) {
    std::mt19937 random(23);
    for (int trial = 0; trial < 12; ++trial) {
        const std::size_t size = random() % 40000 + (trial == 0 ? 600000 : 0);
        const auto m = test::randomBytes(size, static_cast<std::uint32_t>(trial));
        std::vector<std::size_t> pieces;
        for (int i = 0; i < 5; ++i) pieces.push_back(random() % (i % 2 ? 1100 : 9));
        const AlgorithmParams params = md6Params(256, trial % 3 ? "" : "key", trial % 4 ? 64 : 0);
        EXPECT_EQ(test::hexOfPieces("MD6", m, pieces, params), test::hexOf("MD6", m, LetterCase::Upper, params))
            << "size " << size;
    }
}

TEST(Md6, FileAndTextAgreeWithAndWithoutKey) {
    test::TempDir dir;
    const std::string text(1000, 'q');
    const auto path = dir.write("q.txt", text);
    for (const AlgorithmParams& params : {md6Params(256), md6Params(384, "secret")}) {
        const HashResult file = hashFile(test::algorithm("MD6"), path, params);
        ASSERT_TRUE(file.complete());
        EXPECT_EQ(digestText(file.digest, LetterCase::Upper),
                  digestText(hashText(test::algorithm("MD6"), text, params), LetterCase::Upper));
    }
}

TEST(Md6, RefusedParametersGiveTheEmptyTextWhateverCameBefore) {
    struct Case {
        unsigned d, L, r;
        std::size_t keyLength;
        md6::Status status;
    };
    const Case cases[] = {
        {0, 64, 104, 0, md6::Status::BadDigestLength},   {513, 64, 104, 0, md6::Status::BadDigestLength},
        {256, 64, 104, 65, md6::Status::BadKeyLength},   {0, 64, 104, 65, md6::Status::BadKeyLength},
        {256, 256, 104, 0, md6::Status::BadMode},        {256, 64, 256, 0, md6::Status::BadRounds},
    };
    const std::uint8_t key[65] = {1, 2, 3};
    const auto abc = test::bytesOf("abc");
    // An engine built over stale bytes, used for a message first, then refused.
    alignas(md6::Engine) static std::uint8_t storage[sizeof(md6::Engine)];
    std::memset(storage, 0xA7, sizeof storage);
    auto* engine = new (storage) md6::Engine();
    for (const Case& c : cases) {
        ASSERT_EQ(engine->init(256, key, 3, 1, 9), md6::Status::Success);
        engine->update(abc.data(), abc.size());
        EXPECT_EQ(engine->init(c.d, key, c.keyLength, c.L, c.r), c.status);
        EXPECT_EQ(engine->update(abc.data(), abc.size()), md6::Status::NotInitialised);
        const Digest digest = engine->finish();
        EXPECT_TRUE(digest.empty());
        EXPECT_EQ(digestText(digest, LetterCase::Upper), "");
    }
    engine->~Engine();

    // Through the algorithm table: out-of-range records, and a key with no NUL in its 65 bytes.
    AlgorithmParams noNul = md6Params(256);
    noNul.md6.key.fill('x');
    for (const AlgorithmParams& params :
         {md6Params(0), md6Params(513), md6Params(256, {}, 256), md6Params(256, {}, 64, 256), noNul}) {
        EXPECT_EQ(test::hexOf("MD6", "abc", LetterCase::Upper, params), "");
    }
    // A refused context recovers on the next valid init (through a reused hasher).
    const auto hasher = newMd6(md6Params(256));
    hasher->update(abc.data(), abc.size());
    hasher->init();
    hasher->update(abc.data(), abc.size());
    EXPECT_EQ(digestText(hasher->finish(), LetterCase::Upper), publishedVectors()[6].hex);
}

TEST(Md6, InputsAbove4GiB) {
    // One round keeps this quick. The block index reaches the output through
    // an AND with a message word, so the message is all ones.
    const std::uint64_t size = (std::uint64_t{1} << 32) + 1000;
    const AlgorithmParams params = md6Params(256, {}, 64, 1);
    const Definition definition{
        size, [](std::uint64_t, std::size_t count, std::uint8_t* out) { std::memset(out, 0xFF, count); }, 256, 64, 1,
        ""};
    EXPECT_EQ(test::hexOfRepeated("MD6", "\xFF", size, params), definition.hex());
}

}  // namespace
}  // namespace sumwise
