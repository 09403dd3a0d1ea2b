// Fuzz target: typing into the settings sheet. The input is keys and pasted
// text for the three fields; whatever is typed, each field holds no more
// than its typing limit, nothing is written past a field, and what OK saved
// loads back the same.
#include <string.h>

#include <string>

#include "app/app_state.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/scratch_folder.h"
#include "hardening/app_state_guard.h"
#include "host_control.h"
#include "res/resource.h"
#include "sheet/settings_sheet.h"
#include "sheet/sheet_test_driver.h"
#include "shortcut/settings_store.h"

namespace {

const int kFields[] = { IDC_SCREEN_NAME, IDC_KEYWORD, IDC_CLIENT_PATH };
/* Every key but Enter and Escape, which end the sheet at once. */
const int kKeys[] = { HOST_SHEET_KEY_TAB,       HOST_SHEET_KEY_BACKTAB,   HOST_SHEET_KEY_LEFT,
                      HOST_SHEET_KEY_RIGHT,     HOST_SHEET_KEY_HOME,      HOST_SHEET_KEY_END,
                      HOST_SHEET_KEY_BACKSPACE, HOST_SHEET_KEY_DELETE,    HOST_SHEET_KEY_NEXT_PAGE,
                      HOST_SHEET_KEY_PREVIOUS_PAGE, HOST_SHEET_KEY_PAGE_1, HOST_SHEET_KEY_PAGE_1 + 1 };

struct Typing {
    const uint8_t *data;
    size_t size;
};

/* A byte below 0x10 is a key; 0x10 to 0x12 pastes the text after it, up
 * to a NUL, into one of the fields; any other byte is typed. */
void Type(HWND sheet, void *context)
{
    Typing *typing = (Typing *)context;
    const uint8_t *at = typing->data, *end = typing->data + typing->size;
    while (at < end && HostSheetIsOpen(sheet)) {
        uint8_t op = *at++;
        if (op < 0x10) {
            HostSheetPressKey(sheet, kKeys[op % (sizeof kKeys / sizeof kKeys[0])]);
        } else if (op <= 0x12) {
            const uint8_t *stop = (const uint8_t *)memchr(at, 0, (size_t)(end - at));
            std::string text((const char *)at, stop ? (size_t)(stop - at) : (size_t)(end - at));
            at += text.size() + (stop ? 1 : 0);
            HostSheetTypeText(sheet, ItemWindow(HostSheetPage(sheet, 0), kFields[op - 0x10]), text.c_str());
        } else if (op != 0x7F) {
            HostSheetPressKey(sheet, op);
        }
    }
    if (HostSheetIsOpen(sheet))
        HostSheetPressButton(sheet, IDOK);
}

} // namespace

TOVRIK_FUZZ_TARGET(sheet_typing)
{
    const std::string registry = ScratchFolder("sheet") + "/user.reg";
    remove(registry.c_str());
    HostResetLayer();
    HostSetRegistryFile(registry.c_str());
    HostSetDriveC("");
    HostSetUserName("fuzzer");
    Typing typing{ data, size };
    HostSetSheetDriver(Type, &typing);

    AppStateGuard guard;
    g_app.instance = HostModuleInstance();
    lstrcpyA(g_app.title, "Vivodo DIZ Eduda Dad");
    lstrcpyA(g_app.settingsKeyPath, "America Online\\STOCKS");
    lstrcpyA(g_app.settings.keyword, "http://vurezez.example/");
    guard.Arm();
    int accepted = ShowSettingsSheet(NULL);
    /* The fields are read back over what the page was given. */
    std::string fault = guard.Fault({ APP_SHEET_ACCEPTED }, { APP_SCREEN_NAME, APP_KEYWORD, APP_CLIENT_PATH });
    FuzzCheck(fault.empty(), fault.c_str());
    FuzzCheck(strlen(g_app.settings.screenName) <= 10 && strlen(g_app.settings.keyword) <= 48 &&
                  strlen(g_app.settings.clientPath) <= 256,
              "no field holds more than can be typed into it");

    if (accepted) {
        ShortcutSettings shown = g_app.settings;
        g_app.settings = ShortcutSettings{};
        LoadSettings();
        FuzzCheck(strcmp(shown.screenName, g_app.settings.screenName) == 0 &&
                      strcmp(shown.keyword, g_app.settings.keyword) == 0 &&
                      strcmp(shown.clientPath, g_app.settings.clientPath) == 0,
                  "what OK saved loads back the same");
    }
    HostResetLayer();
    return 0;
}
