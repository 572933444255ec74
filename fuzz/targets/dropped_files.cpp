// The file list of a drop: a whole DROPFILES block, header included.
#include "fuzz_input.h"
#include "inputs/drop_files.h"

using namespace sumwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view block = fuzz::bytesOf(data, size);
    const auto name = onlyDroppedName(block);
    if (!name) return 0;

    const std::size_t unit = name->wide ? 2 : 1;
    fuzz::require(name->bytes.data() >= block.data() + kDropFilesHeaderSize &&
                      name->bytes.data() + name->bytes.size() <= block.data() + block.size(),
                  "the name lies in the block, after the header");
    fuzz::require(!name->bytes.empty() && name->bytes.size() % unit == 0, "the name is whole units");
    for (std::size_t at = 0; at < name->bytes.size(); at += unit) {
        fuzz::require(name->bytes.substr(at, unit).find_first_not_of('\0') != std::string_view::npos,
                      "the name holds no NUL");
    }

    // The same name written into a block of its own reads back the same.
    std::string rebuilt(kDropFilesHeaderSize, '\0');
    rebuilt[0] = static_cast<char>(kDropFilesHeaderSize);
    rebuilt[16] = name->wide ? 1 : 0;
    rebuilt.append(name->bytes);
    rebuilt.append(2 * unit, '\0');
    const auto again = onlyDroppedName(rebuilt);
    fuzz::require(again && again->wide == name->wide && again->bytes == name->bytes, "a written name reads back");
    return 0;
}
