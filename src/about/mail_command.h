// The command line that starts the user's mail client on a new message:
// the command the client registered for mailto links, with its environment
// references expanded and its "%1" replaced by "ADDRESS?subject=SUBJECT".
// Portable and total: any template gives a command line or none.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sumwise {

// Limits of the command, in characters.
inline constexpr std::size_t kMailTemplateMaxLength = 260;
inline constexpr std::size_t kMailExpandedMaxLength = 320;
inline constexpr std::size_t kMailArgumentMaxLength = 63;
inline constexpr std::size_t kMailCommandLineMaxLength = 255;

// An environment variable's value, or none when it is not set.
using EnvironmentLookup = std::function<std::optional<std::wstring>(std::wstring_view name)>;

// Expands "%NAME%" references the way Windows does: a set variable is
// replaced by its value; an unset one, and a '%' without a closing one,
// stay as written.
std::wstring expandEnvironmentReferences(std::wstring_view text, const EnvironmentLookup& environment);

// The command line, or none when the template holds no "%1" or when the
// template, its expansion, the argument or the command line would exceed
// its limit (a cut command would start something else), or when it would
// hold a NUL. The template is never used as a format: only its first "%1"
// is replaced, literally.
std::optional<std::wstring> mailCommandLine(std::wstring_view commandTemplate, std::wstring_view address,
                                            std::wstring_view subject, const EnvironmentLookup& environment);

}  // namespace sumwise
