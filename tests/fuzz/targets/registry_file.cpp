// Fuzz target: the registry file reader. Any bytes as the file must read
// without harm, give the same keys and values to the reader of a few keys
// as to the whole-file parse, write back as text that reads back the same,
// and, when the settings store loads from and saves into that file, fill
// each field within its buffer and lose nothing that the file held.
#include <fcntl.h>
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

// The layer's own parts: the reader and writer of the file's text.
#include "layer_internal.h"
#include "registry_text_format.h"

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

bool SameValues(const RegistryKey &a, const RegistryKey &b)
{
    if (a.values.size() != b.values.size())
        return false;
    for (size_t i = 0; i < a.values.size(); ++i) {
        const RegistryValue &value = a.values[i], &other = b.values[i];
        if (value.name != other.name || value.type != other.type || value.data != other.data)
            return false;
    }
    return true;
}

/* The indexed reader answers for `path` as the tree does. */
void CheckIndexedKey(const RegistryTextIndex &index, RegistryKey *root, const std::string &path)
{
    RegistryKey *key = FindKeyPath(root, path);
    RegistryKey found;
    FuzzCheck(FindIndexedKey(index, path, NULL) == (key != NULL), "the indexed reader finds the keys the tree has");
    FuzzCheck(FindIndexedKey(index, path, &found) == (key != NULL), "the indexed reader finds the keys the tree has");
    FuzzCheck(!key || SameValues(*key, found), "the indexed reader reads a key's values as the tree has them");
}

/* Every key of the tree, by its own spelling and in capitals, and a key
 * below each that is not there. */
void CheckIndexedKeys(const RegistryTextIndex &index, RegistryKey *root, const RegistryKey &key, const std::string &path)
{
    CheckIndexedKey(index, root, path);
    std::string upper = path;
    for (char &c : upper)
        c = (char)HostUpperAnsi((unsigned char)c);
    CheckIndexedKey(index, root, upper);
    CheckIndexedKey(index, root, path.empty() ? "?" : path + "\\?");
    for (const auto &child : key.children)
        CheckIndexedKeys(index, root, *child, path.empty() ? child->name : path + "\\" + child->name);
}

/* The indexed reader over the text in memory, and over the text in a file
 * read through windows small enough to cut lines and hex lists anywhere. */
void CheckIndexedReader(const char *data, size_t size, RegistryKey *root, size_t bad)
{
    const std::string file = ScratchFolder("registry") + "/indexed.reg";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(data, (std::streamsize)size);
    }
    int fd = open(file.c_str(), O_RDONLY);
    FuzzCheck(fd >= 0, "the scratch file opens");
    for (size_t window : { (size_t)0, (size_t)1, (size_t)7, RegistryTextIndex::kWindow }) {
        RegistryTextIndex index;
        size_t stopped = window ? IndexRegistryFile(fd, &index, window) : IndexRegistryText(data, size, &index);
        FuzzCheck(stopped == bad, "the indexed reader stops at the same line");
        CheckIndexedKeys(index, root, *root, "");
        for (const char *path : { kCopyKey, "America Online", "America Online\\Path", "America Online\\STOCKS\\Name" })
            CheckIndexedKey(index, root, path);
    }
    close(fd);
}

void CheckText(const char *data, size_t size)
{
    RegistryKey root;
    size_t bad = ParseRegistryText(data, size, &root);
    CheckIndexedReader(data, size, &root, bad);

    std::string written = WriteRegistryText(root);
    RegistryKey again;
    FuzzCheck(ParseRegistryText(written.data(), written.size(), &again) == 0, "written text reads whole");
    FuzzCheck(WriteRegistryText(again) == written, "written text reads back the same");
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
