// The /CHECK:PATH option: the program opens the check window for a sums file
// instead of its main window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sumwise {

// The PATH of the first /CHECK: option (any letter case): the option may be
// quoted whole ("/CHECK:C:\a b\SUMS") or its path alone (/CHECK:"C:\a b\SUMS");
// an unquoted path runs to the next option or the end, trailing blanks cut.
// None without the option or with an empty path.
std::optional<std::wstring> checkOption(std::wstring_view commandLine);

}  // namespace sumwise
