/* The sheet as a form on the terminal, drawn with curses: the caption, the
 * tabs, the current page laid out from its template's dialog units, the
 * buttons and a line of key hints. The terminal is given back as it was on
 * every way out, signals and exit included. The terminal's text is UTF-8
 * and the form's code page 1252: every letter of the code page takes one
 * cell, so a field's bytes are its letters and its columns alike. */
#include "sheet_internal.h"

#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wchar.h>

#include <algorithm>

namespace {

/* Keys of our own for Ctrl+PgUp and Ctrl+PgDn, which terminals describe
 * only in extended capabilities. */
const int kKeyControlPageUp = KEY_MAX + 1;
const int kKeyControlPageDown = KEY_MAX + 2;
/* A dialog unit is a quarter of the font's average character width; wider
 * terminals give it a little more room. */
const double kMostColumnsPerUnit = 3.0 / 8.0;
const int kCaptionRow = 0, kTabsRow = 1, kPageTop = 2;
const int kRowsBelowPage = 2; /* the buttons, the hints */
const int kSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT };

SCREEN *g_screen = nullptr;
FILE *g_terminalOut = nullptr;
std::string g_previousCharacterLocale;
struct sigaction g_previousActions[sizeof kSignals / sizeof kSignals[0]];

void RestoreTerminal(void)
{
    if (g_screen && !isendwin())
        endwin();
}

