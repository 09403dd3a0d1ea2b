/* Window classes, windows and the thread's message queue; message boxes and
 * beeps on standard error. Everything belongs to the program's one thread. */
#include "layer_internal.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <deque>
#include <map>
#include <memory>


namespace {

struct WindowTable {
    std::vector<WNDCLASSA> classes;
    std::deque<std::string> classNames; /* a deque: class names stay where they are */
    std::map<uintptr_t, std::unique_ptr<HostWindow>> windows;
    uintptr_t nextHandle = 0x10010;
    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
    std::map<UINT, int> defWindowProcCalls;
    std::vector<HostMessageBox> boxes;
    std::vector<UINT> beeps;
};

WindowTable &Table()
{
    static WindowTable table;
    return table;
}

int FindClass(LPCSTR name)
{
    WindowTable &table = Table();
    for (size_t i = 0; i < table.classNames.size(); ++i) {
        if (lstrcmpiA(table.classNames[i].c_str(), name) == 0)
            return (int)i;
    }
    return -1;
}

} // namespace

void HostResetWindows(void)
{
    Table() = WindowTable{};
}

HostWindow *HostAddWindow(const char *className, const char *text, DWORD style, HWND parent)
{
    WindowTable &table = Table();
    auto window = std::make_unique<HostWindow>();
    window->handle = (HWND)table.nextHandle;
    table.nextHandle += 4;
    window->className = className ? className : "";
    window->text = text ? text : "";
    window->style = style;
    window->everVisible = (style & WS_VISIBLE) != 0;
    window->parent = parent;
    HostWindow *added = window.get();
    table.windows[(uintptr_t)added->handle] = std::move(window);
    if (HostWindow *owner = HostLookupWindow(parent))
        owner->children.push_back(added->handle);
    return added;
}

HostWindow *HostLookupWindow(HWND window)
{
    WindowTable &table = Table();
    auto found = table.windows.find((uintptr_t)window);
    return found == table.windows.end() ? nullptr : found->second.get();
}

LRESULT HostSendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    HostWindow *window = HostLookupWindow(handle);
    if (!window)
        return 0;
    if (window->windowProc)
        return window->windowProc(handle, message, wParam, lParam);
    if (window->dialogProc)
        return window->dialogProc(handle, message, wParam, lParam);
    return DefWindowProcA(handle, message, wParam, lParam);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA *wndClass)
{
    if (HostCallFails(HOST_CALL_REGISTER_CLASS, nullptr))
        return 0;
    if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindClass(wndClass->lpszClassName) >= 0) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowTable &table = Table();
    table.classNames.push_back(wndClass->lpszClassName);
    table.classes.push_back(*wndClass);
    table.classes.back().lpszClassName = table.classNames.back().c_str();
    return (ATOM)(0xC000 + table.classes.size() - 1);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU, HINSTANCE instance, LPVOID)
{
    if (HostCallFails(HOST_CALL_CREATE_WINDOW, nullptr))
        return NULL;
    int classIndex = className ? FindClass(className) : -1;
    if (classIndex < 0) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return NULL;
    }
    if (parent && !HostLookupWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return NULL;
    }
    const WNDCLASSA &wndClass = Table().classes[classIndex];
    HostWindow *window = HostAddWindow(wndClass.lpszClassName, windowName, style, parent);
    window->exStyle = exStyle;
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    window->instance = instance;
    window->windowProc = wndClass.lpfnWndProc;
    window->enabled = (style & WS_DISABLED) == 0;

    /* The creation messages carry no CREATESTRUCT here: nothing reads it. */
    HWND handle = window->handle;
    if (!HostSendMessage(handle, WM_NCCREATE, 0, 0) || HostSendMessage(handle, WM_CREATE, 0, 0) == -1) {
        HostDestroyWindow(handle);
        return NULL;
    }
    return handle;
}

BOOL HostDestroyWindow(HWND handle)
{
    HostWindow *window = HostLookupWindow(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    HostSendMessage(handle, WM_DESTROY, 0, 0);
    std::vector<HWND> children = window->children;
    for (HWND child : children)
        HostDestroyWindow(child);
    if (HostWindow *owner = HostLookupWindow(window->parent)) {
        auto &siblings = owner->children;
        for (size_t i = 0; i < siblings.size(); ++i) {
            if (siblings[i] == handle) {
                siblings.erase(siblings.begin() + (long)i);
                break;
            }
        }
    }
    Table().windows.erase((uintptr_t)handle);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Table().defWindowProcCalls[message]++;
    HostWindow *window = HostLookupWindow(handle);
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    }
    LRESULT result = 0;
    HostTextMessage(window, message, wParam, lParam, &result);
    return result;
}

