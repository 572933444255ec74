// Reading a hash file (or a sums file in its place) back into a value, telling
// other tools' sums files by their lines, and the digest part of a pasted sums
// line in the compare box.
#include "fuzz_input.h"
#include "results/hash_file.h"

using namespace sumwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);

    const HashFileValue plain = hashFileValue(bytes);
    // Without a name to look for, the value is the first line's digest or the
    // first token: never a blank, a line end or a NUL, and at most 129
    // characters (UTF-8 text: up to four bytes each).
    fuzz::require(plain.text.size() <= kHashFileTokenLimit * 4, "the first token is bounded");
    fuzz::require(plain.text.find_first_of(std::string_view(" \t\r\n\0", 5)) == std::string::npos,
                  "the first token holds no separator");

    // The input is "abc.txt" (in either encoding); its line's digest wins.
    const HashFileValue named =
        hashFileValue(bytes, [](std::string_view name, TextEncoding) { return name == "abc.txt"; });
    fuzz::require(named.text.size() <= bytes.size() * 3 / 2 + 3, "the value comes from the file");

    // Whether a file named like other tools' sums files is taken for one.
    static_cast<void>(holdsSumsLines(bytes));

    const std::string compared = compareValue(bytes);
    fuzz::require(compared.size() <= bytes.size(), "the compare value is part of the text");
    return 0;
}
