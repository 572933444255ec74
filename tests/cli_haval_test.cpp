// sumwise-cli --haval PASSES,BITS: the chosen variant is hashed, values
// outside the ranges are usage errors naming the parameter.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "test_support.h"

namespace sumwise::cli {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome runCli(const std::vector<std::string>& words) {
    std::vector<Argument> arguments;
    for (const std::string& word : words) arguments.push_back({word, std::filesystem::path(word), word});
    std::ostringstream out;
    std::ostringstream err;
    Environment environment{out, err, [] { return std::make_unique<test::MemorySource>(std::vector<std::uint8_t>{}); },
                            false, 2};
    Outcome run;
    run.status = cli::run(arguments, environment);
    run.out = out.str();
    run.err = err.str();
    return run;
}

TEST(CliHaval, ChosenPassesAndBitsAreHashed) {
    // HAVAL authors' certification values for "a".
    EXPECT_EQ(runCli({"-a", "Haval", "--haval", "3,128", "--text", "a"}).out,
              "0CD40739683E15F01CA5DBCEEF4059F1  \"a\"\n");
    EXPECT_EQ(runCli({"--haval", "4,224", "-s", "-a", "haval", "--text", "a"}).out,
              "742f1dbeeaf17f74960558b44f08aa98bdc7d967e6c0ab8f799b3ac1  \"a\"\n");
    // Without the option: 5 passes, 256 bits. The last --haval wins.
    EXPECT_EQ(runCli({"-a", "Haval", "--text", ""}).out,
              "BE417BB4DD5CFB76C7126F4F8EEB1553A449039307B1A3CD451DBFDC0FBBE330  \"\"\n");
    EXPECT_EQ(runCli({"-a", "Haval", "--haval", "3,128", "--haval", "5,160", "--text", "a"}).out,
              "F5147DF7ABC5E3C81B031268927C2B5761B5A2B5  \"a\"\n");
}

TEST(CliHaval, ValuesOutsideTheRangesAreUsageErrorsNamingTheParameter) {
    struct Case {
        const char* value;
        const char* mentions;
    };
    const Case cases[] = {
        {"2,256", "passes must be 3, 4 or 5"},
        {"6,256", "passes must be 3, 4 or 5"},
        {"-3,256", "passes must be 3, 4 or 5"},
        {"4294967299,256", "passes must be 3, 4 or 5"},
        {"x,256", "passes must be 3, 4 or 5"},
        {",256", "passes must be 3, 4 or 5"},
        {"5,255", "bits must be 128, 160, 192, 224 or 256"},
        {"5,96", "bits must be 128, 160, 192, 224 or 256"},
        {"5,288", "bits must be 128, 160, 192, 224 or 256"},
        {"5,", "bits must be 128, 160, 192, 224 or 256"},
        {"5,256 ", "bits must be 128, 160, 192, 224 or 256"},
        {"5", "expected PASSES,BITS"},
        {"", "expected PASSES,BITS"},
        {"5,256,1", "expected PASSES,BITS"},
    };
    for (const Case& c : cases) {
        const Outcome run = runCli({"-a", "Haval", "--haval", c.value, "--text", "a"});
        EXPECT_EQ(run.status, kExitUsage) << c.value;
        EXPECT_NE(run.err.find(std::string("--haval: ") + c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const Outcome missing = runCli({"-a", "Haval", "--haval"});
    EXPECT_EQ(missing.status, kExitUsage);
    EXPECT_NE(missing.err.find("--haval"), std::string::npos);
}

}  // namespace
}  // namespace sumwise::cli
