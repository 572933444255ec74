// sumwise-cli's --md6 and --md6-key options: fields, the automatic rounds,
// keys with commas, a key that swallows what look like further fields,
// options that add to each other, and usage errors that name the parameter.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/algorithm_options.h"
#include "cli/cli.h"
#include "test_support.h"

namespace sumwise::cli {
namespace {

std::string keyOf(const Md6Params& params) { return params.key.data(); }

struct Md6Case {
    std::vector<std::string> options;  // "--md6 VALUE" or "--md6-key VALUE", in order
    std::uint32_t d;
    std::uint32_t L;
    std::uint32_t r;
    std::string key;
};

// Applies the options as the command line does.
std::string apply(const std::vector<std::string>& options, Md6Choice& choice) {
    for (const std::string& option : options) {
        const bool keyOnly = option.starts_with("key ");
        const std::string error = keyOnly ? parseMd6Key(option.substr(4), choice) : parseMd6Option(option, choice);
        if (!error.empty()) return error;
    }
    return {};
}

class Md6OptionTest : public testing::TestWithParam<Md6Case> {};

TEST_P(Md6OptionTest, GivesTheParameters) {
    const Md6Case& c = GetParam();
    Md6Choice choice;
    ASSERT_EQ(apply(c.options, choice), "");
    const Md6Params params = md6Params(choice);
    EXPECT_EQ(params.d, c.d);
    EXPECT_EQ(params.L, c.L);
    EXPECT_EQ(params.r, c.r);
    EXPECT_EQ(keyOf(params), c.key);
}

// "key X" stands for --md6-key X.
INSTANTIATE_TEST_SUITE_P(
    Fields, Md6OptionTest,
    testing::Values(Md6Case{{}, 256, 64, 104, ""},
                    Md6Case{{"r=5,L=0,d=384,key=abc"}, 384, 0, 5, "abc"},
                    // Without r: 40 + d/4, at least 80 with a key, from the final d and key.
                    Md6Case{{"d=128"}, 128, 64, 72, ""},
                    Md6Case{{"d=128,key=k"}, 128, 64, 80, "k"},
                    Md6Case{{"d=512,key="}, 512, 64, 168, ""},
                    Md6Case{{"D=1,l=3,R=0"}, 1, 3, 0, ""},
                    Md6Case{{"d=0012"}, 12, 64, 43, ""},
                    // A key takes the rest, commas included, while nothing after them looks like a field.
                    Md6Case{{"d=256,key=a,b=c,x"}, 256, 64, 104, "a,b=c,x"},
                    Md6Case{{"key=,,d"}, 256, 64, 104, ",,d"},
                    Md6Case{{"key=" + std::string(64, 'k')}, 256, 64, 104, std::string(64, 'k')},
                    // A second option adds to the first; the rounds follow the final d and key.
                    Md6Case{{"d=512", "L=0"}, 512, 0, 168, ""},
                    Md6Case{{"d=128", "key=k"}, 128, 64, 80, "k"},
                    Md6Case{{"r=9", "d=512"}, 512, 64, 9, ""},
                    Md6Case{{"d=384,key=long", "d=128"}, 128, 64, 80, "long"},
                    Md6Case{{"key=" + std::string(40, 'x'), "key=ab"}, 256, 64, 104, "ab"},
                    // --md6-key: any text, what looks like fields included.
                    Md6Case{{"key x,d=512"}, 256, 64, 104, "x,d=512"},
                    Md6Case{{"d=160", "key a,r=1,key=b"}, 160, 64, 80, "a,r=1,key=b"},
                    Md6Case{{"key k", "key="}, 256, 64, 104, ""}),
    [](const testing::TestParamInfo<Md6Case>& param) { return "case" + std::to_string(param.index); });

TEST(Md6Option, ShorterKeyLeavesNoBytesOfALongerOne) {
    Md6Choice choice;
    ASSERT_EQ(apply({"key=" + std::string(40, 'x'), "key=ab"}, choice), "");
    Md6Params expected;
    expected.key[0] = 'a';
    expected.key[1] = 'b';
    expected.r = 104;
    EXPECT_EQ(md6Params(choice), expected);  // records compare whole
}

TEST(Md6Option, BadValuesNameTheProblemAndChangeNothing) {
    struct Case {
        std::string value;
        const char* mentions;
    };
    const Case cases[] = {
        {"d=0", "d must be a whole number from 1 to 512"}, {"d=513", "from 1 to 512"},
        {"d=99999999999999999999", "d must"},             {"d=", "d must"},
        {"d=-1", "d must"},                                {"L=256", "L must be a whole number from 0 to 255"},
        {"r=256", "r must be a whole number from 0 to 255"}, {"r=1e2", "r must"},
        {"d=256,x=1", "unknown field 'x'"},                {"256", "malformed field '256'"},
        {"key", "malformed"},
        // What follows a key and looks like a field is not silently made part of it.
        {"key=x,d=512", "',d=' after it looks like another field"},
        {"key=,d=512", "',d='"},
        {"d=256,key=a,b=c,r=9", "',r='"},
        {"key=a,L=1", "',L='"},
        {"key=a,key=b", "',key='"},
        {"key=a,D=1", "--md6-key"},
        {"key=" + std::string(65, 'k'), "key must be at most 64 bytes"},
        {"d=128,key=" + std::string(65, 'k'), "key must be at most 64 bytes"},
        {"key " + std::string(65, 'k'), "key must be at most 64 bytes"},
        {std::string("key a\0b", 7), "NUL"},
        {"", "no fields given"},
        {"d=128,d=160", "d= is given twice"},
        {"r=9,L=1,R=10", "R= is given twice"},
    };
    for (const Case& c : cases) {
        Md6Choice choice;
        choice.d = 7;
        const std::string error = apply({c.value}, choice);
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.value << ": " << error;
        EXPECT_EQ(error.rfind("--md6: ", 0), 0u) << error;
        Md6Choice untouched;
        untouched.d = 7;
        EXPECT_EQ(choice, untouched) << "a refused option leaves the choice alone: " << c.value;
    }
}

struct RunCase {
    std::vector<std::string> words;
    int status;
    std::string out;      // exact standard output
    std::string errHas;   // a part of standard error, or "" for none at all
};

class Md6CommandLineTest : public testing::TestWithParam<RunCase> {};

TEST_P(Md6CommandLineTest, HashesWithTheParametersOrSaysWhy) {
    const RunCase& c = GetParam();
    std::ostringstream out;
    std::ostringstream err;
    Environment environment{out, err, [] { return std::make_unique<test::MemorySource>(std::vector<std::uint8_t>{}); },
                            false, 1};
    std::vector<Argument> arguments;
    for (const std::string& word : c.words) arguments.push_back({word, word, word});
    EXPECT_EQ(cli::run(arguments, environment), c.status);
    EXPECT_EQ(out.str(), c.out);
    if (c.errHas.empty()) {
        EXPECT_EQ(err.str(), "");
    } else {
        EXPECT_NE(err.str().find(c.errHas), std::string::npos) << err.str();
    }
}

const std::string kMd6AbcL0 = "93C70C8D38E1D0B583024A3F17C95FE23B3A19BFAD96D567F1E522B89EC7B365  \"abc\"\n";

INSTANTIATE_TEST_SUITE_P(
    Runs, Md6CommandLineTest,
    testing::Values(RunCase{{"-a", "MD6", "--md6", "d=12", "--text", "abc"}, kExitSuccess, "5D7  \"abc\"\n", ""},
                    RunCase{{"-a", "MD6", "--md6", "L=0", "--text", "abc"}, kExitSuccess, kMd6AbcL0, ""},
                    // Two options add up to the same parameters as one.
                    RunCase{{"-a", "MD6", "--md6", "d=256", "--md6", "L=0", "--text", "abc"}, kExitSuccess,
                            kMd6AbcL0, ""},
                    RunCase{{"-a", "MD6", "--md6", "d=600", "--text", "abc"}, kExitUsage, "",
                            "d must be a whole number from 1 to 512"},
                    RunCase{{"-a", "MD6", "--md6", "key=x,d=512", "--text", "abc"}, kExitUsage, "",
                            "looks like another field"},
                    RunCase{{"-a", "MD6", "--md6-key"}, kExitUsage, "", "--md6-key needs a value"},
                    // Parameters for an algorithm that is not chosen are a warning, not an error.
                    RunCase{{"-a", "CRC32", "--md6", "d=12", "--text", "abc"}, kExitSuccess,
                            "352441C2  \"abc\"\n", "warning: --md6 has no effect"},
                    RunCase{{"-a", "CRC32", "--md6-key", "k", "--text", "abc"}, kExitSuccess,
                            "352441C2  \"abc\"\n", "warning: --md6 has no effect"},
                    RunCase{{"--haval", "3,128", "--text", "abc"}, kExitSuccess,
                            "\"abc\"\n      CRC32: 352441C2\n        MD5: 900150983CD24FB0D6963F7D28E17F72\n"
                            "      SHA-1: A9993E364706816ABA3E25717850C26C9CD0D89D\n",
                            "warning: --haval has no effect: Haval is not among"},
                    RunCase{{"-a", "MD6,Haval", "--haval", "3,128", "--md6", "d=12", "--text", "abc"}, kExitSuccess,
                            "\"abc\"\n      Haval: 9E40ED883FB63E985D299B40CDA2B8F2\n        MD6: 5D7\n", ""},
                    // The GNU forms of the same options, and bundled short options.
                    RunCase{{"-sa", "MD6,Haval", "--haval=3,128", "--md6=d=12", "--text=abc"}, kExitSuccess,
                            "\"abc\"\n      Haval: 9e40ed883fb63e985d299b40cda2b8f2\n        MD6: 5d7\n", ""},
                    RunCase{{"--algorithms=md6", "--md6=", "--text=abc"}, kExitUsage, "", "--md6: no fields given"},
                    // --tag lines carry the parameters (never a key), and the peers' spellings.
                    RunCase{{"--tag", "-a", "MD6,Haval", "--haval", "3,128", "--md6", "d=12", "--text", "abc"},
                            kExitSuccess,
                            "HAVAL-128/3 (\"abc\") = 9E40ED883FB63E985D299B40CDA2B8F2\nMD6-12 (\"abc\") = 5D7\n", ""},
                    RunCase{{"--tag", "-a", "MD6", "--md6", "L=0", "--text", "abc"}, kExitSuccess,
                            "MD6-256/L0 (\"abc\") = 93C70C8D38E1D0B583024A3F17C95FE23B3A19BFAD96D567F1E522B89EC7B365\n",
                            ""},
                    RunCase{{"--tag", "-a", "MD6", "--md6", "d=12,r=5,key=secret", "--text", "abc"}, kExitSuccess,
                            "MD6-12/r5 (\"abc\") = BEC\n", ""},
                    RunCase{{"--tag", "-a", "sha256,sha1,md5,rmd160", "--text", "abc"}, kExitSuccess,
                            "MD5 (\"abc\") = 900150983CD24FB0D6963F7D28E17F72\n"
                            "RMD160 (\"abc\") = 8EB208F7E05D987A9B044A8E98C6B087F15A0BFC\n"
                            "SHA1 (\"abc\") = A9993E364706816ABA3E25717850C26C9CD0D89D\n"
                            "SHA256 (\"abc\") = BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD\n",
                            ""}),
    [](const testing::TestParamInfo<RunCase>& param) { return "case" + std::to_string(param.index); });

}  // namespace
}  // namespace sumwise::cli