void OnFatalSignal(int signalNumber)
{
    RestoreTerminal();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void DefineExtendedKey(const char *capability, int code)
{
    char *sequence = tigetstr(capability);
    if (sequence && sequence != (char *)-1)
        define_key(sequence, code);
}

/* Where a page's controls land on the screen. Rows are the template's
 * eighths of a character height, as the platform draws them; a terminal too
 * short for the page loses blank rows first, from the longest blank runs,
 * so that no line of text is lost or overlaps another. */
struct Layout {
    double columnsPerUnit = kMostColumnsPerUnit;
    int left = 1;
    std::vector<int> screenRow; /* by row of the page at full height */

    int Column(int x) const { return left + (int)(x * columnsPerUnit + 0.5); }
    int Columns(int x, int width) const { return std::max(1, Column(x + width) - Column(x)); }
    int ScreenRow(int pageRow) const
    {
        if (screenRow.empty())
            return kPageTop;
        return kPageTop + screenRow[std::min((size_t)std::max(pageRow, 0), screenRow.size() - 1)];
    }
};

int PageRow(int y)
{
    return (y + 4) / 8;
}

std::vector<std::string> WrapText(const std::string &text, int width);

bool IsGroupBox(const HostWindow *control)
{
    return lstrcmpiA(control->className.c_str(), "Button") == 0 && (control->style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool IsFrame(const HostWindow *control)
{
    DWORD kind = control->style & SS_TYPEMASK;
    return lstrcmpiA(control->className.c_str(), "Static") == 0 && kind >= SS_BLACKFRAME && kind <= SS_WHITEFRAME;
}

/* The lines a text control shows: as many as it needs, within its height. */
std::vector<std::string> ShownLines(const Layout &layout, const HostWindow *control)
{
    std::vector<std::string> lines = WrapText(control->text, layout.Columns(control->x, control->width));
    size_t rows = (size_t)std::max(1, PageRow(control->y + control->height) - PageRow(control->y));
    if (lines.size() > rows)
        lines.resize(rows);
    return lines;
}

/* Marks the page rows that show something. */
void MarkUsedRows(const Layout &layout, const HostWindow *control, std::vector<bool> *used)
{
    int top = PageRow(control->y);
    std::vector<int> rows;
    if (IsGroupBox(control)) {
        rows = { top, std::max(top + 1, PageRow(control->y + control->height) - 1) };
    } else if (HostIsEditField(control) || IsFrame(control)) {
        rows = { top };
    } else {
        for (size_t i = 0; i < ShownLines(layout, control).size(); ++i)
            rows.push_back(top + (int)i);
    }
    for (int row : rows) {
        if (row >= 0 && (size_t)row < used->size())
            (*used)[row] = true;
    }
}

Layout LayoutFor(const HostSheet *sheet, const HostWindow *page)
{
    int width = 1;
    for (const HostSheetPageData &data : sheet->pages)
        width = std::max(width, data.dialogTemplate.width);
    Layout layout;
    layout.columnsPerUnit = std::min(kMostColumnsPerUnit, (COLS - 2) / (double)width);
    layout.left = std::max(1, (COLS - (int)(width * layout.columnsPerUnit)) / 2);

    std::vector<bool> used((size_t)PageRow(page->height) + 1, false);
    for (HWND child : page->children) {
        if (HostWindow *control = HostLookupWindow(child))
            MarkUsedRows(layout, control, &used);
    }
    std::vector<bool> kept(used.size(), true);
    int room = std::max(1, LINES - kPageTop - kRowsBelowPage);
    for (int rows = (int)used.size(); rows > room; --rows) {
        size_t bestStart = 0, bestLength = 0;
        for (size_t at = 0; at < used.size();) {
            size_t length = 0;
            while (at + length < used.size() && !used[at + length])
                ++length;
            size_t keptLength = 0;
            for (size_t i = at; i < at + length; ++i)
                keptLength += kept[i];
            if (keptLength > bestLength) {
                bestStart = at;
                bestLength = keptLength;
            }
            at += length + 1;
        }
        if (bestLength == 0)
            break;
        size_t drop = bestStart;
        while (!kept[drop])
            ++drop;
        kept[drop] = false;
    }
    int row = 0;
    for (size_t i = 0; i < used.size(); ++i) {
        layout.screenRow.push_back(row);
        row += kept[i];
    }
    return layout;
}

/* A control character of either set, C0 and DEL or C1; the code page's
 * five undefined bytes are read as C1 controls. */
bool IsControlCharacter(DWORD c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

/* Writes at most `width` cells of ANSI text, never past the screen's edge;
 * a control character, the code page's five undefined bytes among them,
 * shows as '?'. */
void Put(int row, int column, const std::string &text, int width, attr_t attributes = A_NORMAL)
{
    if (row < 0 || row >= LINES || column >= COLS)
        return;
    width = std::min(width, COLS - column);
    for (int i = 0; i < width && (size_t)i < text.size(); ++i) {
        wchar_t shown[2] = { (wchar_t)HostCodePointFromAnsi((unsigned char)text[i]), L'\0' };
        if (IsControlCharacter(shown[0]))
            shown[0] = L'?';
        cchar_t cell;
        setcchar(&cell, shown, attributes, 0, nullptr);
        mvadd_wch(row, column + i, &cell);
    }
}

/* Splits on line feeds and wraps at spaces to `width` columns. */
std::vector<std::string> WrapText(const std::string &text, int width)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        do {
            size_t take = paragraph.size();
            if ((int)take > width) {
                size_t space = paragraph.rfind(' ', (size_t)width);
                take = space != std::string::npos && space > 0 ? space : (size_t)width;
            }
            lines.push_back(paragraph.substr(0, take));
            paragraph.erase(0, std::min(paragraph.size(), take + (take < paragraph.size() && paragraph[take] == ' ')));
        } while (!paragraph.empty());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

void DrawBox(int top, int left, int rows, int columns, const std::string &caption)
{
    int bottom = top + std::max(rows, 2) - 1, right = left + std::max(columns, 2) - 1;
    if (top >= LINES || left >= COLS)
        return;
    for (int column = left; column <= right && column < COLS; ++column) {
        mvaddch(top, column, ACS_HLINE);
        if (bottom < LINES)
            mvaddch(bottom, column, ACS_HLINE);
    }
    for (int row = top; row <= bottom && row < LINES; ++row) {
        mvaddch(row, left, ACS_VLINE);
        if (right < COLS)
            mvaddch(row, right, ACS_VLINE);
    }
    mvaddch(top, left, ACS_ULCORNER);
    if (right < COLS)
        mvaddch(top, right, ACS_URCORNER);
    if (bottom < LINES) {
        mvaddch(bottom, left, ACS_LLCORNER);
        if (right < COLS)
            mvaddch(bottom, right, ACS_LRCORNER);
    }
    Put(top, left + 1, caption, columns - 2);
}

/* Returns where the caret goes when this is the focused field. */
void DrawEditField(const HostSheet *sheet, const HostWindow *field, int row, int column, int width,
                   int *caretRow, int *caretColumn)
{
    bool focused = sheet->focus == field->handle;
    size_t caret = focused ? std::min(sheet->caret, field->text.size()) : 0;
    size_t scroll = caret >= (size_t)width ? caret - (size_t)width + 1 : 0;
    std::string shown = field->text.substr(std::min(scroll, field->text.size()));
    shown.resize((size_t)width, ' ');
    attr_t attributes = focused ? (sheet->allSelected ? A_REVERSE | A_BOLD : A_REVERSE) : A_UNDERLINE;
    Put(row, column, shown, width, attributes);
    if (focused) {
        *caretRow = row;
        *caretColumn = column + (int)(caret - scroll);
    }
}

void DrawControl(const HostSheet *sheet, const Layout &layout, const HostWindow *control, int *caretRow,
                 int *caretColumn)
{
    if (!(control->style & WS_VISIBLE))
        return;
    int pageRow = PageRow(control->y);
    int row = layout.ScreenRow(pageRow), column = layout.Column(control->x);
    int columns = layout.Columns(control->x, control->width);
    if (HostIsEditField(control)) {
        DrawEditField(sheet, control, row, column, columns, caretRow, caretColumn);
    } else if (IsGroupBox(control)) {
        int bottom = layout.ScreenRow(std::max(pageRow + 1, PageRow(control->y + control->height) - 1));
        DrawBox(row, column, bottom - row + 1, columns, control->text);
    } else if (IsFrame(control)) {
        for (int i = 0; i < columns && column + i < COLS; ++i)
            mvaddch(row, column + i, ACS_HLINE); /* a frame that thin is a line */
    } else {
        std::vector<std::string> lines = ShownLines(layout, control);
        for (size_t i = 0; i < lines.size(); ++i)
            Put(layout.ScreenRow(pageRow + (int)i), column, lines[i], columns);
    }
}

void DrawSheet(const HostSheet *sheet)
{
    erase();
    HostWindow *window = HostLookupWindow(sheet->window);
    std::string caption = window ? window->text : std::string();
    Put(kCaptionRow, 0, std::string((size_t)COLS, ' '), COLS, A_REVERSE);
    Put(kCaptionRow, std::max(0, (COLS - (int)caption.size()) / 2), caption, COLS, A_REVERSE | A_BOLD);

    int column = 1;
    for (size_t p = 0; p < sheet->pages.size(); ++p) {
        std::string tab = " " + sheet->pages[p].dialogTemplate.caption + " ";
        bool current = (int)p == sheet->current;
        Put(kTabsRow, column, current ? "[" + tab + "]" : " " + tab + " ", COLS,
            current ? A_BOLD | (sheet->focus ? A_NORMAL : A_REVERSE) : A_NORMAL);
        column += (int)tab.size() + 3;
    }

    int caretRow = -1, caretColumn = -1;
    int buttonsRow = LINES - kRowsBelowPage;
    if (HostWindow *page = HostLookupWindow(sheet->pages[sheet->current].window)) {
        Layout layout = LayoutFor(sheet, page);
        for (HWND child : page->children) {
            if (HostWindow *control = HostLookupWindow(child))
                DrawControl(sheet, layout, control, &caretRow, &caretColumn);
        }
        /* On a tall terminal the buttons sit under the page, as on screen. */
        buttonsRow = std::min(buttonsRow, layout.ScreenRow(PageRow(page->height)) + 1);
    }

    struct {
        int id;
        const char *label;
    } const buttons[] = { { IDOK, "[  OK  ]" }, { IDCANCEL, "[ Cancel ]" }, { HOST_SHEET_APPLY_ID, "[ Apply ]" } };
    int right = COLS - 1;
    for (int i = 2; i >= 0; --i) {
        HostWindow *button = HostFindDialogItem(sheet->window, buttons[i].id);
        right -= lstrlenA(buttons[i].label) + 1;
        attr_t attributes = !button || !button->enabled ? A_DIM : (buttons[i].id == IDOK ? A_BOLD : A_NORMAL);
        Put(buttonsRow, right, buttons[i].label, COLS, attributes);
    }
    size_t pages = sheet->pages.size();
    std::string pageKeys = pages == 1 ? "F1" : "F1" + std::string(pages == 2 ? "/" : "-") + "F" + std::to_string(pages);
    Put(buttonsRow + 1, 0, "Tab/Shift+Tab: field  Enter: OK  Esc: Cancel  " + pageKeys + " or Ctrl+PgUp/PgDn: page",
        COLS, A_DIM);

    curs_set(caretRow >= 0 ? 1 : 0);
    if (caretRow >= 0)
        move(caretRow, std::min(caretColumn, COLS - 1));
    refresh();
}

/* A key of the sheet for a character typed: the control characters that
 * edit or leave the form, else the letter in code page 1252; -1 for a
 * character that has no key or no letter there. */
int SheetKeyFromCharacter(wint_t character)
{
    switch (character) {
    case '\t': return HOST_SHEET_KEY_TAB;
    case 127:
    case 8: return HOST_SHEET_KEY_BACKSPACE;
    case '\n':
    case '\r': return HOST_SHEET_KEY_ENTER;
    case 27:
    case 3: return HOST_SHEET_KEY_ESCAPE; /* Esc, and Ctrl+C as the terminal's own way out */
    }
    char ansi;
    if (IsControlCharacter(character) || !HostAnsiFromCodePoint(character, &ansi))
        return -1;
    return (unsigned char)ansi;
}

/* A key of the sheet for one of curses's function keys, or -1. */
int SheetKeyFromFunctionKey(int key)
{
    switch (key) {
    case KEY_BTAB: return HOST_SHEET_KEY_BACKTAB;
    case KEY_LEFT: return HOST_SHEET_KEY_LEFT;
    case KEY_RIGHT: return HOST_SHEET_KEY_RIGHT;
    case KEY_HOME: return HOST_SHEET_KEY_HOME;
    case KEY_END: return HOST_SHEET_KEY_END;
    case KEY_BACKSPACE: return HOST_SHEET_KEY_BACKSPACE;
    case KEY_DC: return HOST_SHEET_KEY_DELETE;
    case KEY_ENTER: return HOST_SHEET_KEY_ENTER;
    case KEY_NPAGE:
    case kKeyControlPageDown: return HOST_SHEET_KEY_NEXT_PAGE;
    case KEY_PPAGE:
    case kKeyControlPageUp: return HOST_SHEET_KEY_PREVIOUS_PAGE;
    }
    if (key >= KEY_F(1) && key <= KEY_F(12))
        return HOST_SHEET_KEY_PAGE_1 + (key - KEY_F(1));
    return -1;
}

bool IsUtf8Locale(void)
{
    return strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

/* Curses reads and writes characters in the encoding of LC_CTYPE: the
 * user's locale when it is UTF-8, else UTF-8 all the same, the host's text
 * everywhere in the layer. */
void UseUtf8Characters(void)
{
    const char *previous = setlocale(LC_CTYPE, nullptr);
    g_previousCharacterLocale = previous ? previous : "C";
    if (!setlocale(LC_CTYPE, "") || !IsUtf8Locale())
        setlocale(LC_CTYPE, "C.UTF-8");
}

void RestoreCharacterLocale(void)
{
    if (!g_previousCharacterLocale.empty())
        setlocale(LC_CTYPE, g_previousCharacterLocale.c_str());
    g_previousCharacterLocale.clear();
}

} // namespace

bool HostOpenSheetTerminal(void)
{
    g_terminalOut = isatty(STDOUT_FILENO) ? stdout : fopen("/dev/tty", "w");
    if (!g_terminalOut)
        return false;
    UseUtf8Characters();
    g_screen = newterm(nullptr, g_terminalOut, stdin);
    if (!g_screen) {
        RestoreCharacterLocale();
        if (g_terminalOut != stdout)
            fclose(g_terminalOut);
        g_terminalOut = nullptr;
        return false;
    }
    set_term(g_screen);
    static bool exitHookSet = false;
    if (!exitHookSet)
        exitHookSet = atexit(RestoreTerminal) == 0;
    /* A signal that was ignored when we came (nohup) stays ignored. */
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
        sigaction(kSignals[i], nullptr, &g_previousActions[i]);
        if (g_previousActions[i].sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = OnFatalSignal;
        sigemptyset(&action.sa_mask);
        sigaction(kSignals[i], &action, nullptr);
    }
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    DefineExtendedKey("kNXT5", kKeyControlPageDown);
    DefineExtendedKey("kPRV5", kKeyControlPageUp);
    return true;
}

void HostRunSheetTerminal(HostSheet *sheet)
{
    while (sheet->state == HOST_SHEET_OPEN) {
        DrawSheet(sheet);
        wint_t key;
        int kind = get_wch(&key);
        if (kind == ERR)
            break; /* the terminal went away: the sheet is cancelled */
        if (kind == KEY_CODE_YES && key == KEY_RESIZE)
            continue;
        /* A beep for a key it does not know, a character code page 1252
         * lacks or one over the limit; a caret already at the end stays
         * quiet, as on the platform. */
        int sheetKey = kind == KEY_CODE_YES ? SheetKeyFromFunctionKey((int)key) : SheetKeyFromCharacter(key);
        if ((!HostSheetKeyPress(sheet, sheetKey) && sheetKey < 0x100) || sheetKey < 0)
            beep();
        HostOpenSheet(sheet->window);
    }
}

void HostCloseSheetTerminal(void)
{
    if (!g_screen)
        return;
    RestoreTerminal();
    delscreen(g_screen);
    g_screen = nullptr;
    RestoreCharacterLocale();
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &g_previousActions[i], nullptr);
    if (g_terminalOut != stdout)
        fclose(g_terminalOut);
    g_terminalOut = nullptr;
}
