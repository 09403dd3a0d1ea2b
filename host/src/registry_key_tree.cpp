/* The key tree: what a save edits, and what a whole read of the file
 * builds. */
#include "registry_key_tree.h"

#include "layer_internal.h"

namespace {

/* Where a child of this name is, or would go. */
size_t ChildPosition(const RegistryKey &key, const char *name, size_t length)
{
    size_t lo = 0, hi = key.children.size();
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        const std::string &childName = key.children[mid]->name;
        if (CompareKeyPaths(childName.data(), childName.size(), name, length) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool SameName(const RegistryKey &key, const char *name, size_t length)
{
    return CompareKeyPaths(key.name.data(), key.name.size(), name, length) == 0;
}

} // namespace

int CompareKeyPaths(const char *a, size_t aLength, const char *b, size_t bLength)
{
    size_t i = 0;
    for (;; ++i) {
        bool aStop = i == aLength || a[i] == '\\';
        bool bStop = i == bLength || b[i] == '\\';
        if (aStop && bStop) {
            if (i == aLength || i == bLength)
                return i == aLength ? (i == bLength ? 0 : -1) : 1;
            /* Both names end here: go on with the next level. */
            continue;
        }
        if (aStop || bStop)
            return aStop ? -1 : 1;
        unsigned char ca = HostUpperAnsi((unsigned char)a[i]);
        unsigned char cb = HostUpperAnsi((unsigned char)b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
}

RegistryKey *FindChildKey(const RegistryKey &key, const char *name, size_t length)
{
    size_t at = ChildPosition(key, name, length);
    return at < key.children.size() && SameName(*key.children[at], name, length) ? key.children[at].get() : NULL;
}

RegistryKey *CreateKeyPath(RegistryKey *root, const std::string &path, bool *created)
{
    RegistryKey *key = root;
    size_t start = 0;
    while (start < path.size()) {
        size_t stop = path.find('\\', start);
        if (stop == std::string::npos)
            stop = path.size();
        const char *name = path.data() + start;
        size_t length = stop - start;
        size_t at = ChildPosition(*key, name, length);
        if (at == key->children.size() || !SameName(*key->children[at], name, length)) {
            std::unique_ptr<RegistryKey> added(new RegistryKey);
            added->name.assign(name, length);
            key->children.insert(key->children.begin() + at, std::move(added));
            *created = true;
        }
        RegistryKey *child = key->children[at].get();
        key = child;
        start = stop + 1;
    }
    return key;
}

RegistryKey *FindKeyPath(RegistryKey *root, const std::string &path)
{
    RegistryKey *key = root;
    size_t start = 0;
    while (key && start < path.size()) {
        size_t stop = path.find('\\', start);
        if (stop == std::string::npos)
            stop = path.size();
        key = FindChildKey(*key, path.data() + start, stop - start);
        start = stop + 1;
    }
    return key;
}

void RemoveKeyPath(RegistryKey *root, const std::string &path)
{
    if (path.empty())
        return;
    size_t slash = path.rfind('\\');
    RegistryKey *parent = slash == std::string::npos ? root : FindKeyPath(root, path.substr(0, slash));
    const char *name = path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
    size_t length = path.size() - (size_t)(name - path.c_str());
    if (!parent)
        return;
    size_t at = ChildPosition(*parent, name, length);
    if (at < parent->children.size() && SameName(*parent->children[at], name, length))
        parent->children.erase(parent->children.begin() + at);
}

RegistryValue *FindValue(RegistryKey *key, const std::string &name)
{
    for (RegistryValue &value : key->values) {
        if (CompareKeyPaths(value.name.data(), value.name.size(), name.data(), name.size()) == 0)
            return &value;
    }
    return NULL;
}

void RemoveValue(RegistryKey *key, const std::string &name)
{
    if (RegistryValue *value = FindValue(key, name))
        key->values.erase(key->values.begin() + (value - key->values.data()));
}

void SetValue(RegistryKey *key, RegistryValue *value)
{
    RegistryValue *existing = FindValue(key, value->name);
    if (existing)
        *existing = std::move(*value);
    else
        key->values.push_back(std::move(*value));
}
