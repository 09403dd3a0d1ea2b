/* The hidden main window. It is never shown: it exists to receive the one
 * start message and to parent the settings sheet. */
#include "app/main_window.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "shortcut/shortcut_run.h"

int RegisterMainClass(void)
{
    WNDCLASSA wndClass;
    wndClass.style = CS_BYTEALIGNCLIENT;
    wndClass.lpfnWndProc = MainWindowProc;
    wndClass.cbClsExtra = 0;
    wndClass.cbWndExtra = 0;
    wndClass.hInstance = g_app.instance;
    wndClass.hIcon = LoadIconA(g_app.instance, "tovrik");
    wndClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wndClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wndClass.lpszMenuName = NULL;
    wndClass.lpszClassName = g_app.className;
    return RegisterClassA(&wndClass) != 0;
}

int CreateMainWindow(void)
{
    g_app.mainWindow = CreateWindowExA(WS_EX_LEFT, g_app.className, "", WS_DISABLED, 0, 0, 0, 0,
                                       NULL, NULL, g_app.instance, NULL);
    return g_app.mainWindow != NULL;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        InitCommonControls();
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_START_SHORTCUT:
        RunShortcut(window);
        PostQuitMessage(0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
