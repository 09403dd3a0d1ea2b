/* Find-file over drive C:. Not yet written: no folder can be listed. */
#include "layer_internal.h"

void HostResetFindFile(void) {}

HANDLE WINAPI FindFirstFileA(LPCSTR, LPWIN32_FIND_DATAA)
{
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI FindNextFileA(HANDLE, LPWIN32_FIND_DATAA)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI FindClose(HANDLE)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
