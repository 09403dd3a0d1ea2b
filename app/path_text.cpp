/* Path text helpers: in place, no state, nothing read past the string. */
#include "app/path_text.h"

void AppendBackslash(char *path)
{
    int length = lstrlenA(path);
    if (length == 0 || path[length - 1] == '\\')
        return;
    path[length] = '\\';
    path[length + 1] = '\0';
}

void StripTrailingBackslash(char *path, int keepRoot)
{
    int length = lstrlenA(path);
    if (length == 0 || path[length - 1] != '\\')
        return;
    if (keepRoot && (length == 1 || path[length - 2] == ':'))
        return;
    path[length - 1] = '\0';
}

void StripExtension(char *name)
{
    for (int i = lstrlenA(name) - 1; i > 0; --i) {
        if (name[i] == '.') {
            name[i] = '\0';
            return;
        }
    }
}

WORD FileNameOffset(const char *path)
{
    /* Scans the caller's text where it lies, so any length is safe; an
     * index beyond 16 bits cannot arise from a path the platform gives. */
    for (int i = lstrlenA(path) - 1; i > 0; --i) {
        if (path[i] == '\\')
            return (WORD)(i + 1);
    }
    return 0;
}
