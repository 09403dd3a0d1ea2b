/* Capturing the processes that WinExec starts. */
#ifndef TOVRIK_HOST_CONTROL_PROCESS_CONTROL_H
#define TOVRIK_HOST_CONTROL_PROCESS_CONTROL_H

#include <windows.h>

/* Every WinExec call is recorded. With capture on, nothing is started and
 * WinExec returns `result`; with it off, the program really starts. */
void HostCaptureProcessStarts(BOOL capture, UINT result);

struct HostStartedProcess {
    char commandLine[1024];
    UINT showCommand;
    UINT result;
};

int HostStartedProcessCount(void);
const HostStartedProcess *HostStartedProcessAt(int index);

/* Waits for every process that WinExec really started; returns how many. */
int HostWaitForStartedProcesses(void);

#endif /* TOVRIK_HOST_CONTROL_PROCESS_CONTROL_H */
