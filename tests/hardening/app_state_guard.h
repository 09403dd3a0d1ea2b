// Guard bytes for g_app. The fields of AppState lie next to each other, so a
// write past one lands in the next one, where no address checker sees it;
// filling the whole state with a known byte first shows such writes.
#ifndef TOVRIK_TESTS_HARDENING_APP_STATE_GUARD_H
#define TOVRIK_TESTS_HARDENING_APP_STATE_GUARD_H

#include <initializer_list>
#include <string>

#include "app/app_state.h"

enum AppField {
    APP_INSTANCE,
    APP_CLASS_NAME,
    APP_TITLE,
    APP_SETTINGS_KEY_PATH,
    APP_MODULE_FILE_NAME,
    APP_MODULE_BASE_NAME,
    APP_MAIN_WINDOW,
    APP_SHEET_ACCEPTED,
    APP_SCREEN_NAME,
    APP_KEYWORD,
    APP_CLIENT_PATH,
    APP_FIELD_COUNT
};

const unsigned char kGuardByte = 0xA5;

class AppStateGuard {
public:
    // Every byte of g_app becomes the guard byte; every text field is empty.
    AppStateGuard();

    // Takes g_app as it now stands (inputs set) as the state to compare with.
    void Arm();

    // "" when the operation since Arm() changed only the `written` fields,
    // left each text field NUL-terminated within its buffer and wrote
    // nothing after that NUL but NULs. A field in `rewritten` may hold the
    // rest of an earlier, longer text after its NUL.
    std::string Fault(std::initializer_list<AppField> written,
                      std::initializer_list<AppField> rewritten = {}) const;

private:
    AppState armed_;
};

#endif // TOVRIK_TESTS_HARDENING_APP_STATE_GUARD_H
