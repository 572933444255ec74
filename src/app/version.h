// The program's version, shown by the About box and the command-line tool and
// compared with the update server's version files.
#pragma once

namespace sumwise {

inline constexpr const char* kVersionText = "1.62.780.7200";
inline constexpr const wchar_t* kVersionWideText = L"1.62.780.7200";

}  // namespace sumwise
