/* The registry editor's REGEDIT4 text: the keys of HKEY_CURRENT_USER as a
 * tree, read from that text as the editor imports it and written back as
 * it exports it. */
#ifndef TOVRIK_HOST_SRC_REGISTRY_TEXT_H
#define TOVRIK_HOST_SRC_REGISTRY_TEXT_H

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
RegistryValue *FindValue(RegistryKey *key, const std::string &name);

/* Reads the text into `root` as the editor imports it: missing levels are
 * created, a repeated key adds to the first, a later value replaces an
 * earlier one, and a value the editor would drop is dropped. Returns the
 * number of the first line that the editor would not take whole (a line
 * that is not a key, a value or a comment, a value with junk after it, a
 * key of another root), or 0 when every line was understood. */
size_t ParseRegistryText(const char *text, size_t length, RegistryKey *root);

/* The text of the whole tree, keys depth-first, siblings by upper-cased
 * name: what the editor exports and what FindSortedKey searches. */
std::string WriteRegistryText(const RegistryKey &root);

/* In text that WriteRegistryText wrote: whether the key at `path` has a
 * section, and when it does, its values. A binary search over the section
 * lines; nothing else of the text is read. */
bool FindSortedKey(const char *text, size_t length, const std::string &path, RegistryKey *key);

#endif /* TOVRIK_HOST_SRC_REGISTRY_TEXT_H */
