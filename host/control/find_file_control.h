/* Find-file controls on the host: attribute words fixed for tests, the
 * per-file detail switch, and a count of open listings. */
#ifndef TOVRIK_HOST_CONTROL_FIND_FILE_CONTROL_H
#define TOVRIK_HOST_CONTROL_FIND_FILE_CONTROL_H

#include <windows.h>

/* From now on the entry at `dosPath` (mapped as HostDosPathToPosix maps it
 * now) lists with exactly `attributes`, whatever its kind, mode and extended
 * attributes say; its hidden and system bits show in its own "." entry too.
 * Lays out words the file system cannot hold, such as archive on a folder.
 * FALSE when the path lies on no mapped drive. Dropped by HostResetLayer. */
BOOL HostFixFindAttributes(LPCSTR dosPath, DWORD attributes);

/* Regular files list without a look at their inode by default: their word
 * is archive plus hidden for a dot name, and their size and times are 0.
 * With `exact` set every file is looked at, so that read-only and the
 * hidden and system bits of user.DOSATTRIB show, with its size and times.
 * Back to the default on HostResetLayer. */
void HostSetFindFileDetail(BOOL exact);

/* Listings opened by FindFirstFileA and not yet closed. */
int HostOpenFindListings(void);

#endif /* TOVRIK_HOST_CONTROL_FIND_FILE_CONTROL_H */
