/* GetUserNameA: the login name of the process's user, in ANSI text. */
#include "layer_internal.h"
#include "user_name.h"

#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

std::optional<std::string> g_override;

/* The login name of the effective user, as the platform gives the name
 * of the process's user id; the environment only when there is no entry
 * for that id. */
const char *LoginName(void)
{
    if (g_override)
        return g_override->c_str();
    struct passwd *user = getpwuid(geteuid());
    if (user && user->pw_name && *user->pw_name)
        return user->pw_name;
    const char *login = getenv("USER");
    if (!login || !*login)
        login = getenv("LOGNAME");
    return login && *login ? login : NULL;
}

} // namespace

void HostResetUserName(void)
{
    g_override.reset();
}

void HostSetUserName(const char *name)
{
    g_override = name ? std::optional<std::string>(name) : std::nullopt;
}

BOOL WINAPI GetUserNameA(LPSTR buffer, LPDWORD size)
{
    DWORD forced;
    if (HostCallFails(HOST_CALL_GET_USER_NAME, &forced))
        return FALSE;
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char *login = LoginName();
    if (!login) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::string name;
    HostAnsiFromUtf8(login, strlen(login), &name); /* '?' stands in: see windows.h */
    DWORD needed = (DWORD)name.size() + 1;
    if (!buffer || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return TRUE;
}
