/* The process-wide state of one shortcut run: filled at start-up and kept,
 * never freed, until the process ends. */
#ifndef TOVRIK_APP_APP_STATE_H
#define TOVRIK_APP_APP_STATE_H

#include <windows.h>

/* The settings of one shortcut copy; every field is always NUL-terminated
 * within its buffer. */
struct ShortcutSettings {
    char screenName[12];
    char keyword[60];
    char clientPath[MAX_PATH];
};

struct AppState {
    HINSTANCE instance;
    char className[20];
    char title[40];
    char settingsKeyPath[256];
    char moduleFileName[MAX_PATH];
    char moduleBaseName[256];
    HWND mainWindow;
    int sheetAccepted;
    ShortcutSettings settings;
};

extern AppState g_app;

#endif /* TOVRIK_APP_APP_STATE_H */
