// sumwise-cli on Windows: wide arguments, so every path opens exactly as
// typed; names are printed in UTF-8 and texts hashed in the ANSI code page,
// as the program hashes typed text.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <string>

#include "cli/cli.h"

namespace {

std::string convert(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size, nullptr,
                            nullptr);
    }
    return result;
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv);  // the wide entry point, chosen by -municode

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    std::ios::sync_with_stdio(false);
    std::vector<sumwise::cli::Argument> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        arguments.push_back({convert(argument, CP_UTF8), std::filesystem::path(argument), convert(argument, CP_ACP)});
    }
    sumwise::cli::Environment environment{std::cout, std::cerr, sumwise::openStandardInput,
                                          isConsole(GetStdHandle(STD_ERROR_HANDLE)), 0};
    const int status = sumwise::cli::run(arguments, environment);
    std::cout.flush();
    return status;
}
