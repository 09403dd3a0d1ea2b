/* The entry of the process: one hidden window, one start message, one run. */
#include "app/win_main.h"

#include "app/app_state.h"
#include "app/error_box.h"
#include "app/main_window.h"
#include "app/path_text.h"
#include "res/resource.h"

static const char kSettingsRoot[] = "America Online\\";

int DeriveSettingsKeyPath(void)
{
    g_app.moduleBaseName[0] = '\0';
    g_app.settingsKeyPath[0] = '\0';

    const char *fileName = g_app.moduleFileName + FileNameOffset(g_app.moduleFileName);
    if (lstrlenA(fileName) >= (int)sizeof g_app.moduleBaseName)
        return 0;
    lstrcpyA(g_app.moduleBaseName, fileName);
    StripExtension(g_app.moduleBaseName);

    if (lstrlenA(kSettingsRoot) + lstrlenA(g_app.moduleBaseName) >= (int)sizeof g_app.settingsKeyPath) {
        g_app.moduleBaseName[0] = '\0';
        return 0;
    }
    lstrcpyA(g_app.settingsKeyPath, kSettingsRoot);
    lstrcatA(g_app.settingsKeyPath, g_app.moduleBaseName);
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_app.instance = instance;
    LoadStringA(instance, IDS_CLASS_NAME, g_app.className, sizeof g_app.className);
    LoadStringA(instance, IDS_TITLE, g_app.title, sizeof g_app.title);

    if (!RegisterMainClass()) {
        ShowErrorBox(IDS_ERR_REGISTER_CLASS);
        return 0;
    }

    /* A name cut to fit the buffer would be another file's name. */
    DWORD length = GetModuleFileNameA(instance, g_app.moduleFileName, sizeof g_app.moduleFileName);
    g_app.moduleFileName[sizeof g_app.moduleFileName - 1] = '\0';
    if (length >= sizeof g_app.moduleFileName || !DeriveSettingsKeyPath()) {
        ShowErrorBox(IDS_ERR_NAME_TOO_LONG);
        return 0;
    }

    if (!CreateMainWindow()) {
        ShowErrorBox(IDS_ERR_CREATE_WINDOW);
        return 0;
    }

    PostMessageA(g_app.mainWindow, WM_START_SHORTCUT, 0, 0);

    MSG msg = {};
    /* GetMessageA gives -1 on error; that ends the loop too. */
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return msg.message == WM_QUIT ? (int)msg.wParam : 0;
}
