/* What the property sheet's parts share: the open sheet, its pages, the
 * focus within them, and the two ways a person can work it. */
#ifndef TOVRIK_HOST_SRC_SHEET_INTERNAL_H
#define TOVRIK_HOST_SRC_SHEET_INTERNAL_H

#include <commctrl.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "layer_internal.h"

#define HOST_SHEET_TABS_ID 0x3020

struct HostSheetPageData {
    const PROPSHEETPAGEA_V1 *record = nullptr; /* WM_INITDIALOG's lParam */
    HostDialogTemplate dialogTemplate;
    HWND window = NULL;                        /* created when first shown */
};

enum HostSheetState { HOST_SHEET_OPEN, HOST_SHEET_OK, HOST_SHEET_CANCELLED };

struct HostSheet {
    HWND window = NULL;
    std::vector<HostSheetPageData> pages;
    int current = 0;
    HWND focus = NULL;       /* NULL: the tabs have the focus */
    size_t caret = 0;
    bool allSelected = false;
    HostSheetState state = HOST_SHEET_OPEN;
    bool applied = false;    /* Apply was pressed: changes were saved */
};

/* The open sheet whose window is `sheet`, with its queued messages handled. */
HostSheet *HostOpenSheet(HWND sheet);

bool HostShowSheetPage(HostSheet *sheet, int index);
/* IDOK, IDCANCEL or HOST_SHEET_APPLY_ID; false when disabled or closed. */
bool HostPressSheetButton(HostSheet *sheet, int buttonId);

/* The form's editing and moving; sheet_form.cpp. */
bool HostIsEditField(const HostWindow *window);
size_t HostEditTypingLimit(const HostWindow *field);
std::vector<HWND> HostSheetTabStops(HWND page);
void HostFocusSheetControl(HostSheet *sheet, HWND control);
bool HostSheetKeyPress(HostSheet *sheet, int key);
size_t HostSheetTypeInto(HostSheet *sheet, HWND field, const char *text);

/* The two ways a person works the sheet. Each returns when it has closed. */
void HostRunSheetScript(HostSheet *sheet, FILE *input, const char *scriptText);
bool HostOpenSheetTerminal(void);
void HostRunSheetTerminal(HostSheet *sheet);
void HostCloseSheetTerminal(void);

#endif /* TOVRIK_HOST_SRC_SHEET_INTERNAL_H */
