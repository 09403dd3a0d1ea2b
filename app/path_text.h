/* Small edits and look-ups on a path held in a caller's buffer. The
 * backslash is the only separator; bytes are looked at one by one. */
#ifndef TOVRIK_APP_PATH_TEXT_H
#define TOVRIK_APP_PATH_TEXT_H

#include <windows.h>

/* Appends a backslash unless the path already ends in one. The buffer must
 * have room for one more character. An empty path is left as it is. */
void AppendBackslash(char *path);

/* Removes one final backslash. With keepRoot set, a backslash that follows a
 * colon (C:\) or stands alone (\) is kept: both name a root. */
void StripTrailingBackslash(char *path, int keepRoot);

/* Cuts a name at its last dot, unless that dot is the first character. */
void StripExtension(char *name);

/* Index of the first character after the last backslash that is not the
 * first character; 0 when there is none. */
WORD FileNameOffset(const char *path);

#endif /* TOVRIK_APP_PATH_TEXT_H */
