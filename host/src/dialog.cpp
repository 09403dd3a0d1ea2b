/* Dialog items: the controls of a dialog, found by their id. */
#include "layer_internal.h"

HostWindow *HostFindDialogItem(HWND dialog, int id)
{
    HostWindow *owner = HostLookupWindow(dialog);
    if (!owner)
        return nullptr;
    for (HWND child : owner->children) {
        HostWindow *item = HostLookupWindow(child);
        if (item && item->id == id)
            return item;
    }
    return nullptr;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HostWindow *item = HostFindDialogItem(dialog, id);
    if (!item) {
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
        return 0;
    }
    return HostSendMessage(item->handle, message, wParam, lParam);
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    return (BOOL)SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, (LPARAM)text);
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount)
{
    if (!text || maxCount <= 0)
        return 0;
    text[0] = '\0';
    return (UINT)SendDlgItemMessageA(dialog, id, WM_GETTEXT, (WPARAM)maxCount, (LPARAM)text);
}
