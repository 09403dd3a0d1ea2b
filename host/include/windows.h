/* The Win32 subset that tovrik uses, declared for the host build.
 * Signatures, constants and error codes are the platform's; where the host
 * cannot behave as Windows does, the declaration says so.
 *
 * Text: inside the program and in the settings file, text is ANSI, code
 * page 1252, as on the platform. Text that crosses to the host side (file
 * names, the program's own path, the login name, the sheet's script and
 * terminal, the command line of a started program) is UTF-8, the locale's
 * encoding on any Linux system of today; a locale of another encoding is
 * not followed. The layer converts at each crossing, both ways by one
 * conversion. Where host text holds a character code page 1252 lacks, the
 * crossing says what it does with it: the A calls give '?', the platform's
 * default character, as they do on the platform. */
#ifndef TOVRIK_HOST_WINDOWS_H
#define TOVRIK_HOST_WINDOWS_H

/* ---- Constants: also read by the resource compiler ---- */

#define MAX_PATH 260

#define LANG_ENGLISH 0x09
#define SUBLANG_ENGLISH_US 0x01

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_LEFT 0x00000000L

#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L

#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_GROUPBOX 0x00000007L
#define BS_TYPEMASK 0x0000000FL
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_BLACKFRAME 0x00000007L
#define SS_WHITEFRAME 0x00000009L
#define SS_TYPEMASK 0x0000001FL
#define ES_LEFT 0x0000L
#define ES_AUTOHSCROLL 0x0080L

#define VS_FF_DEBUG 0x1L
#define VOS_UNKNOWN 0x0L
#define VFT_UNKNOWN 0x0L
#define VFT2_UNKNOWN 0x0L

#ifndef RC_INVOKED

#include <stddef.h>
#include <stdint.h>

/* ---- Types ---- */

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef WORD ATOM;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef DWORD *LPDWORD;
typedef LONG *PLONG;
typedef void *HANDLE;

typedef struct HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HWND__ *HWND;
typedef struct HICON__ *HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__ *HBRUSH;
typedef struct HMENU__ *HMENU;
typedef struct HKEY__ *HKEY;
typedef HKEY *PHKEY;
typedef LONG LSTATUS;

#define TRUE 1
#define FALSE 0

#define MAKEINTRESOURCEA(i) ((LPSTR)(ULONG_PTR)(WORD)(i))
#define MAKELANGID(primary, sub) ((((WORD)(sub)) << 10) | (WORD)(primary))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

/* ---- Errors ---- */

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_BAD_FORMAT 11L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_DISK_FULL 112L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_DIRECTORY 267L
#define ERROR_REGISTRY_CORRUPT 1015L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_CANT_RESOLVE_FILENAME 1921L

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

/* ---- Strings (KERNEL32) ---- */

/* Like the platform's, these copy and compare without bounds; unlike it,
 * they do not catch access faults on bad pointers. */
LPSTR WINAPI lstrcpyA(LPSTR dest, LPCSTR src);
LPSTR WINAPI lstrcatA(LPSTR dest, LPCSTR src);
int WINAPI lstrlenA(LPCSTR s);
/* Compares as the platform does for code page 1252 letters without regard
 * to case; the platform's word-sort weighting of punctuation is not
 * reproduced: other bytes compare by their value. */
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);

/* ---- Module and process (KERNEL32) ---- */

/* Gives the path by which this copy was started (a symbolic link keeps its
 * own name), mapped to a drive letter (see host_control.h) and in code page
 * 1252, so that a copy named with an accented letter keeps its settings
 * under the key the platform gives it. A letter the code page lacks becomes
 * '?', as on the platform. */
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

/* WinExec's results below this are the error of a failed start. */
#define HINSTANCE_ERROR 32

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWDEFAULT 10

