/* The common controls that tovrik uses, declared for the host build. */
#ifndef TOVRIK_HOST_COMMCTRL_H
#define TOVRIK_HOST_COMMCTRL_H

#include <windows.h>

void WINAPI InitCommonControls(void);

/* ---- Property sheets ---- */

#define PSP_DEFAULT 0x00000000
#define PSH_PROPSHEETPAGE 0x00000008

#define PSN_FIRST (0U - 200U)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSNRET_NOERROR 0

#define PSM_CHANGED (WM_USER + 104)

typedef struct _PROPSHEETPAGEA *LPPROPSHEETPAGEA;
typedef UINT(CALLBACK *LPFNPSPCALLBACKA)(HWND, UINT, LPPROPSHEETPAGEA);

/* The fields of a page record in its first version, the layout that every
 * version of the common controls accepts. */
#define TOVRIK_PROPSHEETPAGEA_V1_FIELDS \
    DWORD dwSize;                       \
    DWORD dwFlags;                      \
    HINSTANCE hInstance;                \
    union {                             \
        LPCSTR pszTemplate;             \
        const void *pResource;          \
    };                                  \
    union {                             \
        HICON hIcon;                    \
        LPCSTR pszIcon;                 \
    };                                  \
    LPCSTR pszTitle;                    \
    DLGPROC pfnDlgProc;                 \
    LPARAM lParam;                      \
    LPFNPSPCALLBACKA pfnCallback;       \
    UINT *pcRefParent;

/* Its size is 40 bytes on 32-bit Windows and 72 on 64-bit Windows, as here
 * with the host's 64-bit pointers; the host's PropertySheetA steps through a
 * page array by each record's dwSize just as the platform does. */
typedef struct _PROPSHEETPAGEA_V1 {
    TOVRIK_PROPSHEETPAGEA_V1_FIELDS
} PROPSHEETPAGEA_V1, *LPPROPSHEETPAGEA_V1;

/* Later versions only add fields at the end; the host reads none of them. */
typedef struct _PROPSHEETPAGEA {
    TOVRIK_PROPSHEETPAGEA_V1_FIELDS
    LPCSTR pszHeaderTitle;
    LPCSTR pszHeaderSubTitle;
    HANDLE hActCtx;
} PROPSHEETPAGEA;
typedef const PROPSHEETPAGEA *LPCPROPSHEETPAGEA;

typedef int(CALLBACK *PFNPROPSHEETCALLBACK)(HWND, UINT, LPARAM);

typedef struct _PROPSHEETHEADERA {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCSTR pStartPage;
    };
    union {
        LPCPROPSHEETPAGEA ppsp;
        struct _PSP **phpage;
    };
    PFNPROPSHEETCALLBACK pfnCallback;
} PROPSHEETHEADERA;
typedef const PROPSHEETHEADERA *LPCPROPSHEETHEADERA;

/* The header in its first version ends with pfnCallback: 40 bytes on 32-bit
 * Windows, larger with the host's pointers. */
#define PROPSHEETHEADERA_V1_SIZE \
    (offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(((PROPSHEETHEADERA *)0)->pfnCallback))

/* Shows the sheet modally and returns a positive value after OK, 0 after
 * Cancel and -1 when it cannot be shown. On the host the sheet is drawn on
 * the terminal, or read as lines from standard input: see host_control.h.
 * Pages are stepped through by each record's dwSize, as the platform does;
 * a record shorter than the first version gives no page. The host has the
 * resources of this program alone: a page whose hInstance is another
 * module's (not NULL and not this program's) is left out without an error,
 * and a sheet left with no page is -1.
 * The host takes page records only (PSH_PROPSHEETPAGE), and every PSN_APPLY
 * counts as PSNRET_NOERROR: a page has no DWLP_MSGRESULT to refuse it. */
INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header);

#endif /* TOVRIK_HOST_COMMCTRL_H */
