/* The file that holds HKEY_CURRENT_USER: read without a lock, changed
 * under one, and never left half-written. */
#ifndef TOVRIK_HOST_SRC_REGISTRY_FILE_H
#define TOVRIK_HOST_SRC_REGISTRY_FILE_H

#include <windows.h>

#include <sys/stat.h>

#include <functional>
#include <string>

#include "registry_key_tree.h"

/* Whether the key at `path` exists ("" for the root, which always does) in
 * the file as it is now; when it does and `key` is not NULL, its values. */
bool RegistryFileReadKey(const std::string &path, RegistryKey *key);

/* Reads the file afresh under its lock, lets `change` edit the tree and,
 * when it says it changed something, puts the new file in place before
 * returning. ERROR_REGISTRY_CORRUPT when the file has a line that cannot
 * be read back whole: such a file is never overwritten. */
LONG RegistryFileChange(const std::function<bool(RegistryKey *root)> &change);

/* Drops what was read of the file, the file override and the faults told. */
void RegistryFileReset(void);

/* Shared by the reading and the writing of the file. */

/* Where the file is now: the override, $TOVRIK_REGISTRY, or the user's
 * configuration folder; "" when the override says there is none. */
std::string RegistryFilePath(void);

/* Tells one state of a file from another. */
std::string RegistryFileStamp(const struct stat &info);

/* The whole file and its stamp; an empty text and stamp when there is no
 * file. False, with errno set, when it cannot be read. */
bool ReadRegistryFile(const std::string &path, std::string *text, std::string *stamp);

/* Tells on standard error that the file (in the state `stamp`) cannot be
 * read or written: once for each state of the file. */
void ReportRegistryFile(const std::string &path, const std::string &stamp, const std::string &fault);
void ReportRegistryLine(const std::string &path, const std::string &stamp, size_t line);

/* Drops the reading room's view of the file. */
void ForgetRegistryFileView(void);

#endif /* TOVRIK_HOST_SRC_REGISTRY_FILE_H */
