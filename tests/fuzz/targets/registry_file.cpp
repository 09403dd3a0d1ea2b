// Fuzz target: the registry file reader. Any bytes as the file must read
// without harm, write back as text that reads back the same, and, when the
// settings store loads from and saves into that file, fill each field
// within its buffer and lose nothing that the file held.
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/app_state.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/scratch_folder.h"
#include "hardening/app_state_guard.h"
#include "host_control.h"
#include "shortcut/settings_store.h"
#include "src/registry_text.h"

namespace {

const char kCopyKey[] = "America Online\\STOCKS";
const char kName[] = "Ann \"Q\"\\";
const char kKeyword[] = "line\nbreak \xE9 [x] @=";
const char kPath[] = "C:\\Program Files\\AOL\\WAOL.EXE";

std::string Contents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/* The same values, in any order: the written text puts the default first. */
bool SameValues(const RegistryKey &a, const RegistryKey &b)
{
    if (a.values.size() != b.values.size())
        return false;
    for (const RegistryValue &value : a.values) {
        bool found = false;
        for (const RegistryValue &other : b.values)
            found = found || (value.name == other.name && value.type == other.type && value.data == other.data);
        if (!found)
            return false;
    }
    return true;
}

/* Every key of the tree is found, with its values, by the search over the
 * written text. */
void CheckSortedSearch(const RegistryKey &key, const std::string &path, const std::string &text)
{
    /* The root has no section of its own. */
    if (!path.empty()) {
        RegistryKey found;
        FuzzCheck(FindSortedKey(text.data(), text.size(), path, &found), "a written key is found in the text");
        FuzzCheck(SameValues(key, found), "a written key's values are found whole");
    }
    for (const auto &child : key.children)
        CheckSortedSearch(*child, path.empty() ? child->name : path + "\\" + child->name, text);
}

void CheckText(const char *data, size_t size)
{
    RegistryKey root;
    ParseRegistryText(data, size, &root);
    std::string written = WriteRegistryText(root);

    RegistryKey again;
    FuzzCheck(ParseRegistryText(written.data(), written.size(), &again) == 0, "written text reads whole");
    FuzzCheck(WriteRegistryText(again) == written, "written text reads back the same");
    CheckSortedSearch(root, "", written);

    /* The search reads only text that the layer wrote; even so, any text
     * must not take it outside the bytes. */
    RegistryKey ignored;
    FindSortedKey(data, size, kCopyKey, &ignored);
    FindSortedKey(data, size, "America Online", &ignored);
}

/* The tree the file should hold after the store saved into `root`. */
std::string WithSettings(const char *data, size_t size)
{
    RegistryKey root;
    ParseRegistryText(data, size, &root);
    struct {
        std::string path;
        const char *text;
    } const settings[] = {
        { std::string(kCopyKey) + "\\Name", kName },
        { std::string(kCopyKey) + "\\Keyword", kKeyword },
        { "America Online\\Path", kPath },
    };
    for (const auto &setting : settings) {
        bool created = false;
        RegistryKey *key = CreateKeyPath(&root, setting.path, &created);
        RegistryValue *value = FindValue(key, "");
        if (!value) {
            key->values.push_back(RegistryValue());
            value = &key->values.back();
        }
        value->type = REG_SZ;
        value->data = std::string(setting.text) + '\0';
    }
    return WriteRegistryText(root);
}

void CheckStore(const char *data, size_t size)
{
    const std::string file = ScratchFolder("registry") + "/user.reg";
    unlink((file + ".lock").c_str());
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(data, (std::streamsize)size);
    }
    HostResetLayer();
    HostSetRegistryFile(file.c_str());
    HostSetDriveC("");
    HostSetUserName("fuzzer");

    AppStateGuard guard;
    lstrcpyA(g_app.settingsKeyPath, kCopyKey);
    guard.Arm();
    LoadSettings();
    /* A stored text may hold NULs of its own (hex(1) data, say): the read
     * copies them, and what follows them, within the read size. */
    std::string fault = guard.Fault({}, { APP_SCREEN_NAME, APP_KEYWORD, APP_CLIENT_PATH });
    FuzzCheck(fault.empty(), fault.c_str());

    RegistryKey parsed;
    bool whole = ParseRegistryText(data, size, &parsed) == 0;
    lstrcpyA(g_app.settings.screenName, kName);
    lstrcpyA(g_app.settings.keyword, kKeyword);
    lstrcpyA(g_app.settings.clientPath, kPath);
    SaveSettings();

    std::string after = Contents(file);
    if (!whole) {
        FuzzCheck(after == std::string(data, size), "a file not understood is never overwritten");
        return;
    }
    FuzzCheck(after == WithSettings(data, size), "a save keeps every other key and value of the file");
    g_app.settings = ShortcutSettings{};
    LoadSettings();
    FuzzCheck(strcmp(g_app.settings.screenName, kName) == 0 && strcmp(g_app.settings.keyword, kKeyword) == 0 &&
                  strcmp(g_app.settings.clientPath, kPath) == 0,
              "saved settings load back");
}

} // namespace

TOVRIK_FUZZ_TARGET(registry_file)
{
    CheckText((const char *)data, size);
    CheckStore((const char *)data, size);
    HostResetLayer();
    return 0;
}
