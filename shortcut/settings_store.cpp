/* The settings store. Missing keys and values are the normal state of a new
 * copy, so results are looked at only where a read could leave a field
 * holding something other than a whole text. */
#include "shortcut/settings_store.h"

#include "app/app_state.h"
#include "locator/client_search.h"

static const char kSharedKeyPath[] = "America Online";

/* Reads a subkey's default value into a field of `capacity` bytes. A value
 * that does not fit leaves the field empty, as a missing one does: half a
 * screen name or path would be wrong, and the platform does not promise
 * what such a failed read leaves in the buffer. */
static void ReadSetting(HKEY key, const char *subKey, char *field, LONG capacity, LONG *size)
{
    *size = capacity;
    if (RegQueryValueA(key, subKey, field, size) != ERROR_SUCCESS)
        field[0] = '\0';
    field[capacity - 1] = '\0';
}

int LoadSettings(void)
{
    ShortcutSettings *settings = &g_app.settings;
    HKEY key = NULL;
    LONG size;

    RegOpenKeyA(HKEY_CURRENT_USER, g_app.settingsKeyPath, &key);
    ReadSetting(key, "Name", settings->screenName, sizeof settings->screenName, &size);
    if (lstrlenA(settings->screenName) == 0) {
        /* An empty stored name leaves size at 1, so only a name never
         * stored is replaced; a failed read leaves the size it needed. */
        DWORD userNameSize = size < (LONG)sizeof settings->screenName ? (DWORD)size
                                                                      : sizeof settings->screenName;
        if (!GetUserNameA(settings->screenName, &userNameSize))
            settings->screenName[0] = '\0';
        settings->screenName[sizeof settings->screenName - 1] = '\0';
    }
    ReadSetting(key, "Keyword", settings->keyword, sizeof settings->keyword, &size);
    RegCloseKey(key);

    key = NULL;
    RegOpenKeyA(HKEY_CURRENT_USER, kSharedKeyPath, &key);
    ReadSetting(key, "Path", settings->clientPath, sizeof settings->clientPath, &size);
    RegCloseKey(key);

    if (lstrlenA(settings->clientPath) == 0)
        FindClientOnDrive();
    return 1;
}

int SaveSettings(void)
{
    const ShortcutSettings *settings = &g_app.settings;
    HKEY key = NULL;

    RegCreateKeyA(HKEY_CURRENT_USER, g_app.settingsKeyPath, &key);
    RegSetValueA(key, "Name", REG_SZ, settings->screenName, sizeof settings->screenName);
    RegSetValueA(key, "Keyword", REG_SZ, settings->keyword, lstrlenA(settings->keyword));
    RegCloseKey(key);

    key = NULL;
    RegOpenKeyA(HKEY_CURRENT_USER, kSharedKeyPath, &key);
    RegSetValueA(key, "Path", REG_SZ, settings->clientPath, lstrlenA(settings->clientPath));
    RegCloseKey(key);
    return 1;
}
