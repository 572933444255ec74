#include "inputs/drop_files.h"

#include <cstdint>

namespace sumwise {

namespace {

std::uint32_t readLittleEndian32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

// The length in bytes of the name at `list`, before its terminator, or
// none when no terminator follows within the block.
std::optional<std::size_t> nameLength(std::string_view list, std::size_t unit) {
    for (std::size_t at = 0; at + unit <= list.size(); at += unit) {
        if (list.substr(at, unit).find_first_not_of('\0') == std::string_view::npos) return at;
    }
    return std::nullopt;
}

}  // namespace

std::optional<DroppedName> onlyDroppedName(std::string_view block) {
    if (block.size() < kDropFilesHeaderSize) return std::nullopt;
    const std::uint32_t offset = readLittleEndian32(block);
    if (offset < kDropFilesHeaderSize || offset > block.size()) return std::nullopt;
    const bool wide = readLittleEndian32(block.substr(16)) != 0;
    const std::size_t unit = wide ? 2 : 1;

    std::string_view list = block.substr(offset);
    const auto first = nameLength(list, unit);
    if (!first || *first == 0) return std::nullopt;
    const std::string_view name = list.substr(0, *first);
    list.remove_prefix(*first + unit);
    // A second name, or a list that never ends, is not one file.
    const auto second = nameLength(list, unit);
    if (!second || *second != 0) return std::nullopt;
    return DroppedName{wide, name};
}

}  // namespace sumwise
