/* The keyboard side of the sheet, shared by the terminal form, scripts and
 * test drivers: the tab order, the focus, and editing inside a field the way
 * the platform's single-line edit field does it. */
#include "sheet_internal.h"

namespace {

/* The platform's edit field takes this many typed characters until the
 * program sets a limit with EM_LIMITTEXT. */
const size_t kDefaultTypingLimit = 30000;

HostWindow *FocusedField(HostSheet *sheet)
{
    HostWindow *focus = HostLookupWindow(sheet->focus);
    return focus && HostIsEditField(focus) ? focus : nullptr;
}

/* Typing replaces the selection; beyond the limit a character is refused. */
bool TypeCharacter(HostSheet *sheet, HostWindow *field, char c)
{
    size_t kept = sheet->allSelected ? 0 : field->text.size();
    if (kept >= HostEditTypingLimit(field))
        return false;
    if (sheet->allSelected) {
        field->text.clear();
        sheet->caret = 0;
        sheet->allSelected = false;
    }
    field->text.insert(sheet->caret, 1, c);
    ++sheet->caret;
    return true;
}

bool EraseCharacter(HostSheet *sheet, HostWindow *field, bool before)
{
    if (sheet->allSelected) {
        bool hadText = !field->text.empty();
        field->text.clear();
        sheet->caret = 0;
        sheet->allSelected = false;
        return hadText;
    }
    if (before) {
        if (sheet->caret == 0)
            return false;
        --sheet->caret;
    } else if (sheet->caret >= field->text.size()) {
        return false;
    }
    field->text.erase(sheet->caret, 1);
    return true;
}

/* With the whole text selected, Left and Home land at its start, Right and
 * End at its end. */
bool MoveCaret(HostSheet *sheet, HostWindow *field, int key)
{
    size_t length = field->text.size();
    size_t before = sheet->caret;
    bool wasSelected = sheet->allSelected;
    sheet->allSelected = false;
    switch (key) {
    case HOST_SHEET_KEY_LEFT:
        sheet->caret = wasSelected ? 0 : (sheet->caret > 0 ? sheet->caret - 1 : 0);
        break;
    case HOST_SHEET_KEY_RIGHT:
        sheet->caret = wasSelected ? length : (sheet->caret < length ? sheet->caret + 1 : length);
        break;
    case HOST_SHEET_KEY_HOME:
        sheet->caret = 0;
        break;
    case HOST_SHEET_KEY_END:
        sheet->caret = length;
        break;
    }
    return wasSelected || sheet->caret != before;
}

/* The tabs are a stop of their own, before the page's first control, as
 * in the platform's sheet. */
bool MoveFocus(HostSheet *sheet, bool forward)
{
    std::vector<HWND> stops = HostSheetTabStops(sheet->pages[sheet->current].window);
    if (stops.empty())
        return false;
    stops.insert(stops.begin(), (HWND)NULL);
    size_t count = stops.size();
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        if (stops[i] == sheet->focus)
            at = i;
    }
    HostFocusSheetControl(sheet, stops[forward ? (at + 1) % count : (at + count - 1) % count]);
    return true;
}

bool ShowPageBy(HostSheet *sheet, int step)
{
    int count = (int)sheet->pages.size();
    if (count < 2)
        return false;
    return HostShowSheetPage(sheet, (sheet->current + step + count) % count);
}

} // namespace

bool HostIsEditField(const HostWindow *window)
{
    return window && lstrcmpiA(window->className.c_str(), "Edit") == 0;
}

size_t HostEditTypingLimit(const HostWindow *field)
{
    return field->textLimit > 0 ? (size_t)field->textLimit : kDefaultTypingLimit;
}

/* Tab stops that can take the focus, in template order. */
std::vector<HWND> HostSheetTabStops(HWND page)
{
    std::vector<HWND> stops;
    HostWindow *dialog = HostLookupWindow(page);
    if (!dialog)
        return stops;
    for (HWND child : dialog->children) {
        HostWindow *control = HostLookupWindow(child);
        if (control && (control->style & WS_TABSTOP) && (control->style & WS_VISIBLE) && control->enabled)
            stops.push_back(child);
    }
    return stops;
}

/* As the dialog manager does for a field reached by Tab: the whole text
 * selected, the caret at its end. */
void HostFocusSheetControl(HostSheet *sheet, HWND control)
{
    sheet->focus = control;
    HostWindow *field = HostLookupWindow(control);
    sheet->caret = field ? field->text.size() : 0;
    sheet->allSelected = field && HostIsEditField(field);
}

bool HostSheetKeyPress(HostSheet *sheet, int key)
{
    if (sheet->state != HOST_SHEET_OPEN)
        return false;
    switch (key) {
    case HOST_SHEET_KEY_ENTER:
        return HostPressSheetButton(sheet, IDOK);
    case HOST_SHEET_KEY_ESCAPE:
        return HostPressSheetButton(sheet, IDCANCEL);
    case HOST_SHEET_KEY_TAB:
    case HOST_SHEET_KEY_BACKTAB:
        return MoveFocus(sheet, key == HOST_SHEET_KEY_TAB);
    case HOST_SHEET_KEY_NEXT_PAGE:
    case HOST_SHEET_KEY_PREVIOUS_PAGE:
        return ShowPageBy(sheet, key == HOST_SHEET_KEY_NEXT_PAGE ? 1 : -1);
    }
    if (key >= HOST_SHEET_KEY_PAGE_1 && key < HOST_SHEET_KEY_PAGE_1 + (int)sheet->pages.size())
        return key - HOST_SHEET_KEY_PAGE_1 != sheet->current && HostShowSheetPage(sheet, key - HOST_SHEET_KEY_PAGE_1);

    /* On the tabs, Left and Right change the page and the focus stays. */
    if (!sheet->focus && (key == HOST_SHEET_KEY_LEFT || key == HOST_SHEET_KEY_RIGHT)) {
        bool changed = ShowPageBy(sheet, key == HOST_SHEET_KEY_RIGHT ? 1 : -1);
        HostFocusSheetControl(sheet, NULL);
        return changed;
    }
    HostWindow *field = FocusedField(sheet);
    if (!field)
        return false;
    if (sheet->caret > field->text.size())
        sheet->caret = field->text.size();
    switch (key) {
    case HOST_SHEET_KEY_LEFT:
    case HOST_SHEET_KEY_RIGHT:
    case HOST_SHEET_KEY_HOME:
    case HOST_SHEET_KEY_END:
        return MoveCaret(sheet, field, key);
    case HOST_SHEET_KEY_BACKSPACE:
    case HOST_SHEET_KEY_DELETE:
        return EraseCharacter(sheet, field, key == HOST_SHEET_KEY_BACKSPACE);
    }
    if (key >= 0x20 && key <= 0xFF && key != 0x7F)
        return TypeCharacter(sheet, field, (char)key);
    return false;
}

size_t HostSheetTypeInto(HostSheet *sheet, HWND control, const char *text)
{
    HostWindow *field = HostLookupWindow(control);
    if (sheet->state != HOST_SHEET_OPEN || !HostIsEditField(field) || !text)
        return 0;
    HostFocusSheetControl(sheet, control);
    /* Pasting over the selection clears it even when nothing fits. */
    field->text.clear();
    sheet->caret = 0;
    sheet->allSelected = false;
    size_t typed = 0;
    for (const char *c = text; *c; ++c) {
        if ((unsigned char)*c >= 0x20 && *c != 0x7F && TypeCharacter(sheet, field, *c))
            ++typed;
    }
    return typed;
}
