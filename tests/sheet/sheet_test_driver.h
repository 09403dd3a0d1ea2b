// Working the host's property sheet from a test: a lambda as the driver,
// and small readers of what the open sheet shows.
#ifndef TOVRIK_TESTS_SHEET_SHEET_TEST_DRIVER_H
#define TOVRIK_TESTS_SHEET_SHEET_TEST_DRIVER_H

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "host_control.h"

using SheetDriver = std::function<void(HWND sheet)>;

// Installs `driver` for the next sheet; it stays in force until the layer
// is reset, so keep it alive that long.
inline void DriveNextSheet(SheetDriver *driver)
{
    HostSetSheetDriver([](HWND sheet, void *context) { (*(SheetDriver *)context)(sheet); }, driver);
}

inline std::string ItemText(HWND page, int id)
{
    char text[1024];
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

inline std::string WindowTitle(HWND window)
{
    HostWindowInfo info;
    return HostGetWindowInfo(window, &info) ? info.title : "";
}

inline HWND ItemWindow(HWND page, int id)
{
    for (int i = 0; i < HostSheetControlCount(page); ++i) {
        HWND control = HostSheetControlAt(page, i);
        HostSheetControl info;
        if (HostSheetGetControl(control, &info) && info.id == id)
            return control;
    }
    return NULL;
}

// The ids of the page's controls that the Tab key visits, in its order.
inline std::vector<int> TabOrder(HWND sheet)
{
    std::vector<int> ids;
    HWND first = HostSheetFocus(sheet);
    for (HWND at = first; at;) {
        HostSheetControl info;
        HostSheetGetControl(at, &info);
        ids.push_back(info.id);
        HostSheetPressKey(sheet, HOST_SHEET_KEY_TAB);
        at = HostSheetFocus(sheet);
        if (at == first || ids.size() > 32)
            break;
    }
    return ids;
}

#endif // TOVRIK_TESTS_SHEET_SHEET_TEST_DRIVER_H
