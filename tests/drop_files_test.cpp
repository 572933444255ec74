// The one name of a shell drop's file list, and every way a list is not one file.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "inputs/drop_files.h"

namespace sumwise {
namespace {

using namespace std::string_literals;

// A block: the offset of the list, the wide flag, then the list as given.
std::string block(std::uint32_t offset, bool wide, const std::string& list) {
    std::string bytes(kDropFilesHeaderSize, '\0');
    for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(offset >> (8 * i));
    bytes[16] = wide ? 1 : 0;
    bytes.resize(std::max<std::size_t>(bytes.size(), offset), '\0');
    return bytes + list;
}

struct DropCase {
    const char* what;
    std::string bytes;
    std::optional<std::string> name;  // the name's bytes; none: not one file
    bool wide = true;
};

void PrintTo(const DropCase& c, std::ostream* os) { *os << c.what; }

class DropFilesTest : public testing::TestWithParam<DropCase> {};

TEST_P(DropFilesTest, FindsTheOnlyName) {
    const DropCase& c = GetParam();
    const auto name = onlyDroppedName(c.bytes);
    ASSERT_EQ(name.has_value(), c.name.has_value());
    if (!name) return;
    EXPECT_EQ(std::string(name->bytes), *c.name);
    EXPECT_EQ(name->wide, c.wide);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, DropFilesTest,
    testing::Values(DropCase{"one wide name", block(20, true, "C\0:\0\\\0a\0\0\0\0\0"s), "C\0:\0\\\0a\0"s},
                    DropCase{"one ANSI name", block(20, false, "C:\\\xE9\0\0"s), "C:\\\xE9"s, false},
                    DropCase{"a list further on", block(40, false, "x\0\0"s), "x"s, false},
                    DropCase{"a wide NUL is two zero bytes, not one", block(20, true, "\0a\0\0\0\0"s), "\0a"s},
                    DropCase{"two names", block(20, true, "a\0\0\0b\0\0\0\0\0"s), std::nullopt},
                    DropCase{"no name", block(20, true, "\0\0"s), std::nullopt},
                    DropCase{"no final NUL", block(20, true, "a\0\0\0"s), std::nullopt},
                    DropCase{"an unterminated name", block(20, false, "abc"s), std::nullopt},
                    DropCase{"an odd byte after the name", block(20, true, "a\0\0\0\0"s), std::nullopt},
                    DropCase{"offset past the end", block(20, false, "a\0\0"s).replace(0, 1, "\x40"), std::nullopt},
                    DropCase{"offset inside the header", block(20, false, "a\0\0"s).replace(0, 1, "\x08"),
                             std::nullopt},
                    DropCase{"header cut short", std::string(19, '\0'), std::nullopt}));

}  // namespace
}  // namespace sumwise
