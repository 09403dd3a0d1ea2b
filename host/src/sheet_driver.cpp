/* The test driver's view of the open sheet: each call first handles what
 * was posted to the sheet, as its modal loop would between two inputs. */
#include "sheet_internal.h"

#include <string.h>

int HostSheetPageCount(HWND window)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet ? (int)sheet->pages.size() : 0;
}

int HostSheetCurrentPage(HWND window)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet ? sheet->current : -1;
}

HWND HostSheetPage(HWND window, int index)
{
    HostSheet *sheet = HostOpenSheet(window);
    if (!sheet || index < 0 || (size_t)index >= sheet->pages.size())
        return NULL;
    return sheet->pages[index].window;
}

BOOL HostSheetTabText(HWND window, int index, char *text, int size)
{
    HostSheet *sheet = HostOpenSheet(window);
    if (!sheet || index < 0 || (size_t)index >= sheet->pages.size() || !text || size <= 0)
        return FALSE;
    const std::string &caption = sheet->pages[index].dialogTemplate.caption;
    HostCopyCut(caption, text, (size_t)size);
    return TRUE;
}

int HostSheetControlCount(HWND page)
{
    HostWindow *dialog = HostLookupWindow(page);
    return dialog ? (int)dialog->children.size() : 0;
}

HWND HostSheetControlAt(HWND page, int index)
{
    HostWindow *dialog = HostLookupWindow(page);
    if (!dialog || index < 0 || (size_t)index >= dialog->children.size())
        return NULL;
    return dialog->children[index];
}

BOOL HostSheetGetControl(HWND handle, HostSheetControl *info)
{
    HostWindow *control = HostLookupWindow(handle);
    if (!control || !info)
        return FALSE;
    HostWindow *page = HostLookupWindow(control->parent);
    HostSheet *sheet = page ? HostOpenSheet(page->parent) : nullptr;
    *info = HostSheetControl{};
    info->id = control->id;
    info->textLimit = HostIsEditField(control) ? (int)HostEditTypingLimit(control) : 0;
    info->enabled = control->enabled;
    if (sheet && sheet->focus == handle) {
        info->focused = TRUE;
        info->caret = (int)sheet->caret;
        info->allSelected = sheet->allSelected;
    }
    return TRUE;
}

HWND HostSheetFocus(HWND window)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet ? sheet->focus : NULL;
}

BOOL HostSheetButtonEnabled(HWND window, int buttonId)
{
    HostSheet *sheet = HostOpenSheet(window);
    HostWindow *button = sheet ? HostFindDialogItem(sheet->window, buttonId) : nullptr;
    return button && button->enabled;
}

BOOL HostSheetIsOpen(HWND window)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet && sheet->state == HOST_SHEET_OPEN;
}

BOOL HostSheetPressKey(HWND window, int key)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet && HostSheetKeyPress(sheet, key);
}

int HostSheetTypeText(HWND window, HWND control, const char *text)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet ? (int)HostSheetTypeInto(sheet, control, text) : 0;
}

BOOL HostSheetSelectPage(HWND window, int index)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet && HostShowSheetPage(sheet, index);
}

BOOL HostSheetPressButton(HWND window, int buttonId)
{
    HostSheet *sheet = HostOpenSheet(window);
    return sheet && HostPressSheetButton(sheet, buttonId);
}
