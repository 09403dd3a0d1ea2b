/* The registry file and the user name on the host. */
#ifndef TOVRIK_HOST_CONTROL_REGISTRY_CONTROL_H
#define TOVRIK_HOST_CONTROL_REGISTRY_CONTROL_H

#include <windows.h>

/* HKEY_CURRENT_USER lives in this file; NULL drops the override, and the
 * file is then TOVRIK_REGISTRY, else $XDG_CONFIG_HOME/tovrik/user.reg
 * (default ~/.config). "" means no file: every key is missing and
 * nothing can be stored.
 *
 * The file is the registry editor's REGEDIT4 text and can be imported on
 * Windows. Where the host differs from the platform:
 * - A file with a line that cannot be read back whole (not a key, value or
 *   comment; junk after a value; another root; another header) is read as
 *   far as it goes, as the editor would import it, but never written: the
 *   calls that would change it fail with ERROR_REGISTRY_CORRUPT, and one
 *   line on standard error names the file and the line.
 * - Writes that cannot reach the disk fail with ERROR_ACCESS_DENIED, or
 *   ERROR_DISK_FULL on a full disk.
 * - Named values and values of other types in a file made by hand are kept
 *   when it is rewritten; comments are not.
 * - A key name with a line break, which the file cannot hold, is refused
 *   with ERROR_INVALID_PARAMETER.
 * - RegOpenKeyA checks the base handle even when the subkey is NULL or ""
 *   (see windows.h).
 * - RegQueryValueA gives a default value of another type as its bytes. */
void HostSetRegistryFile(const char *posixPath);

/* GetUserNameA takes this as the login name (host text, converted as the
 * login name is); NULL gives the login name again. */
void HostSetUserName(const char *name);

#endif /* TOVRIK_HOST_CONTROL_REGISTRY_CONTROL_H */
