/* The legacy registry calls over the file of HKEY_CURRENT_USER: handles,
 * key paths and the default value of a named subkey. */
#include "layer_internal.h"
#include "registry_file.h"
#include "user_name.h"

#include <stdint.h>
#include <string.h>

#include <map>

namespace {

/* Open keys by handle value. Values are never given out twice, so a
 * closed handle stays invalid for the life of the process. */
std::map<uintptr_t, std::string> g_handles;
uintptr_t g_nextHandle = 0x1000;

bool IsRoot(HKEY key)
{
    return key == HKEY_CURRENT_USER;
}

/* The key path behind a handle, "" for the root. */
bool PathOfHandle(HKEY key, std::string *path)
{
    if (IsRoot(key)) {
        path->clear();
        return true;
    }
    auto found = g_handles.find((uintptr_t)key);
    if (found == g_handles.end())
        return false;
    *path = found->second;
    return true;
}

HKEY NewHandle(const std::string &path)
{
    uintptr_t value = g_nextHandle;
    g_nextHandle += 4;
    g_handles[value] = path;
    return (HKEY)value;
}

/* Joins a handle's path and a subkey as the platform reads a key path:
 * backslashes after the first name, repeated or trailing, only separate
 * names; a leading one is a bad path. A line break, which the file cannot
 * hold in a key name, is refused. */
LSTATUS JoinPath(HKEY key, LPCSTR subKey, std::string *path)
{
    if (!PathOfHandle(key, path))
        return ERROR_INVALID_HANDLE;
    if (!subKey || !*subKey)
        return ERROR_SUCCESS;
    if (subKey[0] == '\\')
        return ERROR_BAD_PATHNAME;
    if (strpbrk(subKey, "\r\n"))
        return ERROR_INVALID_PARAMETER;
    for (const char *name = subKey; *name;) {
        size_t length = strcspn(name, "\\");
        if (length) {
            if (!path->empty())
                *path += '\\';
            path->append(name, length);
        }
        name += length + (name[length] == '\\');
    }
    return ERROR_SUCCESS;
}

/* Creates the key and every missing level above it. */
LSTATUS CreateKey(const std::string &path)
{
    return RegistryFileChange([&path](RegistryKey *root) {
        bool created = false;
        CreateKeyPath(root, path, &created);
        return created;
    });
}

/* RegOpenKeyA and RegCreateKeyA. With the subkey NULL or "", an open
 * gives the base handle itself and a create a new handle to the same key;
 * only a create makes what is missing. A NULL base handle is refused
 * before the out handle is touched; any other failure sets it to NULL. */
LSTATUS OpenKey(HostCall call, HKEY key, LPCSTR subKey, PHKEY result)
{
    DWORD forced;
    if (HostCallFails(call, &forced))
        return (LSTATUS)forced;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (!key)
        return ERROR_INVALID_HANDLE;
    bool create = call == HOST_CALL_REG_CREATE_KEY;
    std::string path;
    LSTATUS status = JoinPath(key, subKey, &path);
    if (status == ERROR_SUCCESS && !create && (!subKey || !*subKey)) {
        *result = key;
        return ERROR_SUCCESS;
    }
    if (status == ERROR_SUCCESS && !path.empty() && !RegistryFileReadKey(path, NULL))
        status = create ? CreateKey(path) : ERROR_FILE_NOT_FOUND;
    *result = status == ERROR_SUCCESS ? NewHandle(path) : NULL;
    return status;
}

} // namespace

void HostResetRegistry(void)
{
    RegistryFileReset();
    HostResetUserName();
    g_handles.clear();
}

LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    return OpenKey(HOST_CALL_REG_OPEN_KEY, key, subKey, result);
}

LSTATUS WINAPI RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    return OpenKey(HOST_CALL_REG_CREATE_KEY, key, subKey, result);
}

LSTATUS WINAPI RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR data, PLONG size)
{
    DWORD forced;
    if (HostCallFails(HOST_CALL_REG_QUERY_VALUE, &forced))
        return (LSTATUS)forced;
    std::string path;
    LSTATUS status = JoinPath(key, subKey, &path);
    if (status != ERROR_SUCCESS)
        return status;
    RegistryKey found;
    if (!RegistryFileReadKey(path, &found))
        return ERROR_FILE_NOT_FOUND;
    /* A key without a default value reads as an empty text. */
    const RegistryValue *value = FindValue(&found, "");
    std::string empty(1, '\0');
    const std::string &bytes = value ? value->data : empty;
    if (!size)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    if (data && (*size < 0 || (size_t)*size < bytes.size())) {
        *size = (LONG)bytes.size();
        return ERROR_MORE_DATA;
    }
    if (data)
        memcpy(data, bytes.data(), bytes.size());
    *size = (LONG)bytes.size();
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD)
{
    DWORD forced;
    if (HostCallFails(HOST_CALL_REG_SET_VALUE, &forced))
        return (LSTATUS)forced;
    if (type != REG_SZ || !data)
        return ERROR_INVALID_PARAMETER;
    std::string path;
    LSTATUS status = JoinPath(key, subKey, &path);
    if (status != ERROR_SUCCESS)
        return status;
    /* The length argument is ignored, as the platform does: the text up to
     * its NUL is stored. */
    RegistryValue text;
    text.data.assign(data, strlen(data) + 1);
    return RegistryFileChange([&](RegistryKey *root) {
        bool changed = false;
        RegistryKey *target = CreateKeyPath(root, path, &changed);
        RegistryValue *value = FindValue(target, "");
        if (value && value->type == text.type && value->data == text.data)
            return changed;
        if (value)
            *value = text;
        else
            target->values.insert(target->values.begin(), text);
        return true;
    });
}

LSTATUS WINAPI RegCloseKey(HKEY key)
{
    if (IsRoot(key))
        return ERROR_SUCCESS;
    return g_handles.erase((uintptr_t)key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
