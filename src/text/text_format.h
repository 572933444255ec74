// Formatting the string table's texts ("File size: %s", "Text length: %i",
// "%s (%s: %02i:%02i:%03i)") safely: the arguments are checked against the
// conversions, so a translation with a wrong conversion shows its text
// instead of reading memory it should not, and the result is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sumwise {

using FormatArgument = std::variant<std::wstring_view, std::int64_t, wchar_t>;

// Supports %s, %c, %i, %d, %u with an optional zero-padded width (%02i),
// and %%. A conversion whose argument is missing or of another kind is
// written as it stands. The result is cut to `maxLength` characters.
std::wstring formatText(std::wstring_view format, const std::vector<FormatArgument>& arguments,
                        std::size_t maxLength = 1023);

}  // namespace sumwise
