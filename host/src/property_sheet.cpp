/* The common controls on the host: PropertySheetA, with pages built from
 * their compiled dialog templates, OK, Cancel and Apply, and the choice of
 * who works the sheet (a test's driver, a script, or the person at the
 * terminal). */
#include "sheet_internal.h"

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>

namespace {

/* What a page loses of its template's style to sit inside the sheet. */
const DWORD kPageDropsStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;

struct SheetInput {
    HostSheetDriver driver = nullptr;
    void *driverContext = nullptr;
    bool hasScript = false;
    std::string script;
    bool standardInput = false;
};

SheetInput g_input;
HostSheet *g_openSheet = nullptr;
int g_initCommonControlsCalls = 0;

enum InputKind { INPUT_NONE, INPUT_DRIVER, INPUT_SCRIPT_TEXT, INPUT_TERMINAL, INPUT_SCRIPT_STDIN };

InputKind ChooseInput(void)
{
    if (g_input.driver)
        return INPUT_DRIVER;
    if (g_input.hasScript)
        return INPUT_SCRIPT_TEXT;
    if (!g_input.standardInput)
        return INPUT_NONE;
    return isatty(STDIN_FILENO) ? INPUT_TERMINAL : INPUT_SCRIPT_STDIN;
}

/* The page records follow one another at each record's own dwSize, as the
 * platform steps through them; a record too short for the first version
 * is passed over without a page. */
void CollectPages(LPCPROPSHEETHEADERA header, std::vector<HostSheetPageData> *pages)
{
    const BYTE *at = (const BYTE *)header->ppsp;
    for (UINT i = 0; i < header->nPages; ++i) {
        DWORD step;
        memcpy(&step, at, sizeof step);
        PROPSHEETPAGEA_V1 record;
        if (step >= sizeof record) {
            memcpy(&record, at, sizeof record);
            HostSheetPageData page;
            page.record = (const PROPSHEETPAGEA_V1 *)at;
            DWORD size = 0;
            bool ownModule = record.hInstance == NULL || record.hInstance == HostModuleInstance();
            const void *data = ownModule ? HostFindResourceData(RT_DIALOG, record.pszTemplate, nullptr, &size)
                                         : nullptr;
            if (data && HostParseDialogTemplate((const BYTE *)data, size, &page.dialogTemplate))
                pages->push_back(page);
        }
        at += step;
    }
}

PROPSHEETPAGEA_V1 RecordOf(const HostSheetPageData &page)
{
    PROPSHEETPAGEA_V1 record;
    memcpy(&record, page.record, sizeof record);
    return record;
}

HostWindow *AddChild(HWND parent, const char *className, const char *text, DWORD style, int id)
{
    HostWindow *child = HostAddWindow(className, text, style, parent);
    child->id = id;
    child->enabled = (style & WS_DISABLED) == 0;
    return child;
}

/* The window procedure of every control on a page: text, and the typing
 * limit of edit fields. */
LRESULT CALLBACK ControlProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    HostWindow *control = HostLookupWindow(handle);
    if (!control)
        return 0;
    LRESULT result;
    if (HostTextMessage(control, message, wParam, lParam, &result)) {
        /* The platform's edit field puts its caret at the start. */
        if (message == WM_SETTEXT && g_openSheet && g_openSheet->focus == handle) {
            g_openSheet->caret = 0;
            g_openSheet->allSelected = false;
        }
        return result;
    }
    switch (message) {
    case EM_LIMITTEXT:
        if (!HostIsEditField(control))
            return 0;
        /* 0 lifts the limit to the most a single-line field holds. */
        control->textLimit = wParam == 0 ? 0x7FFFFFFE : (int)(wParam > 0x7FFFFFFE ? 0x7FFFFFFE : wParam);
        return 0;
    }
    return 0;
}

/* The sheet's own window: a page reports a change with PSM_CHANGED, and
 * the Apply button comes alive. */
LRESULT CALLBACK SheetProc(HWND handle, UINT message, WPARAM, LPARAM)
{
    if (message == PSM_CHANGED && g_openSheet && g_openSheet->window == handle) {
        if (HostWindow *apply = HostFindDialogItem(handle, HOST_SHEET_APPLY_ID))
            apply->enabled = true;
    }
    return 0;
}

/* Handles what was posted to the sheet, as its modal loop would. A WM_QUIT
 * met on the way is posted again for the loop that waits for it. */
