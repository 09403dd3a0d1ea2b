/* Looks into a window of another process: prints the top-level window with
 * the title given, its tabs, every descendant control and the focus, one
 * tab-separated record per line, for the end-to-end driver to check. */
#include <windows.h>
#include <commctrl.h>

static HANDLE g_out;

static void Write(const char *text)
{
    DWORD written;
    WriteFile(g_out, text, lstrlenA(text), &written, NULL);
}

/* Texts go out on one line: backslash, tab and line breaks escaped. */
static void WriteEscaped(const char *text)
{
    char one[2] = { 0, 0 };
    for (; *text; ++text) {
        switch (*text) {
        case '\\': Write("\\\\"); break;
        case '\t': Write("\\t"); break;
        case '\n': Write("\\n"); break;
        case '\r': Write("\\r"); break;
        default: one[0] = *text; Write(one);
        }
    }
}

static void WriteNumber(const char *format, DWORD value)
{
    char text[32];
    wsprintfA(text, format, value);
    Write(text);
}

/* The platform carries WM_GETTEXT across processes for us. */
static void WindowText(HWND window, char *text, int size)
{
    DWORD_PTR result = 0;
    text[0] = '\0';
    if (!SendMessageTimeoutA(window, WM_GETTEXT, size, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &result))
        text[0] = '\0';
    text[size - 1] = '\0';
}

/* Tab texts live in the sheet's process: the item record and its text
 * buffer are placed there, filled by the tab control, and read back. */
static void WriteTabs(HWND tabs)
{
    DWORD processId;
    GetWindowThreadProcessId(tabs, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return;
    char *remote = VirtualAllocEx(process, NULL, 4096, MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        int count = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
        int selected = (int)SendMessageA(tabs, TCM_GETCURSEL, 0, 0);
        for (int i = 0; i < count; ++i) {
            TCITEMA item;
            ZeroMemory(&item, sizeof item);
            item.mask = TCIF_TEXT;
            item.pszText = remote + 256;
            item.cchTextMax = 256;
            char text[256] = "";
            SIZE_T done;
            if (WriteProcessMemory(process, remote, &item, sizeof item, &done) &&
                SendMessageA(tabs, TCM_GETITEMA, i, (LPARAM)remote))
                ReadProcessMemory(process, remote + 256, text, sizeof text, &done);
            text[sizeof text - 1] = '\0';
            WriteNumber("tab\t%d\t", i);
            Write(i == selected ? "selected\t" : "-\t");
            WriteEscaped(text);
            Write("\n");
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
}

static BOOL CALLBACK WriteControl(HWND control, LPARAM unused)
{
    char className[64];
    char text[1024];
    (void)unused;
    GetClassNameA(control, className, sizeof className);
    WindowText(control, text, sizeof text);
    WriteNumber("control\t%08lx\t", (DWORD)(DWORD_PTR)control);
    WriteNumber("%08lx\t", (DWORD)(DWORD_PTR)GetParent(control));
    Write(className);
    WriteNumber("\t%d\t", (DWORD)GetDlgCtrlID(control));
    WriteNumber("%08lx\t", (DWORD)GetWindowLongA(control, GWL_STYLE));
    Write(IsWindowVisible(control) ? "visible\t" : "hidden\t");
    Write(IsWindowEnabled(control) ? "enabled\t" : "disabled\t");
    WriteEscaped(text);
    Write("\n");
    if (lstrcmpiA(className, WC_TABCONTROLA) == 0)
        WriteTabs(control);
    return TRUE;
}

int main(int argc, char **argv)
{
    g_out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (argc != 2) {
        Write("usage: sheet_probe TITLE\n");
        return 2;
    }
    HWND sheet = FindWindowA(NULL, argv[1]);
    if (!sheet)
        return 1;

    char className[64];
    char text[256];
    GetClassNameA(sheet, className, sizeof className);
    WindowText(sheet, text, sizeof text);
    WriteNumber("sheet\t%08lx\t", (DWORD)(DWORD_PTR)sheet);
    Write(className);
    Write("\t");
    WriteEscaped(text);
    Write("\n");
    EnumChildWindows(sheet, WriteControl, 0);

    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(sheet, NULL), &info) && info.hwndFocus) {
        DWORD selection = (DWORD)SendMessageA(info.hwndFocus, EM_GETSEL, 0, 0);
        WriteNumber("focus\t%d\t", (DWORD)GetDlgCtrlID(info.hwndFocus));
        WriteNumber("%d\t", LOWORD(selection));
        WriteNumber("%d\n", HIWORD(selection));
    }
    return 0;
}
