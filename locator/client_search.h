/* The search of drive C: for the client program. */
#ifndef TOVRIK_LOCATOR_CLIENT_SEARCH_H
#define TOVRIK_LOCATOR_CLIENT_SEARCH_H

#include <windows.h>

/* Called for each entry of a listed directory with the entry's full path,
 * in a buffer of MAX_PATH bytes that the visitor may change. */
typedef void (*DirectoryVisitor)(char *entryPath, const WIN32_FIND_DATAA *entry);

/* Walks the whole tree of C:\ and puts the path of the last WAOL.EXE met
 * into the client path; leaves it as it was when there is none. */
void FindClientOnDrive(void);

/* Lists one directory and hands each entry to the visitor; descends into
 * nothing by itself. The directory path gets a trailing backslash in place,
 * so its buffer must have room for one more character. */
void WalkDirectory(char *directoryPath, DirectoryVisitor visitor);

/* The visitor of the search: walks plain directories, compares the rest. */
void MatchClientEntry(char *entryPath, const WIN32_FIND_DATAA *entry);

#endif /* TOVRIK_LOCATOR_CLIENT_SEARCH_H */
