/* The host's start-up code: what the platform's does before WinMain. */
#include <windows.h>

#include <string>

#include "host_control.h"

int main(int argc, char **argv)
{
    HostSetProgramPath(argc > 0 ? argv[0] : nullptr);
    HostAttachSheetToStandardInput(TRUE);
    /* The command-line text after the program's own name. */
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            arguments += ' ';
        arguments += argv[i];
    }
    return WinMain(HostModuleInstance(), NULL, &arguments[0], SW_SHOWDEFAULT);
}
