/* The registry of the current user, kept in a file. Not yet written: every
 * key reads as missing and nothing is stored. */
#include "layer_internal.h"

void HostResetRegistry(void) {}
void HostSetRegistryFile(const char *) {}
void HostSetUserName(const char *) {}

LSTATUS WINAPI RegOpenKeyA(HKEY, LPCSTR, PHKEY result)
{
    if (result)
        *result = NULL;
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegCreateKeyA(HKEY, LPCSTR, PHKEY result)
{
    if (result)
        *result = NULL;
    return ERROR_ACCESS_DENIED;
}

LSTATUS WINAPI RegQueryValueA(HKEY, LPCSTR, LPSTR, PLONG)
{
    return ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegSetValueA(HKEY, LPCSTR, DWORD, LPCSTR, DWORD)
{
    return ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegCloseKey(HKEY)
{
    return ERROR_INVALID_HANDLE;
}

BOOL WINAPI GetUserNameA(LPSTR, LPDWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
