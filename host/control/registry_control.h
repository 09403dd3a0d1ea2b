/* The registry file and the user name on the host. */
#ifndef TOVRIK_HOST_CONTROL_REGISTRY_CONTROL_H
#define TOVRIK_HOST_CONTROL_REGISTRY_CONTROL_H

#include <windows.h>

/* HKEY_CURRENT_USER lives in this file; NULL drops the override, and the
 * file is then TOVRIK_REGISTRY, else $XDG_CONFIG_HOME/tovrik/user.reg
 * (default ~/.config). */
void HostSetRegistryFile(const char *posixPath);

/* GetUserNameA gives this name; NULL gives the login name again. */
void HostSetUserName(const char *name);

#endif /* TOVRIK_HOST_CONTROL_REGISTRY_CONTROL_H */
