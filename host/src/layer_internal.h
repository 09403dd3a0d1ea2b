/* What the areas of the host layer share with each other. */
#ifndef TOVRIK_HOST_SRC_LAYER_INTERNAL_H
#define TOVRIK_HOST_SRC_LAYER_INTERNAL_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "host_control.h"

/* The record a test asks for by index, or NULL past either end. */
template <typename Record>
const Record *HostRecordAt(const std::vector<Record> &records, int index)
{
    return index >= 0 && (size_t)index < records.size() ? &records[index] : nullptr;
}

/* TRUE, with the last error set, when a test made `call` fail. */
bool HostCallFails(HostCall call, DWORD *error);

/* The platform's error for a failed host call's errno; `otherwise` for an
 * errno that has no counterpart. */
DWORD HostErrorFromErrno(int error, DWORD otherwise);

/* The user's home folder: $HOME, else the account's; "" when neither. */
std::string HostHomeFolder(void);

/* Copies as much of `text` as `size` bytes hold (size at least 1) and
 * terminates it; the number of characters copied. */
size_t HostCopyCut(const std::string &text, char *dest, size_t size);

/* One window of the thread. The property sheet's pages and controls are
 * windows too, so that the dialog-item calls find them. */
struct HostWindow {
    HWND handle = NULL;
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parent = NULL;
    HINSTANCE instance = NULL;
    WNDPROC windowProc = nullptr;
    DLGPROC dialogProc = nullptr;
    int id = -1;
    int textLimit = 0; /* EM_LIMITTEXT: 0 means the edit control's default */
    bool everVisible = false;
    bool enabled = true;
    std::vector<HWND> children;
};

/* Adds a window to the thread's table without sending it anything. */
HostWindow *HostAddWindow(const char *className, const char *text, DWORD style, HWND parent);
HostWindow *HostLookupWindow(HWND window);
/* The child of `dialog` with control id `id`, or NULL. */
HostWindow *HostFindDialogItem(HWND dialog, int id);
/* WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH on the window's own text,
 * as DefWindowProcA and the controls answer them; FALSE, with nothing
 * done, for any other message. */
bool HostTextMessage(HostWindow *window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
/* Sends a message to a window's own procedure (window or dialog). */
LRESULT HostSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* The drive mapping as POSIX text; empty when there is no drive C:. */
std::string HostDriveCFolder(void);
/* A DOS path on a mapped drive as a POSIX path, or nothing when it is on
 * none; names are found without regard to case. */
std::optional<std::string> HostPosixFromDos(const char *dosPath);
/* An absolute POSIX path as the DOS path of a mapped drive, in ANSI. */
std::optional<std::string> HostDosFromPosix(const char *posixPath);

/* What WinExec gives for a started program: any value of HINSTANCE_ERROR
 * or more is success. */
const UINT kHostWinExecStarted = HINSTANCE_ERROR + 1;

/* Starts `file` unwaited with `arguments` (the first is its own name) and
 * `environment`, all host text, as given; kHostWinExecStarted, or the
 * platform's error number of a failed start. */
UINT HostSpawn(const std::string &file, std::vector<std::string> arguments, std::vector<std::string> environment);
/* This process's environment with `name` set to `value`. */
std::vector<std::string> HostEnvironmentWith(const char *name, const std::string &value);

/* Windows programs on this host are started through Wine. */
bool HostIsWindowsProgram(const std::string &posixPath);
/* Starts the Windows program at `dosPath` with `arguments` through Wine;
 * ERROR_BAD_FORMAT, said on standard error, when there is no Wine. */
UINT HostStartWindowsProgram(const std::string &dosPath, const std::vector<std::string> &arguments);

/* Each area drops its state here when the layer is reset. */
void HostResetWindows(void);
void HostResetProcesses(void);
void HostResetModule(void);
void HostResetRegistry(void);
void HostResetFindFile(void);
void HostResetPropertySheet(void);

/* The one conversion between the program's ANSI text (code page 1252) and
 * the host's text (UTF-8), the rule windows.h states. A character that code
 * page 1252 lacks becomes its default character '?'. */
std::string HostAnsiFromUtf16(const WORD *text, size_t length);
/* FALSE when `text` is not UTF-8 or has a character that code page 1252
 * lacks; `ansi` then holds '?' for each such character (and for each byte
 * that starts none), as the platform's A calls give such text. */
bool HostAnsiFromUtf8(const char *text, size_t length, std::string *ansi);
std::string HostUtf8FromAnsi(const char *text, size_t length);
/* Appends one code point as UTF-8. */
void HostAppendUtf8(DWORD codePoint, std::string *utf8);
/* One character each way: FALSE, with '?', for a code point code page 1252
 * lacks. */
bool HostAnsiFromCodePoint(DWORD codePoint, char *ansi);
WORD HostCodePointFromAnsi(unsigned char c);
/* The upper case of an ANSI byte, as lstrcmpiA compares. */
unsigned char HostUpperAnsi(unsigned char c);

#endif /* TOVRIK_HOST_SRC_LAYER_INTERNAL_H */
