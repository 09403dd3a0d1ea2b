/* The client search: a depth-first walk of C:\ in the order the file system
 * lists each directory. It never stops early, so the last match wins. */
#include "locator/client_search.h"

#include "app/app_state.h"
#include "app/path_text.h"

static const char kClientFileName[] = "WAOL.EXE";

/* Only a directory with no other attribute is entered: hidden, system,
 * read-only, archived folders and links are compared like files. */
static int IsPlainDirectory(const WIN32_FIND_DATAA *entry)
{
    return entry->dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY;
}

void FindClientOnDrive(void)
{
    char root[8];
    lstrcpyA(root, "C:\\");
    WalkDirectory(root, MatchClientEntry);
}

void WalkDirectory(char *directoryPath, DirectoryVisitor visitor)
{
    static const char kPattern[] = "*.*";
    char path[MAX_PATH];

    /* A path that would not fit is passed over, not cut: a cut one would
     * name some other directory or file. The check comes first, as the
     * caller's buffer may be full already. */
    int directoryLength = lstrlenA(directoryPath);
    if (directoryLength == 0)
        return;
    if (directoryPath[directoryLength - 1] != '\\')
        directoryLength++;
    if (directoryLength + (int)sizeof kPattern > (int)sizeof path)
        return;
    AppendBackslash(directoryPath);
    lstrcpyA(path, directoryPath);
    lstrcatA(path, kPattern);

    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA(path, &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    do {
        entry.cFileName[sizeof entry.cFileName - 1] = '\0';
        if (directoryLength + lstrlenA(entry.cFileName) >= (int)sizeof path)
            continue;
        /* Drops "." and "..", and dot-named folders with all beneath them. */
        if (IsPlainDirectory(&entry) && entry.cFileName[0] == '.')
            continue;
        lstrcpyA(path, directoryPath);
        lstrcatA(path, entry.cFileName);
        visitor(path, &entry);
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
}

void MatchClientEntry(char *entryPath, const WIN32_FIND_DATAA *entry)
{
    if (IsPlainDirectory(entry)) {
        WalkDirectory(entryPath, MatchClientEntry);
        return;
    }
    StripTrailingBackslash(entryPath, TRUE);
    if (lstrcmpiA(entryPath + FileNameOffset(entryPath), kClientFileName) == 0)
        lstrcpyA(g_app.settings.clientPath, entryPath);
}
