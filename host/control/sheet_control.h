/* Driving the property sheet on the host: where its input comes from, and a
 * driver for tests that looks at the open sheet and acts on it as a user. */
#ifndef TOVRIK_HOST_CONTROL_SHEET_CONTROL_H
#define TOVRIK_HOST_CONTROL_SHEET_CONTROL_H

#include <windows.h>

/* Where PropertySheetA takes its input from, first match wins:
 * 1. a driver (HostSetSheetDriver);
 * 2. a script given as text (HostSetSheetScript);
 * 3. standard input, once the host's start-up has attached it: a form on
 *    the terminal when it is one, else a script read line by line;
 * otherwise the sheet cannot be shown and PropertySheetA returns -1. So is
 * it when standard input was closed or could not be read when the program
 * started, or is a terminal that the form cannot use. An empty script is
 * not that: it is input that ends at once, which cancels the sheet.
 * HostResetLayer drops all three. */

/* Called once the sheet is up, its start page initialised. The sheet stays
 * open while the driver runs; when the driver returns with the sheet still
 * open, it is cancelled. NULL drops the driver. */
typedef void (*HostSheetDriver)(HWND sheet, void *context);
void HostSetSheetDriver(HostSheetDriver driver, void *context);

/* A script of lines as standard input would give them; NULL drops it. */
void HostSetSheetScript(const char *script);

/* The host's start-up attaches standard input to the sheet, unless it is
 * closed or open for writing only at that moment. */
void HostAttachSheetToStandardInput(BOOL attach);

/* ---- For a driver: looking at the open sheet ---- */

/* The sheet window carries the caption as its title (HostGetWindowInfo);
 * pages and their controls are windows too, with the positions and sizes
 * of their template in dialog units. */
int HostSheetPageCount(HWND sheet);
int HostSheetCurrentPage(HWND sheet);
/* The page's dialog window, or NULL while the page was never shown: as on
 * the platform, a page is created when it is first shown. */
HWND HostSheetPage(HWND sheet, int index);
/* The text of a page's tab: its template's caption. */
BOOL HostSheetTabText(HWND sheet, int index, char *text, int size);

/* A page's controls in template order, which is also the tab order. */
int HostSheetControlCount(HWND page);
HWND HostSheetControlAt(HWND page, int index);

struct HostSheetControl {
    int id;            /* -1 for a control without one */
    int textLimit;     /* typing limit of an edit field, in characters */
    BOOL enabled;
    BOOL focused;
    int caret;         /* caret position in a focused edit field */
    BOOL allSelected;  /* its whole text selected, as focus by Tab leaves it */
};
BOOL HostSheetGetControl(HWND control, HostSheetControl *info);

/* The focused control of the current page, NULL when the focus is on the
 * tabs (a page whose WM_INITDIALOG returned FALSE). */
HWND HostSheetFocus(HWND sheet);

/* The sheet's buttons: IDOK, IDCANCEL and this one. */
#define HOST_SHEET_APPLY_ID 0x3021
BOOL HostSheetButtonEnabled(HWND sheet, int buttonId);
/* FALSE while the sheet stays open. */
BOOL HostSheetIsOpen(HWND sheet);

/* ---- For a driver: acting as the user ---- */

/* Keys as the form on the terminal gives them; a byte from 0x20 to 0xFF
 * (but 0x7F) types that character. */
enum HostSheetKey {
    HOST_SHEET_KEY_TAB = 0x100,
    HOST_SHEET_KEY_BACKTAB,
    HOST_SHEET_KEY_LEFT,
    HOST_SHEET_KEY_RIGHT,
    HOST_SHEET_KEY_HOME,
    HOST_SHEET_KEY_END,
    HOST_SHEET_KEY_BACKSPACE,
    HOST_SHEET_KEY_DELETE,
    HOST_SHEET_KEY_ENTER,       /* OK, on either page */
    HOST_SHEET_KEY_ESCAPE,      /* Cancel */
    HOST_SHEET_KEY_NEXT_PAGE,
    HOST_SHEET_KEY_PREVIOUS_PAGE,
    HOST_SHEET_KEY_PAGE_1 = 0x140 /* + n shows page n + 1 */
};
/* FALSE when the key changed nothing: a character beyond the typing limit,
 * or a key with nowhere to go. */
BOOL HostSheetPressKey(HWND sheet, int key);

/* Focuses `control` and types `text` over its whole text, as pasting would:
 * the typing limit applies, and characters below 0x20 are left out.
 * Returns how many characters were taken. */
int HostSheetTypeText(HWND sheet, HWND control, const char *text);

BOOL HostSheetSelectPage(HWND sheet, int index);
/* IDOK, IDCANCEL or HOST_SHEET_APPLY_ID; FALSE when the button is disabled. */
BOOL HostSheetPressButton(HWND sheet, int buttonId);

#endif /* TOVRIK_HOST_CONTROL_SHEET_CONTROL_H */
