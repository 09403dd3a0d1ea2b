/* The settings sheet: a settings page bound to g_app.settings and an
 * information page without logic. OK on either page saves and accepts. */
#include "sheet/settings_sheet.h"

#include <stddef.h>

#include <commctrl.h>

#include "app/app_state.h"
#include "res/resource.h"
#include "shortcut/settings_store.h"

/* Each field takes fewer typed characters than its buffer holds, so text
 * put in by the program comes back whole. */
struct EditBinding {
    int controlId;
    int typingLimit;
    size_t fieldOffset;
    int fieldSize;
};

#define FIELD(member) offsetof(ShortcutSettings, member), (int)sizeof(((ShortcutSettings *)0)->member)

static const EditBinding kEditBindings[] = {
    { IDC_SCREEN_NAME, 10, FIELD(screenName) },
    { IDC_KEYWORD, 48, FIELD(keyword) },
    { IDC_CLIENT_PATH, 256, FIELD(clientPath) },
};

#undef FIELD

static char *BoundField(const EditBinding *binding)
{
    return (char *)&g_app.settings + binding->fieldOffset;
}

static void FillSettingsPage(HWND page)
{
    for (const EditBinding &binding : kEditBindings)
        SendDlgItemMessageA(page, binding.controlId, EM_LIMITTEXT, binding.typingLimit, 0);
    for (const EditBinding &binding : kEditBindings)
        SetDlgItemTextA(page, binding.controlId, BoundField(&binding));
}

static void ApplySettingsPage(HWND page)
{
    for (const EditBinding &binding : kEditBindings) {
        char *field = BoundField(&binding);
        GetDlgItemTextA(page, binding.controlId, field, binding.fieldSize);
        field[binding.fieldSize - 1] = '\0';
    }
    SaveSettings();
    g_app.sheetAccepted = 1;
}

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FillSettingsPage(page);
        g_app.sheetAccepted = 0;
        return TRUE;
    case WM_NOTIFY:
        /* Returning FALSE leaves the result at PSNRET_NOERROR, so OK
         * always closes the sheet. */
        if (((const NMHDR *)lParam)->code == (UINT)PSN_APPLY)
            ApplySettingsPage(page);
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK InfoPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

static_assert(sizeof(PROPSHEETPAGEA_V1) == (sizeof(void *) == 4 ? 40 : 72),
              "page records must be 40 bytes on 32-bit Windows and 72 on 64-bit");

int ShowSettingsSheet(HWND parent)
{
    g_app.sheetAccepted = 0;

    /* Records in their first version, which every version of the common
     * controls reads; an array of a later, larger record with this dwSize
     * would lose every page after the first. */
    PROPSHEETPAGEA_V1 pages[2] = {};
    pages[0].dwSize = sizeof pages[0];
    pages[0].dwFlags = PSP_DEFAULT;
    pages[0].hInstance = g_app.instance;
    pages[0].pszTemplate = MAKEINTRESOURCEA(IDD_SETTINGS_PAGE);
    pages[0].pfnDlgProc = SettingsPageProc;
    pages[1] = pages[0];
    pages[1].pszTemplate = MAKEINTRESOURCEA(IDD_INFO_PAGE);
    pages[1].pfnDlgProc = InfoPageProc;

    PROPSHEETHEADERA header = {};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hwndParent = parent;
    header.hInstance = g_app.instance;
    header.pszCaption = g_app.title;
    header.nPages = 2;
    header.nStartPage = 0;
    header.ppsp = (LPCPROPSHEETPAGEA)pages;

    PropertySheetA(&header);
    return g_app.sheetAccepted;
}
