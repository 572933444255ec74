// Small texts and system calls of the check window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace sumwise {

// A name from a sums file: UTF-8 when its bytes are valid UTF-8, else the
// ANSI code page (as sumwise-cli reads it back).
std::wstring wideName(std::string_view name);

// "SPEED/s, TIME left" from the bytes done of `total` after `seconds`; empty
// until there is a speed to tell.
std::wstring speedText(std::uint64_t done, std::uint64_t total, double seconds);

// Puts Unicode text on the clipboard.
bool copyToClipboard(HWND owner, const std::wstring& text);

// Opens the folder holding `path` in Explorer with the file selected.
void showFileInFolder(const std::wstring& path);

}  // namespace sumwise
