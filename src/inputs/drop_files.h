// The file list the shell hands over on a drop (a DROPFILES block): a
// 20-byte header whose first field is the offset of the list and whose last
// says whether the names are wide, then the names, each ending with a NUL,
// and one more NUL. Portable: bytes in, the one name out.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace sumwise {

inline constexpr std::size_t kDropFilesHeaderSize = 20;

struct DroppedName {
    bool wide = false;       // UTF-16 little-endian, else the system's ANSI code page
    std::string_view bytes;  // the name's bytes, without its terminator
};

// The one name of the block, at its full length; none when the list holds
// no name or several, or the block is cut short (header, offset or list).
std::optional<DroppedName> onlyDroppedName(std::string_view block);

}  // namespace sumwise