/* Finds the program as the platform does for an unquoted command line and
 * starts it without waiting: HINSTANCE_ERROR + 1 when it started, else the
 * platform's error of the failed start, which becomes ERROR_BAD_FORMAT
 * when it is HINSTANCE_ERROR or more, as on the platform. Unlike the
 * platform, the program sees its command line split into arguments; the
 * whole text is also handed to it in the environment variable
 * HOST_COMMAND_LINE. Both are host text, UTF-8 converted from code page
 * 1252.
 * A Windows program (its file begins with "MZ") is started through Wine as
 * `<loader> <its DOS path> <arguments>`: the loader in TOVRIK_WINE, else
 * wine on PATH; when drive C: is a prefix's drive_c, Wine is given that
 * prefix as WINEPREFIX. The path and arguments are host text too, which Wine
 * turns back into the prefix's code page. Where the platform hands the
 * program its command line as written, such a program sees the line Wine
 * rebuilds from those arguments, with its path in quotes and spacing made
 * single: `"C:\AOL30\WAOL.EXE" -nReader7 -sStocks`. With no loader to be
 * found or started, the result is ERROR_BAD_FORMAT and a line on standard
 * error says that Wine is needed. */
UINT WINAPI WinExec(LPCSTR commandLine, UINT showCommand);

/* ---- Find files (KERNEL32) ---- */

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
/* dwReserved0 of a reparse point that is a symbolic link */
#define IO_REPARSE_TAG_SYMLINK 0xA000000CL

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

/* Lists the folder of `fileName` on a mapped drive as the platform does
 * over Linux folders: "." and ".." first except at a drive root, then the
 * names in ordinal order of their upper case. The last name is a pattern:
 * `*` takes any run, `?` one character, other characters compare without
 * regard to case, and a final ".*" also takes a name without a dot ("*.*"
 * takes every name). Errors: 3 for a missing folder, one on no mapped
 * drive, or a path through a file or dangling link; 123 when the folder
 * named is a file or a dangling link; 1921 for a link loop on the way; 2
 * when no name matches, but 18 when the only names that match are links
 * left out (below); 206 for a path of MAX_PATH or more characters.
 * Attribute words: folder 0x10, file 0x20; a dot name adds hidden; a folder
 * with no write bit adds read-only; the hidden and system bits of the
 * extended attribute user.DOSATTRIB are added; a link to a folder is 0x410
 * plus its target's read-only, hidden and system bits; a link to a file lists as a
 * file; dangling links and link loops are left out. Unlike the platform,
 * regular files are listed without a look at their inode, so they carry
 * no read-only or DOSATTRIB bits and a size and times of 0 (see
 * HostSetFindFileDetail in host_control.h to have them).
 * Names are the host's UTF-8 names in code page 1252. A name that it
 * cannot show exactly, that is not UTF-8, or that holds a character the
 * platform forbids in names (\ / : * ? " < > | and controls) is left out,
 * so every listed name leads back to its entry; Wine lists such a name in
 * a form of its own that does not. cAlternateFileName is
 * always empty: the host makes no short names. */
HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
/* The next entry; FALSE with 18 at the end of the listing, and again on
 * each later call; 6 for a handle that is not an open listing. */
BOOL WINAPI FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData);
/* FALSE with 6 for NULL, INVALID_HANDLE_VALUE or a closed listing. Unlike
 * Wine, which calls any readable pointer closed and returns TRUE, the layer
 * refuses every handle that is not an open listing. */
BOOL WINAPI FindClose(HANDLE findFile);

/* ---- Registry and user name (ADVAPI32) ---- */

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001)
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

/* HKEY_CURRENT_USER is the only root, and it lives in one file of registry
 * editor text (where, and what the file keeps: registry_control.h). Where
 * the layer differs from the platform:
 * - Each change is saved at once, so a call that changes a key fails when
 *   the file cannot be written: ERROR_ACCESS_DENIED for a file or folder
 *   that cannot be reached or written, ERROR_DISK_FULL on a full disk.
 *   The platform keeps the change in memory and succeeds.
 * - A file with a line that cannot be read back whole is read as far as
 *   it goes but never written: the calls that would change it give
 *   ERROR_REGISTRY_CORRUPT, so the user's settings are never lost.
 * - A key name with a line break, which the file cannot hold, is
 *   ERROR_INVALID_PARAMETER.
 * - A default value of another type (from a file made by hand) reads as
 *   its bytes. */

