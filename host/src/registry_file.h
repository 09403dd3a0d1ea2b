/* The file that holds HKEY_CURRENT_USER: read without a lock, changed
 * under one, and never left half-written. */
#ifndef TOVRIK_HOST_SRC_REGISTRY_FILE_H
#define TOVRIK_HOST_SRC_REGISTRY_FILE_H

#include <functional>

#include "registry_text.h"

/* Whether the key at `path` ("" for the root) exists in the file as it is
 * now; when it does and `key` is not NULL, its values. */
bool RegistryFileReadKey(const std::string &path, RegistryKey *key);

/* Reads the file afresh under its lock, lets `change` edit the tree and,
 * when it says it changed something, puts the new file in place before
 * returning. ERROR_REGISTRY_CORRUPT when the file has a line that cannot
 * be read back whole: such a file is never overwritten. */
LONG RegistryFileChange(const std::function<bool(RegistryKey *root)> &change);

/* Drops the cached view of the file and the file override. */
void RegistryFileReset(void);

#endif /* TOVRIK_HOST_SRC_REGISTRY_FILE_H */
