/* The host's start-up code: what the platform's does before WinMain. */
#include <windows.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "host_control.h"

int main(int argc, char **argv)
{
    HostSetProgramPath(argc > 0 ? argv[0] : nullptr);
    HostAttachSheetToStandardInput(TRUE);
    /* A file opened later would land on a closed descriptor 0 and be
     * taken for standard input: hold it with /dev/null, once the sheet has
     * seen that there is none. */
    if (fcntl(STDIN_FILENO, F_GETFL) == -1) {
        int placeholder = open("/dev/null", O_RDONLY);
        if (placeholder > STDIN_FILENO)
            close(placeholder);
    }
    /* The command-line text after the program's own name. */
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            arguments += ' ';
        arguments += argv[i];
    }
    return WinMain(HostModuleInstance(), NULL, &arguments[0], SW_SHOWDEFAULT);
}