/* Key paths as the platform reads them: names compare without regard to
 * case; backslashes after the first name, repeated or trailing, only
 * separate names; a leading backslash is 161 and makes nothing; '/' is an
 * ordinary character. A NULL base handle is 6 before the out handle is
 * touched; any other failure sets it to NULL.
 * RegOpenKeyA: a missing key is 2; a NULL or "" subkey gives the base
 * handle itself. Unlike Wine, which hands that base back unlooked-at, the
 * layer refuses a base that is not open with 6 and NULL, as RegCreateKeyA
 * does on both, so a closed key is never taken for a live one.
 * RegCreateKeyA: every missing level is made; a NULL or "" subkey gives a
 * new handle to the base key. */
LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LSTATUS WINAPI RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
/* The default value of the subkey (NULL or "": of the key itself). A
 * handle that is not open is 6 and a missing subkey 2, buffer and size
 * untouched. A value that does not fit whole is 234 with the size it needs
 * and the buffer untouched; a NULL buffer gives the size. A key without a
 * default value reads as "" (size 1). Unlike Wine, which writes that ""
 * even into a buffer of size 0 and calls it success, the layer writes
 * nothing it has no room for and gives 234 and size 1. */
LSTATUS WINAPI RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR data, PLONG size);
/* Stores the text up to its NUL as REG_SZ, whatever `size` says, making
 * every missing level; another type or NULL data is 87 and makes nothing. */
LSTATUS WINAPI RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD size);
/* 6 for a handle that is not open, a second close included. The layer
 * never gives a handle value out twice; the platform may. */
LSTATUS WINAPI RegCloseKey(HKEY key);

/* The login name of the process's user id in code page 1252; when the
 * system has no entry for that id, $USER, else $LOGNAME, and with none of
 * them FALSE with ERROR_ACCESS_DENIED. A letter the
 * code page lacks (and a byte of a name that is not UTF-8) becomes '?', as
 * the platform's A call gives a name it cannot convert: the call succeeds,
 * so the sheet still offers the name, and the user sees the '?' there and
 * can correct it, where failing would leave the field empty with no hint. */
BOOL WINAPI GetUserNameA(LPSTR buffer, LPDWORD size);

/* ---- Windows and messages (USER32) ---- */

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct tagNMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
} NMHDR, *LPNMHDR;

#define CS_BYTEALIGNCLIENT 0x1000
#define COLOR_WINDOW 5
#define IDC_ARROW MAKEINTRESOURCEA(32512)

#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_QUIT 0x0012
#define WM_NOTIFY 0x004E
#define WM_NCCREATE 0x0081
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_USER 0x0400

#define EM_LIMITTEXT 0x00C5

#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define IDOK 1
#define IDCANCEL 2

ATOM WINAPI RegisterClassA(const WNDCLASSA *wndClass);
/* Sends WM_NCCREATE and WM_CREATE during creation, as the platform does; the
 * sizing messages that come before them on the platform are not sent. */
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/* One thread owns every window here. Where the platform would wait for ever
 * on an empty queue, nothing could ever post to it, so this returns -1. */
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
BOOL WINAPI TranslateMessage(const MSG *msg);
LRESULT WINAPI DispatchMessageA(const MSG *msg);
void WINAPI PostQuitMessage(int exitCode);

#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)

/* Resources come from the resource script compiled into this program. */
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);

/* On the host the box is a few lines on standard error, answered at once
 * with IDOK; the beep is a bell there. */
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL WINAPI MessageBeep(UINT type);

/* Dialog items: the controls of the property sheet's pages. */
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount);

/* The program's entry: the host's start-up code calls it. */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

#endif /* RC_INVOKED */
#endif /* TOVRIK_HOST_WINDOWS_H */