void PumpSheetMessages(HostSheet *sheet)
{
    DWORD lastError = GetLastError();
    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, sheet->window, 0, 0);
        if (got == -1)
            break;
        if (!got) {
            PostQuitMessage((int)msg.wParam);
            break;
        }
        DispatchMessageA(&msg);
    }
    SetLastError(lastError);
}

void CreateSheetWindow(HostSheet *sheet, LPCPROPSHEETHEADERA header)
{
    HostWindow *window = HostAddWindow(HOST_DIALOG_CLASS, header->pszCaption,
                                       WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                       header->hwndParent);
    window->instance = header->hInstance;
    window->windowProc = SheetProc;
    for (const HostSheetPageData &page : sheet->pages) {
        window->width = std::max(window->width, page.dialogTemplate.width + 8);
        window->height = std::max(window->height, page.dialogTemplate.height + 40);
    }
    sheet->window = window->handle;
    const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    AddChild(sheet->window, "SysTabControl32", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, HOST_SHEET_TABS_ID);
    AddChild(sheet->window, "Button", "OK", button | BS_DEFPUSHBUTTON, IDOK);
    AddChild(sheet->window, "Button", "Cancel", button | BS_PUSHBUTTON, IDCANCEL);
    /* Disabled until a page reports a change. */
    AddChild(sheet->window, "Button", "&Apply", button | BS_PUSHBUTTON | WS_DISABLED, HOST_SHEET_APPLY_ID);
}

/* Position and size stay in dialog units: the host draws no pixels. */
template <typename TemplatePart>
void PlaceAsTemplateSays(HostWindow *window, const TemplatePart &part, HINSTANCE instance)
{
    window->exStyle = part.exStyle;
    window->x = part.x;
    window->y = part.y;
    window->width = part.width;
    window->height = part.height;
    window->instance = instance;
}

/* Builds a page's dialog and controls from its template and initialises
 * it. Returns what WM_INITDIALOG returned: TRUE asks for the default focus. */
bool CreatePage(HostSheet *sheet, HostSheetPageData *page)
{
    const HostDialogTemplate &dialog = page->dialogTemplate;
    PROPSHEETPAGEA_V1 record = RecordOf(*page);
    HostWindow *window = HostAddWindow(dialog.className.empty() ? HOST_DIALOG_CLASS : dialog.className.c_str(),
                                       dialog.caption.c_str(), (dialog.style & ~kPageDropsStyle) | WS_CHILD,
                                       sheet->window);
    PlaceAsTemplateSays(window, dialog, record.hInstance);
    window->dialogProc = record.pfnDlgProc;
    page->window = window->handle;
    for (const HostDialogItem &item : dialog.items) {
        HostWindow *control = AddChild(page->window, item.className.c_str(), item.text.c_str(), item.style, item.id);
        PlaceAsTemplateSays(control, item, record.hInstance);
        control->windowProc = ControlProc;
    }
    std::vector<HWND> tabStops = HostSheetTabStops(page->window);
    WPARAM firstTabStop = tabStops.empty() ? 0 : (WPARAM)tabStops.front();
    return HostSendMessage(page->window, WM_INITDIALOG, firstTabStop, (LPARAM)page->record) != FALSE;
}

struct SheetNotify {
    NMHDR hdr;
    LPARAM lParam; /* TRUE when OK, not Apply, was pressed */
};

void NotifyPages(HostSheet *sheet, UINT code, LPARAM lParam)
{
    for (HostSheetPageData &page : sheet->pages) {
        if (!page.window)
            continue;
        SheetNotify notify = { { sheet->window, 0, code }, lParam };
        /* The page's answer would come through DWLP_MSGRESULT, which this
         * layer does not have: every apply counts as PSNRET_NOERROR. */
        HostSendMessage(page.window, WM_NOTIFY, 0, (LPARAM)&notify);
    }
}

void RunSheet(HostSheet *sheet, InputKind input)
{
    switch (input) {
    case INPUT_DRIVER:
        g_input.driver(sheet->window, g_input.driverContext);
        break;
    case INPUT_SCRIPT_TEXT:
        HostRunSheetScript(sheet, nullptr, g_input.script.c_str());
        break;
    case INPUT_SCRIPT_STDIN:
        HostRunSheetScript(sheet, stdin, nullptr);
        break;
    case INPUT_TERMINAL:
        HostRunSheetTerminal(sheet);
        break;
    case INPUT_NONE:
        break;
    }
    /* However the input ended, a sheet still open is cancelled. */
    if (sheet->state == HOST_SHEET_OPEN)
        HostPressSheetButton(sheet, IDCANCEL);
}

} // namespace

