/* The stand-in client for the Windows target: appends the command line it
 * was started with, as GetCommandLineA gives it, to the file named by
 * STAND_IN_CLIENT_LOG, one line per start. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show)
{
    char logPath[MAX_PATH];
    (void)instance;
    (void)previous;
    (void)arguments;
    (void)show;
    DWORD length = GetEnvironmentVariableA("STAND_IN_CLIENT_LOG", logPath, sizeof logPath);
    if (length == 0 || length >= sizeof logPath)
        return 1;

    /* Opened for appending only, so starts that overlap cannot overwrite
     * each other's lines. */
    HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    const char *line = GetCommandLineA();
    DWORD written;
    WriteFile(log, line, lstrlenA(line), &written, NULL);
    WriteFile(log, "\r\n", 2, &written, NULL);
    CloseHandle(log);
    return 0;
}
