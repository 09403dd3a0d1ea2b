/* The keys of HKEY_CURRENT_USER as a tree: names match without regard to
 * case, and children are kept in the order the registry editor lists them. */
#ifndef TOVRIK_HOST_SRC_REGISTRY_KEY_TREE_H
#define TOVRIK_HOST_SRC_REGISTRY_KEY_TREE_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

/* A value as stored: the name is empty for the default value; the data is
 * the raw bytes, a REG_SZ text with its NUL. */
struct RegistryValue {
    std::string name;
    DWORD type = REG_SZ;
    std::string data;
};

struct RegistryKey {
    std::string name;
    std::vector<RegistryValue> values;
    /* In the order of their upper-cased names, as the editor lists them. */
    std::vector<std::unique_ptr<RegistryKey>> children;
};

/* Orders key paths ("A\B\C", "" for the root) as the editor lists keys:
 * depth-first, siblings by upper-cased name. Zero means the same key. */
int CompareKeyPaths(const char *a, size_t aLength, const char *b, size_t bLength);

/* The child with this name, any case; NULL when there is none. */
RegistryKey *FindChildKey(const RegistryKey &key, const char *name, size_t length);
/* The key at `path` below `root`, every missing level created; `created`
 * tells whether any was. */
RegistryKey *CreateKeyPath(RegistryKey *root, const std::string &path, bool *created);
RegistryKey *FindKeyPath(RegistryKey *root, const std::string &path);
/* Drops the key at `path` and everything below it; the root stays. */
void RemoveKeyPath(RegistryKey *root, const std::string &path);
RegistryValue *FindValue(RegistryKey *key, const std::string &name);
/* Drops the value of this name, any case, if the key has one. */
void RemoveValue(RegistryKey *key, const std::string &name);
/* Puts the value in the key: a value of the same name, any case, is
 * replaced where it stands, its name spelt as the new one is. */
void SetValue(RegistryKey *key, RegistryValue *value);

#endif /* TOVRIK_HOST_SRC_REGISTRY_KEY_TREE_H */
