/* Layer-wide state: forced failures, the last error and the reset. */
#include "layer_internal.h"

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
