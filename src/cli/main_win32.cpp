// sumwise-cli on Windows: wide arguments, so every path opens exactly as
// typed; names are printed in UTF-8 and texts hashed in the ANSI code page,
// as the program hashes typed text.
#include <windows.h>

#include <iostream>
#include <string>

#include "cli/cli.h"
#include "cli/progress_line.h"
#include "cli/standard_stream.h"
#include "update/update_key.h"
#include "cli/system.h"

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

// A standard handle the program was started without. Handles are not
// numbers an opened file could take over, so it stays closed; writes and
// reads on it fail and are reported.
bool isClosed(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

// Ctrl+C leaves no half progress line on the console.
BOOL WINAPI eraseProgressAndEnd(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    std::size_t width = sumwise::cli::ProgressLine::widthOnTerminal();
    if (width > 0) {
        const std::string blank = "\r" + std::string(width, ' ') + "\r";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), blank.data(), static_cast<DWORD>(blank.size()), &written, nullptr);
    }
    return FALSE;  // the default handler ends the program
}

}  // namespace

int wmain(int argc, wchar_t** argv);  // the wide entry point, chosen by -municode

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCtrlHandler(eraseProgressAndEnd, TRUE);
    std::ios::sync_with_stdio(false);

    const std::error_code closed(ERROR_INVALID_HANDLE, std::system_category());
    sumwise::cli::StandardStreamBuffer outputBuffer(false, isClosed(STD_OUTPUT_HANDLE) ? closed : std::error_code{});
    std::ostream output(&outputBuffer);

    std::vector<sumwise::cli::Argument> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        arguments.push_back(
            {sumwise::cli::printedName(argument), std::filesystem::path(argument), convert(argument, CP_ACP)});
    }
    sumwise::cli::Environment environment{output,
                                          std::cerr,
                                          sumwise::openStandardInput,
                                          isConsole(GetStdHandle(STD_ERROR_HANDLE)),
                                          0,
                                          [&] { return outputBuffer.error(); },
                                          isClosed(STD_INPUT_HANDLE) ? closed : std::error_code{}};
    environment.updateKey = sumwise::builtInUpdateKey();
    CONSOLE_SCREEN_BUFFER_INFO console{};
    if (environment.errIsTerminal && GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &console)) {
        environment.terminalColumns = static_cast<unsigned>(console.srWindow.Right - console.srWindow.Left + 1);
    }
    environment.outIsTerminal = isConsole(GetStdHandle(STD_OUTPUT_HANDLE));
    int status = sumwise::cli::run(arguments, environment);
    // What is still buffered must reach its reader too; when the reader
    // went away, the program ends quietly, as the common tools do.
    status = sumwise::cli::finishOutput(environment, status);
    if (environment.outputGone) return sumwise::cli::kExitUnreadable;
    return status;
}
