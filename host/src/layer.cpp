/* Layer-wide state: forced failures, the last error, the errno map, the
 * home folder and the reset. */
#include "layer_internal.h"

#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

struct ForcedFailure {
    bool active = false;
    DWORD error = 0;
};

ForcedFailure g_failures[HOST_CALL_COUNT];
thread_local DWORD t_lastError = 0;

} // namespace

DWORD WINAPI GetLastError(void)
{
    return t_lastError;
}

void WINAPI SetLastError(DWORD error)
{
    t_lastError = error;
}

std::string HostHomeFolder(void)
{
    const char *home = getenv("HOME");
    if (home && *home)
        return home;
    struct passwd *user = getpwuid(geteuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

DWORD HostErrorFromErrno(int error, DWORD otherwise)
{
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOEXEC: return ERROR_BAD_FORMAT;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    default: return otherwise;
    }
}

void HostFailCall(HostCall call, DWORD error)
{
    if (call >= 0 && call < HOST_CALL_COUNT)
        g_failures[call] = ForcedFailure{ true, error };
}

bool HostCallFails(HostCall call, DWORD *error)
{
    if (call < 0 || call >= HOST_CALL_COUNT || !g_failures[call].active)
        return false;
    if (error)
        *error = g_failures[call].error;
    SetLastError(g_failures[call].error);
    return true;
}

void HostResetLayer(void)
{
    for (ForcedFailure &failure : g_failures)
        failure = ForcedFailure{};
    SetLastError(0);
    HostResetWindows();
    HostResetProcesses();
    HostResetModule();
    HostResetRegistry();
    HostResetFindFile();
    HostResetPropertySheet();
}
