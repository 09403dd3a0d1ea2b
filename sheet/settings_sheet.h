/* The property sheet in which a new copy's settings are completed. */
#ifndef TOVRIK_SHEET_SETTINGS_SHEET_H
#define TOVRIK_SHEET_SETTINGS_SHEET_H

#include <windows.h>

/* Shows the sheet modally over `parent`. Returns 1 when the user pressed OK
 * (the settings are then in g_app.settings and saved), 0 when the sheet was
 * cancelled or could not be shown. */
int ShowSettingsSheet(HWND parent);

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InfoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif /* TOVRIK_SHEET_SETTINGS_SHEET_H */
