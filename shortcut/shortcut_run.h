/* The run of a shortcut copy: settings in, client command line out. */
#ifndef TOVRIK_SHORTCUT_SHORTCUT_RUN_H
#define TOVRIK_SHORTCUT_SHORTCUT_RUN_H

#include <windows.h>

#include "app/app_state.h"

/* The keyword a new copy offers: the maker's web page. */
extern const char kDefaultKeyword[];

/* Room for the longest parts: a full path, both switches and both values. */
enum { kClientCommandLineSize = sizeof(((ShortcutSettings *)0)->clientPath) + 3 +
                                sizeof(((ShortcutSettings *)0)->screenName) + 3 +
                                sizeof(((ShortcutSettings *)0)->keyword) };

/* Nonzero when the client was started; 0 when the sheet was cancelled or
 * the start failed. */
int RunShortcut(HWND mainWindow);

/* The client path, then " -n" and the screen name, then " -u" or " -s" and
 * the keyword; an empty value leaves its switch out. */
void BuildClientCommandLine(const ShortcutSettings *settings, char *commandLine);

#endif /* TOVRIK_SHORTCUT_SHORTCUT_RUN_H */
