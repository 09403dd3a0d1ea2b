// Field table and checks of the AppState guard.
#include "hardening/app_state_guard.h"

#include <stddef.h>
#include <string.h>

#include <algorithm>

namespace {

struct FieldSpan {
    const char *name;
    size_t offset;
    size_t size;
    bool text;
};

#define APP_FIELD(member, text) { #member, offsetof(AppState, member), sizeof(((AppState *)0)->member), text }

const FieldSpan kFields[APP_FIELD_COUNT] = {
    APP_FIELD(instance, false),
    APP_FIELD(className, true),
    APP_FIELD(title, true),
    APP_FIELD(settingsKeyPath, true),
    APP_FIELD(moduleFileName, true),
    APP_FIELD(moduleBaseName, true),
    APP_FIELD(mainWindow, false),
    APP_FIELD(sheetAccepted, false),
    APP_FIELD(settings.screenName, true),
    APP_FIELD(settings.keyword, true),
    APP_FIELD(settings.clientPath, true),
};

#undef APP_FIELD

bool Listed(std::initializer_list<AppField> fields, int field)
{
    return std::find(fields.begin(), fields.end(), field) != fields.end();
}

} // namespace

AppStateGuard::AppStateGuard()
{
    memset((void *)&g_app, kGuardByte, sizeof g_app);
    for (const FieldSpan &field : kFields) {
        if (field.text)
            ((char *)&g_app)[field.offset] = '\0';
    }
    Arm();
}

void AppStateGuard::Arm()
{
    memcpy((void *)&armed_, (const void *)&g_app, sizeof g_app);
}

std::string AppStateGuard::Fault(std::initializer_list<AppField> written,
                                 std::initializer_list<AppField> rewritten) const
{
    const unsigned char *now = (const unsigned char *)&g_app;
    const unsigned char *before = (const unsigned char *)&armed_;
    std::string faults;
    size_t covered = 0;
    for (int i = 0; i < APP_FIELD_COUNT; ++i) {
        const FieldSpan &field = kFields[i];
        /* Padding between fields must keep its guard bytes too. */
        if (memcmp(now + covered, before + covered, field.offset - covered) != 0)
            faults += std::string("padding before ") + field.name + " changed; ";
        covered = field.offset + field.size;

        const unsigned char *value = now + field.offset;
        if (!Listed(written, i) && !Listed(rewritten, i)) {
            if (memcmp(value, before + field.offset, field.size) != 0)
                faults += std::string(field.name) + " changed; ";
            continue;
        }
        if (!field.text)
            continue;
        const void *end = memchr(value, '\0', field.size);
        if (!end) {
            faults += std::string(field.name) + " has no NUL; ";
            continue;
        }
        if (Listed(rewritten, i))
            continue;
        for (size_t at = (size_t)((const unsigned char *)end - value); at < field.size; ++at) {
            if (value[at] != 0 && value[at] != before[field.offset + at]) {
                faults += std::string(field.name) + " written after its NUL; ";
                break;
            }
        }
    }
    if (memcmp(now + covered, before + covered, sizeof g_app - covered) != 0)
        faults += "padding at the end changed; ";
    return faults;
}
