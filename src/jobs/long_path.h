// Paths beyond the classic 260-character limit. Win32 file calls reach such
// a path only in its extended-length form ("\\?\C:\..." or "\\?\UNC\...").
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace sumwise {

// `path` in a form every Win32 file call accepts at any length: short paths,
// device paths ("\\.\X:") and paths already in extended form stay as they
// are; a longer path is made absolute and given the extended prefix.
std::wstring extendedLengthPath(std::wstring_view path);

}  // namespace sumwise

#endif
