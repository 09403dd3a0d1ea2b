/* The start-up error box: the only failure the program ever reports. */
#include "app/error_box.h"

#include "app/app_state.h"

int ShowErrorBox(WORD textId)
{
    char text[126];
    if (LoadStringA(g_app.instance, textId, text, sizeof text) == 0) {
        MessageBoxA(NULL, "Unknown error", g_app.title, MB_OK | MB_ICONERROR);
        return 0;
    }
    MessageBeep(MB_ICONERROR);
    MessageBoxA(NULL, text, g_app.title, MB_OK | MB_ICONERROR);
    return 1;
}
