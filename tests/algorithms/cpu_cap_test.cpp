// The processor-level cap: its names, what each level admits, the variant
// each algorithm's dispatch takes at each level, and (run by CTest with
// SUMWISE_CPU set) the cap read from the environment.
#include <gtest/gtest.h>

#include <cstdlib>

#include "algorithms/algorithm_table.h"
#include "algorithms/cpu_features.h"
#include "algorithms/sha2/sha2.h"
#include "algorithms/variant_choice.h"
#include "algorithms/whirlpool/whirlpool.h"
#include "test_support.h"

namespace sumwise {
namespace {

constexpr CpuFeatures kEverything{true, true, true, true, true, true, true, true, true, true, true, true};

TEST(CpuCap, LevelNamesReadBackAndNothingElseParses) {
    for (const CpuLevel level : kCpuLevels) EXPECT_EQ(parseCpuLevel(cpuLevelName(level)), level);
    for (const char* wrong : {"", "AVX2", "avx", "sse2", "avx512 ", " portable", "native"}) {
        EXPECT_FALSE(parseCpuLevel(wrong).has_value()) << '"' << wrong << '"';
    }
}

TEST(CpuCap, EachLevelAdmitsItsFeaturesAndThoseBelow) {
    struct Row {
        CpuLevel level;
        CpuFeatures admitted;
    };
    const Row rows[] = {
        {CpuLevel::Portable, {}},
        {CpuLevel::Ssse3, {true, true, true, false, true, false, false, false, false, false, false, true}},
        {CpuLevel::Avx2, {true, true, true, true, true, true, true, false, false, false, false, true}},
        {CpuLevel::Avx512, kEverything},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(capFeatures(kEverything, row.level), row.admitted) << cpuLevelName(row.level);
        EXPECT_EQ(levelOf(row.admitted), row.level) << cpuLevelName(row.level);
        // A cap never adds what the processor lacks.
        EXPECT_EQ(capFeatures({}, row.level), CpuFeatures{}) << cpuLevelName(row.level);
    }
    // AVX2 without the SHA extensions (Haswell): the cap keeps SHA off.
    CpuFeatures haswell = capFeatures(kEverything, CpuLevel::Avx2);
    haswell.sha = false;
    EXPECT_FALSE(capFeatures(haswell, CpuLevel::Avx512).sha);
    EXPECT_EQ(levelOf(haswell), CpuLevel::Avx2);
    // The machine's own features capped at each level stay within the level.
    for (const CpuLevel level : kCpuLevels) EXPECT_LE(levelOf(cpuFeaturesAt(level)), level);
}

// On a processor with every feature, the variant each level's dispatch takes.
TEST(CpuCap, EachLevelPicksTheExpectedVariant) {
    struct Row {
        const char* algorithm;
        const char* portable;
        const char* ssse3;
        const char* avx2;
        const char* avx512;
    };
    const Row rows[] = {
        {"Adler32", "sse2", "sse2", "avx2", "avx2"},
        {"CRC32", "portable", "pclmul", "avx2-pclmul", "avx512-vpclmul"},
        {"CRC64", "portable", "pclmul", "avx2-pclmul", "avx512-vpclmul"},
        {"MD5", "portable", "portable", "portable", "portable"},
        {"MD6", "portable", "portable", "avx2", "avx512"},
        {"SHA-0", "portable", "sha-ni", "sha-ni", "sha-ni"},
        {"SHA-1", "portable", "sha-ni", "sha-ni", "sha-ni"},
        {"SHA-1-IME", "portable", "sha-ni", "sha-ni", "sha-ni"},
        {"SHA-224", "portable", "sha-ni", "sha-ni", "sha-ni"},
        {"SHA-256", "portable", "sha-ni", "sha-ni", "sha-ni"},
        {"SHA-384", "sse2", "sse2", "avx2", "avx512"},
        {"SHA-512", "sse2", "sse2", "avx2", "avx512"},
        {"Tiger", "portable", "portable", "bmi1", "bmi1"},
        {"Whirlpool", "portable", "portable", "portable", "avx512-gfni"},
        {"SHA3-224", "portable", "portable", "bmi2", "avx512"},
        {"SHA3-256", "portable", "portable", "bmi2", "avx512"},
        {"SHA3-384", "portable", "portable", "bmi2", "avx512"},
        {"SHA3-512", "portable", "portable", "bmi2", "avx512"},
        {"BLAKE2b", "portable", "portable", "avx2", "avx2"},
        {"BLAKE2s", "portable", "sse4.1", "sse4.1", "avx512"},
        {"BLAKE3", "portable", "sse4.1", "avx2", "avx512"},
        {"XXH64", "portable", "portable", "portable", "portable"},
        {"XXH3", "sse2", "sse2", "avx2", "avx512"},
        {"XXH128", "sse2", "sse2", "avx2", "avx512"},
        {"CRC32C", "portable", "sse4.2", "sse4.2", "avx512-vpclmul"},
    };
    for (const Row& row : rows) {
        const HasherVariants* variants = &test::algorithm(row.algorithm).variants();
        const char* expected[] = {row.portable, row.ssse3, row.avx2, row.avx512};
        for (const CpuLevel level : kCpuLevels) {
            const CpuFeatures cpu = capFeatures(kEverything, level);
            EXPECT_STREQ(variants->variants[variants->best(cpu)].name, expected[static_cast<int>(level)])
                << row.algorithm << " at " << cpuLevelName(level);
        }
    }
}

// Run by CTest with SUMWISE_CPU and SUMWISE_EXPECTED_CPU_LEVEL set: the cap
// read once from the environment limits every algorithm's dispatch, and the
// capped contexts give the digests of the portable ones.
TEST(CpuCap, EnvironmentCapsTheDispatch) {
    const char* expectedText = std::getenv("SUMWISE_EXPECTED_CPU_LEVEL");
    if (expectedText == nullptr) GTEST_SKIP() << "run by CTest with SUMWISE_CPU set";
    const auto expected = parseCpuLevel(expectedText);
    ASSERT_TRUE(expected.has_value()) << expectedText;
    EXPECT_EQ(cpuFeatures(), cpuFeaturesAt(*expected));
    EXPECT_LE(cpuLevel(), *expected);

    const auto data = test::randomBytes(70000, 23);
    for (const AlgorithmEntry& entry : algorithms()) {
        const HasherVariants* variants = &entry.variants();
        const std::size_t chosen = variants->best();
        EXPECT_EQ(chosen, variants->best(cpuFeaturesAt(*expected))) << entry.name;
        if (*expected == CpuLevel::Portable) {
            // Only the baseline: portable code, or SSE2, part of every x86-64 processor.
            const std::string name = variants->variants[chosen].name;
            EXPECT_TRUE(name == "portable" || name == "sse2") << entry.name << " took " << name;
        }
        const auto portable = variants->create({}, 0);
        const auto capped = entry.newHasher({});
        for (const std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{1000}, data.size()}) {
            portable->init();
            capped->init();
            portable->update(data.data(), length);
            capped->update(data.data(), length);
            const std::string wanted = digestText(portable->finish(), LetterCase::Upper);
            EXPECT_EQ(digestText(capped->finish(), LetterCase::Upper), wanted) << entry.name << " " << length;
        }
    }
}

// Without AVX-512 the SHA-384/512 and Whirlpool dispatch times the admitted
// variants: whichever it takes at each level, it is admitted there and the
// digests are the portable variant's.
TEST(CpuCap, TimedChoiceIsAdmittedAndKeepsEveryDigest) {
    struct Row {
        const char* algorithm;
        std::size_t (*choose)(const CpuFeatures& cpu);
    };
    const Row rows[] = {
        {"SHA-384", [](const CpuFeatures& cpu) { return fastestCompressionIndex<8, 128>(sha512Variants(), cpu); }},
        {"SHA-512", [](const CpuFeatures& cpu) { return fastestCompressionIndex<8, 128>(sha512Variants(), cpu); }},
        {"Whirlpool",
         [](const CpuFeatures& cpu) { return fastestCompressionIndex<8, 64>(whirlpoolVariants(), cpu); }},
    };
    const auto data = test::randomBytes(5000, 41);
    for (const Row& row : rows) {
        const AlgorithmEntry* entry = algorithmNamed(std::string_view(row.algorithm));
        ASSERT_NE(entry, nullptr) << row.algorithm;
        const HasherVariants* variants = &entry->variants();
        const auto portable = variants->create({}, 0);
        for (const CpuLevel level : kCpuLevels) {
            if (level > levelOf(detectedCpuFeatures())) continue;
            const CpuFeatures cpu = cpuFeaturesAt(level);
            const std::size_t chosen = row.choose(cpu);
            ASSERT_LT(chosen, variants->variants.size()) << row.algorithm;
            EXPECT_TRUE(variants->variants[chosen].supported(cpu)) << row.algorithm << " at " << cpuLevelName(level);
            const auto timed = variants->create({}, chosen);
            for (const std::size_t length : {std::size_t{0}, std::size_t{111}, std::size_t{128}, data.size()}) {
                portable->init();
                timed->init();
                portable->update(data.data(), length);
                timed->update(data.data(), length);
                EXPECT_EQ(digestText(timed->finish(), LetterCase::Upper),
                          digestText(portable->finish(), LetterCase::Upper))
                    << row.algorithm << " " << variants->variants[chosen].name << " at " << cpuLevelName(level);
            }
        }
        // And the registry's context is one of them.
        const auto registered = test::algorithm(row.algorithm).newHasher({});
        registered->init();
        portable->init();
        registered->update(data.data(), data.size());
        portable->update(data.data(), data.size());
        EXPECT_EQ(digestText(registered->finish(), LetterCase::Upper),
                  digestText(portable->finish(), LetterCase::Upper));
    }
}

}  // namespace
}  // namespace sumwise
