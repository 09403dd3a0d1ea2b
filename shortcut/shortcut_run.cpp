/* The run of a shortcut copy: load the settings, complete them in the sheet
 * on a first run, and start the client with them. */
#include "shortcut/shortcut_run.h"

#include "sheet/settings_sheet.h"
#include "shortcut/settings_store.h"

const char kDefaultKeyword[] = "http://vurezez.example/";

static_assert(sizeof kDefaultKeyword <= sizeof(((ShortcutSettings *)0)->keyword),
              "the default keyword must fit its field");

/* The client reads an address after -u; four letters and a colon, as in
 * "http:", mark one. */
static int IsWebAddress(const char *keyword)
{
    return lstrlenA(keyword) >= 5 && keyword[4] == ':';
}

void BuildClientCommandLine(const ShortcutSettings *settings, char *commandLine)
{
    lstrcpyA(commandLine, settings->clientPath);
    if (lstrlenA(settings->screenName) != 0) {
        lstrcatA(commandLine, " -n");
        lstrcatA(commandLine, settings->screenName);
    }
    if (lstrlenA(settings->keyword) != 0) {
        lstrcatA(commandLine, IsWebAddress(settings->keyword) ? " -u" : " -s");
        lstrcatA(commandLine, settings->keyword);
    }
}

int RunShortcut(HWND mainWindow)
{
    ShortcutSettings *settings = &g_app.settings;

    LoadSettings();
    if (lstrlenA(settings->keyword) == 0) {
        lstrcpyA(settings->keyword, kDefaultKeyword);
        if (!ShowSettingsSheet(mainWindow))
            return 0;
    }

    char commandLine[kClientCommandLineSize];
    BuildClientCommandLine(settings, commandLine);
    return WinExec(commandLine, SW_SHOWNORMAL) > 31;
}
