/* The property sheet on the host. Not yet written: it cannot be shown. */
#include <commctrl.h>

#include "layer_internal.h"

void HostResetPropertySheet(void) {}

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA)
{
    return -1;
}

LRESULT WINAPI SendDlgItemMessageA(HWND, int, UINT, WPARAM, LPARAM)
{
    return 0;
}

BOOL WINAPI SetDlgItemTextA(HWND, int, LPCSTR)
{
    return FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND, int, LPSTR text, int maxCount)
{
    if (text && maxCount > 0)
        text[0] = '\0';
    return 0;
}
