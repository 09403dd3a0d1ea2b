// Fuzz target: the path text helpers on any text, each in a buffer of the
// exact size it may use, and the module file name to settings key step.
#include <string.h>

#include <string>
#include <vector>

#include "app/path_text.h"
#include "app/win_main.h"
#include "fuzz/fuzz_target.h"
#include "hardening/app_state_guard.h"

namespace {

const char kSettingsRoot[] = "America Online\\";

// A heap copy with exactly `spare` bytes after the NUL, so that any read or
// write beyond them meets the address checker.
std::vector<char> Exact(const std::string &text, size_t spare)
{
    std::vector<char> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 1 + spare, '\0');
    return buffer;
}

void CheckHelpers(const std::string &text)
{
    const size_t length = text.size();

    std::vector<char> copy = Exact(text, 0);
    WORD offset = FileNameOffset(copy.data());
    if (length <= 0xFFFF) {
        size_t last = text.rfind('\\');
        size_t expected = last == std::string::npos || last == 0 ? 0 : last + 1;
        FuzzCheck(offset == expected, "FileNameOffset is past the last backslash but the first");
    }

    StripExtension(copy.data());
    size_t dot = text.rfind('.');
    size_t cut = dot == std::string::npos || dot == 0 ? length : dot;
    FuzzCheck(std::string(copy.data()) == text.substr(0, cut), "StripExtension cuts at the last dot");

    if (length == 0)
        return;
    std::vector<char> appended = Exact(text, 1);
    AppendBackslash(appended.data());
    std::string withBackslash = text.back() == '\\' ? text : text + '\\';
    FuzzCheck(withBackslash == appended.data(), "AppendBackslash adds one only when missing");

    for (int keepRoot = 0; keepRoot <= 1; ++keepRoot) {
        std::vector<char> stripped = Exact(text, 0);
        StripTrailingBackslash(stripped.data(), keepRoot);
        std::string got = stripped.data();
        FuzzCheck(got == text || (text.back() == '\\' && got == text.substr(0, length - 1)),
                  "StripTrailingBackslash removes at most the one final backslash");
    }
}

void CheckSettingsKeyPath(const std::string &moduleFileName)
{
    AppStateGuard guard;
    lstrcpyA(g_app.moduleFileName, moduleFileName.c_str());
    guard.Arm();
    int fits = DeriveSettingsKeyPath();
    /* The base name is the whole file name before its extension is cut. */
    std::string fault = guard.Fault({ APP_SETTINGS_KEY_PATH }, { APP_MODULE_BASE_NAME });
    FuzzCheck(fault.empty(), fault.c_str());
    FuzzCheck(moduleFileName == g_app.moduleFileName, "the module file name is left as it was");

    size_t offset = FileNameOffset(moduleFileName.c_str());
    std::string baseName = moduleFileName.substr(offset);
    size_t dot = baseName.rfind('.');
    if (dot != std::string::npos && dot != 0)
        baseName.resize(dot);
    if (fits) {
        FuzzCheck(baseName == g_app.moduleBaseName, "the base name is the file name without extension");
        FuzzCheck(kSettingsRoot + baseName == g_app.settingsKeyPath, "the key is the root and the base name");
    } else {
        FuzzCheck(baseName.size() > 255 - (sizeof kSettingsRoot - 1) ||
                      moduleFileName.size() - offset >= sizeof g_app.moduleBaseName,
                  "only a name too long for the key is refused");
        FuzzCheck(g_app.settingsKeyPath[0] == '\0' && g_app.moduleBaseName[0] == '\0',
                  "a refused name leaves no key behind");
    }
}

} // namespace

TOVRIK_FUZZ_TARGET(path_text)
{
    /* Text stops at its NUL, as every caller's does. */
    std::string text((const char *)data, strnlen((const char *)data, size));
    CheckHelpers(text);
    if (text.size() < sizeof g_app.moduleFileName)
        CheckSettingsKeyPath(text);
    return 0;
}
