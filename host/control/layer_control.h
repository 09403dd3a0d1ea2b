/* Layer-wide controls: reset, forced failures, drive and module mapping,
 * compiled resources. */
#ifndef TOVRIK_HOST_CONTROL_LAYER_CONTROL_H
#define TOVRIK_HOST_CONTROL_LAYER_CONTROL_H

#include <windows.h>

/* The calls that a test can make fail. */
enum HostCall {
    HOST_CALL_REGISTER_CLASS,
    HOST_CALL_CREATE_WINDOW,
    HOST_CALL_GET_MODULE_FILE_NAME,
    HOST_CALL_WIN_EXEC,
    HOST_CALL_REG_OPEN_KEY,
    HOST_CALL_REG_CREATE_KEY,
    HOST_CALL_REG_QUERY_VALUE,
    HOST_CALL_REG_SET_VALUE,
    HOST_CALL_GET_USER_NAME,
    HOST_CALL_FIND_FIRST_FILE,
    HOST_CALL_FIND_NEXT_FILE,
    HOST_CALL_PROPERTY_SHEET,
    HOST_CALL_COUNT
};

/* From now on `call` fails with `error` (the value a failed call returns
 * where it returns one, else its last error), until HostResetLayer. */
void HostFailCall(HostCall call, DWORD error);

/* Back to a fresh process: no windows, classes, queued messages, failures,
 * captures or overrides; every area's state dropped. */
void HostResetLayer(void);

/* The instance handle of the program's own module. */
HINSTANCE HostModuleInstance(void);

/* Drive C: is the folder in TOVRIK_DRIVE_C, else the drive_c folder of the
 * Wine prefix ($WINEPREFIX, else ~/.wine) when it exists. An override set
 * here wins over both; NULL drops it. "" means: no drive C:. */
void HostSetDriveC(const char *posixFolder);

/* Maps C:\... into drive C: and Z:\... onto the root, finding each name
 * without regard to case as the platform does. Returns FALSE when the path
 * lies on no mapped drive. */
BOOL HostDosPathToPosix(const char *dosPath, char *posixPath, size_t size);
/* Maps an absolute POSIX path to C:\... when it lies in drive C:, else to
 * Z:\... with every / turned into \, its names in code page 1252 ('?' for
 * a character the code page lacks). */
BOOL HostPosixPathToDos(const char *posixPath, char *dosPath, size_t size);

/* The path by which this program was started (argv[0]); the host's start-up
 * sets it. GetModuleFileNameA gives it mapped to a drive letter. */
void HostSetProgramPath(const char *argv0);
/* Makes GetModuleFileNameA give exactly this text; NULL drops it. */
void HostSetModuleFileName(const char *dosPath);

/* Raw data of a compiled resource, or NULL. Type and name are integer ids
 * (MAKEINTRESOURCEA) or names matched without regard to case. */
const void *HostFindResourceData(LPCSTR type, LPCSTR name, WORD *language, DWORD *size);

#endif /* TOVRIK_HOST_CONTROL_LAYER_CONTROL_H */
