// Sumwise.exe: the program's entry point.
#include <windows.h>

#include "app/application.h"
#include "text/command_line.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return sumwise::runApplication(instance, sumwise::argumentsOf(GetCommandLineW()));
}
