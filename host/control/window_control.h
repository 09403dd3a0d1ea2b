/* Looking into windows, messages and message boxes from tests. */
#ifndef TOVRIK_HOST_CONTROL_WINDOW_CONTROL_H
#define TOVRIK_HOST_CONTROL_WINDOW_CONTROL_H

#include <windows.h>

struct HostWindowInfo {
    char className[64];
    char title[256];
    DWORD style;
    DWORD exStyle;
    int x, y, width, height;
    HWND parent;
    HINSTANCE instance;
    BOOL everVisible; /* has ever carried WS_VISIBLE */
};

BOOL HostGetWindowInfo(HWND window, HostWindowInfo *info);
/* The class as registered, or FALSE when no class has that name. */
BOOL HostGetClassInfo(LPCSTR className, WNDCLASSA *wndClass);
/* Destroys a window as the platform does: WM_DESTROY reaches it first. */
BOOL HostDestroyWindow(HWND window);

/* How often DefWindowProcA was given `message` since the last reset. */
int HostDefWindowProcCount(UINT message);
int HostInitCommonControlsCount(void);
/* TRUE when PostQuitMessage was called and its WM_QUIT not yet fetched. */
BOOL HostQuitPending(int *exitCode);

struct HostMessageBox {
    HWND owner;
    char text[512];
    char caption[128];
    UINT type;
    int beepsBefore; /* MessageBeep calls made before this box */
};

int HostMessageBoxCount(void);
const HostMessageBox *HostMessageBoxAt(int index);
int HostBeepCount(void);
UINT HostBeepTypeAt(int index);

#endif /* TOVRIK_HOST_CONTROL_WINDOW_CONTROL_H */