void HostResetPropertySheet(void)
{
    g_input = SheetInput{};
    g_openSheet = nullptr;
    g_initCommonControlsCalls = 0;
}

void WINAPI InitCommonControls(void)
{
    g_initCommonControlsCalls++;
}

int HostInitCommonControlsCount(void)
{
    return g_initCommonControlsCalls;
}

void HostSetSheetDriver(HostSheetDriver driver, void *context)
{
    g_input.driver = driver;
    g_input.driverContext = driver ? context : nullptr;
}

void HostSetSheetScript(const char *script)
{
    g_input.hasScript = script != nullptr;
    g_input.script = script ? script : "";
}

void HostAttachSheetToStandardInput(BOOL attach)
{
    int flags = fcntl(STDIN_FILENO, F_GETFL);
    g_input.standardInput = attach && flags != -1 && (flags & O_ACCMODE) != O_WRONLY;
}

HostSheet *HostOpenSheet(HWND window)
{
    if (!g_openSheet || g_openSheet->window != window || !window)
        return nullptr;
    PumpSheetMessages(g_openSheet);
    return g_openSheet;
}

bool HostShowSheetPage(HostSheet *sheet, int index)
{
    if (sheet->state != HOST_SHEET_OPEN || index < 0 || (size_t)index >= sheet->pages.size())
        return false;
    HostSheetPageData &page = sheet->pages[index];
    if (HostWindow *shown = HostLookupWindow(sheet->pages[sheet->current].window))
        shown->style &= ~(DWORD)WS_VISIBLE;
    sheet->current = index;
    bool defaultFocus = true;
    if (!page.window)
        defaultFocus = CreatePage(sheet, &page);
    if (HostWindow *window = HostLookupWindow(page.window)) {
        window->style |= WS_VISIBLE;
        window->everVisible = true;
    }
    std::vector<HWND> tabStops = HostSheetTabStops(page.window);
    HostFocusSheetControl(sheet, defaultFocus && !tabStops.empty() ? tabStops.front() : NULL);
    return true;
}

bool HostPressSheetButton(HostSheet *sheet, int buttonId)
{
    HostWindow *button = HostFindDialogItem(sheet->window, buttonId);
    if (sheet->state != HOST_SHEET_OPEN || !button || !button->enabled)
        return false;
    switch (buttonId) {
    case IDOK:
        NotifyPages(sheet, PSN_APPLY, TRUE);
        sheet->state = HOST_SHEET_OK;
        return true;
    case IDCANCEL:
        NotifyPages(sheet, PSN_RESET, FALSE);
        sheet->state = HOST_SHEET_CANCELLED;
        return true;
    case HOST_SHEET_APPLY_ID:
        NotifyPages(sheet, PSN_APPLY, FALSE);
        button->enabled = false;
        sheet->applied = true;
        return true;
    }
    return false;
}

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header)
{
    if (HostCallFails(HOST_CALL_PROPERTY_SHEET, nullptr))
        return -1;
    if (!header || header->dwSize < PROPSHEETHEADERA_V1_SIZE || !(header->dwFlags & PSH_PROPSHEETPAGE) ||
        !header->ppsp || (header->hwndParent && !HostLookupWindow(header->hwndParent))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    HostSheet sheet;
    CollectPages(header, &sheet.pages);
    InputKind input = ChooseInput();
    if (sheet.pages.empty() || input == INPUT_NONE)
        return -1;
    if (input == INPUT_TERMINAL && !HostOpenSheetTerminal())
        return -1;

    /* Modal: the owner takes no input while the sheet is up. */
    HostWindow *owner = HostLookupWindow(header->hwndParent);
    bool ownerEnabled = owner && owner->enabled;
    if (owner)
        owner->enabled = false;
    HostSheet *outer = g_openSheet;
    g_openSheet = &sheet;

    CreateSheetWindow(&sheet, header);
    sheet.current = header->nStartPage < sheet.pages.size() ? (int)header->nStartPage : 0;
    HostShowSheetPage(&sheet, sheet.current);
    PumpSheetMessages(&sheet);
    RunSheet(&sheet, input);
    if (input == INPUT_TERMINAL)
        HostCloseSheetTerminal();

    HostDestroyWindow(sheet.window);
    g_openSheet = outer;
    if (HostWindow *stillThere = HostLookupWindow(header->hwndParent))
        stillThere->enabled = ownerEnabled;
    return sheet.state == HOST_SHEET_OK || sheet.applied ? 1 : 0;
}