bool HostTextMessage(HostWindow *window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    switch (message) {
    case WM_SETTEXT:
        if (window)
            window->text = lParam ? (const char *)lParam : "";
        *result = TRUE;
        return true;
    case WM_GETTEXTLENGTH:
        *result = window ? (LRESULT)window->text.size() : 0;
        return true;
    case WM_GETTEXT:
        *result = window && wParam != 0 && lParam ? (LRESULT)HostCopyCut(window->text, (char *)lParam, wParam) : 0;
        return true;
    }
    return false;
}

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (handle && !HostLookupWindow(handle)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MSG msg = {};
    msg.hwnd = handle;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    Table().queue.push_back(msg);
    return TRUE;
}

static bool Matches(const MSG &msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (window && msg.hwnd != window)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax)
{
    WindowTable &table = Table();
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    for (auto it = table.queue.begin(); it != table.queue.end(); ++it) {
        if (Matches(*it, window, filterMin, filterMax)) {
            *msg = *it;
            table.queue.erase(it);
            return TRUE;
        }
    }
    /* The platform hands out WM_QUIT once the posted messages are gone. */
    if (table.quitPending) {
        table.quitPending = false;
        MSG quit = {};
        quit.message = WM_QUIT;
        quit.wParam = (WPARAM)table.quitCode;
        *msg = quit;
        return FALSE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
}

BOOL WINAPI TranslateMessage(const MSG *)
{
    return FALSE; /* no keyboard messages arrive through this queue */
}

LRESULT WINAPI DispatchMessageA(const MSG *msg)
{
    if (!msg || !msg->hwnd)
        return 0;
    return HostSendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exitCode)
{
    Table().quitPending = true;
    Table().quitCode = exitCode;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    WindowTable &table = Table();
    HostMessageBox box = {};
    box.owner = owner;
    HostCopyCut(text ? text : "", box.text, sizeof box.text);
    HostCopyCut(caption ? caption : "Error", box.caption, sizeof box.caption);
    box.type = type;
    box.beepsBefore = (int)table.beeps.size();
    table.boxes.push_back(box);
    fprintf(stderr, "[%s]\n%s\n", box.caption, box.text);
    return IDOK;
}

BOOL WINAPI MessageBeep(UINT type)
{
    Table().beeps.push_back(type);
    if (isatty(STDERR_FILENO))
        fputc('\a', stderr);
    return TRUE;
}

BOOL HostGetWindowInfo(HWND handle, HostWindowInfo *info)
{
    HostWindow *window = HostLookupWindow(handle);
    if (!window || !info)
        return FALSE;
    *info = HostWindowInfo{};
    HostCopyCut(window->className, info->className, sizeof info->className);
    HostCopyCut(window->text, info->title, sizeof info->title);
    info->style = window->style;
    info->exStyle = window->exStyle;
    info->x = window->x;
    info->y = window->y;
    info->width = window->width;
    info->height = window->height;
    info->parent = window->parent;
    info->instance = window->instance;
    info->everVisible = window->everVisible;
    return TRUE;
}

BOOL HostGetClassInfo(LPCSTR className, WNDCLASSA *wndClass)
{
    int index = className ? FindClass(className) : -1;
    if (index < 0 || !wndClass)
        return FALSE;
    *wndClass = Table().classes[index];
    return TRUE;
}

int HostDefWindowProcCount(UINT message)
{
    auto &calls = Table().defWindowProcCalls;
    auto found = calls.find(message);
    return found == calls.end() ? 0 : found->second;
}

BOOL HostQuitPending(int *exitCode)
{
    if (exitCode)
        *exitCode = Table().quitCode;
    return Table().quitPending;
}

int HostMessageBoxCount(void)
{
    return (int)Table().boxes.size();
}

const HostMessageBox *HostMessageBoxAt(int index)
{
    return HostRecordAt(Table().boxes, index);
}

int HostBeepCount(void)
{
    return (int)Table().beeps.size();
}

UINT HostBeepTypeAt(int index)
{
    const UINT *type = HostRecordAt(Table().beeps, index);
    return type ? *type : 0;
}
