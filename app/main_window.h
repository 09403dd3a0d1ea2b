/* The hidden main window: its class, its creation and its procedure. */
#ifndef TOVRIK_APP_MAIN_WINDOW_H
#define TOVRIK_APP_MAIN_WINDOW_H

#include <windows.h>

/* Posted once at start-up; handling it is the whole run of the shortcut. */
#define WM_START_SHORTCUT (WM_USER + 0x400)

int RegisterMainClass(void);
int CreateMainWindow(void);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif /* TOVRIK_APP_MAIN_WINDOW_H */
