// sumwise-cli's --md6 option: fields, the automatic rounds, keys with commas,
// and usage errors that name the parameter and its range.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/algorithm_options.h"
#include "cli/cli.h"
#include "test_support.h"

namespace sumwise::cli {
namespace {

Md6Params parsed(std::string_view value) {
    Md6Params params;
    params.d = 7;  // any earlier --md6 is replaced as a whole
    EXPECT_EQ(parseMd6Option(value, params), "") << value;
    return params;
}

std::string keyOf(const Md6Params& params) { return params.key.data(); }

TEST(Md6Option, FieldsInAnyOrderAndAutomaticRounds) {
    EXPECT_EQ(parsed(""), Md6Params{});
    const Md6Params all = parsed("r=5,L=0,d=384,key=abc");
    EXPECT_EQ(all.d, 384u);
    EXPECT_EQ(all.L, 0u);
    EXPECT_EQ(all.r, 5u);
    EXPECT_EQ(keyOf(all), "abc");
    // Without r: 40 + d/4, at least 80 with a key, from the final d and key.
    EXPECT_EQ(parsed("d=128").r, 72u);
    EXPECT_EQ(parsed("d=128,key=k").r, 80u);
    EXPECT_EQ(parsed("d=512,key=").r, 168u);
    EXPECT_EQ(parsed("D=1,l=3,R=0").r, 0u);
    EXPECT_EQ(parsed("d=0012").d, 12u);
}

TEST(Md6Option, KeyIsLastAndTakesTheRestCommasIncluded) {
    EXPECT_EQ(keyOf(parsed("d=256,key=a,b=c,r=9")), "a,b=c,r=9");
    EXPECT_EQ(parsed("d=256,key=a,b=c,r=9").r, 104u);
    EXPECT_EQ(keyOf(parsed("key=,d=512")), ",d=512");
    const Md6Params longest = parsed("key=" + std::string(64, 'k'));
    EXPECT_EQ(keyOf(longest), std::string(64, 'k'));
    EXPECT_EQ(longest.key[64], '\0');
    // A shorter key leaves no bytes of a longer one behind (records compare whole).
    Md6Params params;
    ASSERT_EQ(parseMd6Option("key=" + std::string(40, 'x'), params), "");
    ASSERT_EQ(parseMd6Option("key=ab", params), "");
    Md6Params expected;
    expected.key[0] = 'a';
    expected.key[1] = 'b';
    expected.r = 104;
    EXPECT_EQ(params, expected);
}

TEST(Md6Option, BadValuesNameTheParameterAndItsRange) {
    struct Case {
        const char* value;
        const char* mentions;
    };
    const Case cases[] = {
        {"d=0", "d must be a whole number from 1 to 512"}, {"d=513", "from 1 to 512"},
        {"d=99999999999999999999", "d must"},             {"d=", "d must"},
        {"d=-1", "d must"},                                {"L=256", "L must be a whole number from 0 to 255"},
        {"r=256", "r must be a whole number from 0 to 255"}, {"r=1e2", "r must"},
        {"d=256,x=1", "unknown field 'x'"},                {"256", "malformed field '256'"},
        {"key", "malformed"},
    };
    for (const Case& c : cases) {
        Md6Params params;
        const std::string error = parseMd6Option(c.value, params);
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.value << ": " << error;
        EXPECT_EQ(params, Md6Params{}) << "a refused option leaves the parameters alone";
    }
    Md6Params params;
    EXPECT_NE(parseMd6Option("key=" + std::string(65, 'k'), params).find("key must be at most 64 bytes"),
              std::string::npos);
}

TEST(Md6Option, CommandLineHashesWithTheParametersAndRefusesBadOnes) {
    std::ostringstream out;
    std::ostringstream err;
    Environment environment{out, err, [] { return std::make_unique<test::MemorySource>(std::vector<std::uint8_t>{}); },
                            false, 1};
    auto run = [&](std::vector<std::string> words) {
        out.str("");
        err.str("");
        std::vector<Argument> arguments;
        for (const std::string& word : words) arguments.push_back({word, word, word});
        return cli::run(arguments, environment);
    };
    EXPECT_EQ(run({"-a", "MD6", "--md6", "d=12", "--text", "abc"}), kExitSuccess);
    EXPECT_EQ(out.str(), "5D7  \"abc\"\n");
    EXPECT_EQ(run({"-a", "MD6", "--md6", "L=0", "--text", "abc"}), kExitSuccess);
    EXPECT_EQ(out.str(), "93C70C8D38E1D0B583024A3F17C95FE23B3A19BFAD96D567F1E522B89EC7B365  \"abc\"\n");
    EXPECT_EQ(run({"-a", "MD6", "--md6", "d=600", "--text", "abc"}), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("d must be a whole number from 1 to 512"), std::string::npos);
    EXPECT_EQ(run({"--help"}), kExitSuccess);
    EXPECT_NE(out.str().find("--md6"), std::string::npos);
}

}  // namespace
}  // namespace sumwise::cli
