// Where the update server is and what its paths and download names are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sumwise {

// The server the program asks when nothing else is configured.
inline constexpr std::wstring_view kBuiltInUpdateUrl = L"https://update.sumwise.example/";
// The environment variable that points the program at another server (a
// mirror, or the tests' local server).
inline constexpr const wchar_t* kUpdateUrlVariable = L"SUMWISE_UPDATE_URL";
// Longest base URL taken, so every URL built from it stays short.
inline constexpr std::size_t kMaxUpdateUrlLength = 200;

// The base URL to use: `configured` when it is an http or https URL ending
// in "/" (scheme in any letter case, a host, no blanks or control
// characters, at most 200 characters), otherwise the built-in one.
std::wstring updateBaseUrl(std::optional<std::wstring_view> configured);

// base + "files/" + name ("latest.txt", "beta.txt").
std::wstring versionFileUrl(std::wstring_view base, std::wstring_view fileName);
// base + "download.php?file=" + name.
std::wstring downloadUrl(std::wstring_view base, std::wstring_view fileName);

inline constexpr std::wstring_view kLatestFileName = L"latest.txt";
inline constexpr std::wstring_view kBetaFileName = L"beta.txt";
inline constexpr std::wstring_view kSetupFileName = L"SumwiseSetup.exe";

// The portable build's name: "Sumwise_x64.exe", "Sumwise_x86.exe" for the
// 32-bit build, with "_beta" before the extension on the beta channel.
std::wstring portableFileName(bool x86, bool beta);

}  // namespace sumwise
