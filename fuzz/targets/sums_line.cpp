// One line of a sums file in any of its layouts, the escaping of names, and
// UTF-16 text turned into UTF-8.
#include "fuzz_input.h"
#include "results/hash_file.h"
#include "results/sums_line.h"

using namespace sumwise;

namespace {

bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);

    if (const auto line = parseSumsLine(bytes)) {
        fuzz::require(!line->digest.empty() && isHexDigits(line->digest), "a parsed digest is hexadecimal");
        fuzz::require(line->tagged || line->algorithm.empty(), "only tagged lines name an algorithm");
        fuzz::require(!(line->tagged && line->binary), "the binary marker belongs to untagged lines");
    }

    // Any name survives being written into a sums line and read back.
    bool escaped = false;
    const std::string written = escapeSumsName(bytes, escaped);
    fuzz::require(written.find_first_of("\r\n") == std::string::npos, "an escaped name fits on one line");
    const auto back = escaped ? unescapeSumsName(written) : std::optional<std::string>(written);
    fuzz::require(back && *back == bytes, "escaping a name is undone by unescaping it");
    (void)unescapeSumsName(bytes);

    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    fuzz::require(validUtf8(utf16ToUtf8(units)), "UTF-16 becomes valid UTF-8");
    return 0;
}
