/* REGEDIT4 text: the import rules of the registry editor for reading, its
 * export layout for writing, so that the file can go back and forth. */
#include "registry_text.h"

#include <stdio.h>
#include <string.h>

#include "layer_internal.h"

namespace {

const char kHeader[] = "REGEDIT4";
const char kRoot[] = "HKEY_CURRENT_USER";
const size_t kRootLength = sizeof kRoot - 1;
/* The editor wraps hex lists to stay within 80 columns. */
const size_t kHexLineWidth = 77;

struct TextCursor {
    const char *text;
    size_t length;
    size_t pos;
    size_t lineNumber;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

const char *SkipBlanks(const char *p, const char *end)
{
    while (p < end && IsBlank(*p))
        ++p;
    return p;
}

/* The next line without its line break; a CR before the LF belongs to the
 * break, as in files exported on Windows. */
bool NextLine(TextCursor *cursor, const char **begin, const char **end)
{
    if (cursor->pos >= cursor->length)
        return false;
    const char *start = cursor->text + cursor->pos;
    const char *stop = (const char *)memchr(start, '\n', cursor->length - cursor->pos);
    if (!stop)
        stop = cursor->text + cursor->length;
    cursor->pos = (size_t)(stop - cursor->text) + (stop < cursor->text + cursor->length ? 1 : 0);
    ++cursor->lineNumber;
    if (stop > start && stop[-1] == '\r')
        --stop;
    *begin = start;
    *end = stop;
    return true;
}

bool StartsSection(const TextCursor &cursor)
{
    const char *p = SkipBlanks(cursor.text + cursor.pos, cursor.text + cursor.length);
    return p < cursor.text + cursor.length && *p == '[';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/* Up to `maxDigits` hex digits as a number; false when there are none. */
bool ParseHexNumber(const char **p, const char *end, size_t maxDigits, DWORD *number)
{
    DWORD value = 0;
    size_t digits = 0;
    while (*p < end && digits < maxDigits && HexDigit(**p) >= 0) {
        value = value << 4 | (DWORD)HexDigit(**p);
        ++*p;
        ++digits;
    }
    *number = value;
    return digits > 0 && (*p == end || HexDigit(**p) < 0);
}

/* A quoted text from its opening quote. The editor takes the character
 * after every backslash as it is, so an unknown escape loses its
 * backslash. False when the closing quote is missing. */
bool ParseQuoted(const char **p, const char *end, std::string *text)
{
    text->clear();
    for (const char *q = *p + 1; q < end; ++q) {
        if (*q == '"') {
            *p = q + 1;
            return true;
        }
        if (*q == '\\' && q + 1 < end)
            ++q;
        text->push_back(*q);
    }
    return false;
}

/* A comma-separated list of bytes; a trailing backslash carries the list
 * on to the next line. */
bool ParseHexList(TextCursor *cursor, const char *p, const char *end, std::string *bytes)
{
    for (;;) {
        p = SkipBlanks(p, end);
        if (p == end)
            return true;
        if (*p == '\\') {
            if (SkipBlanks(p + 1, end) != end || !NextLine(cursor, &p, &end))
                return false;
            continue;
        }
        DWORD byte;
        if (!ParseHexNumber(&p, end, 2, &byte))
            return false;
        bytes->push_back((char)byte);
        p = SkipBlanks(p, end);
        if (p < end && *p == ',')
            ++p;
        else if (p < end && *p != '\\')
            return false;
    }
}

/* The data after "=": a quoted text, dword:, hex: or hex(type):. */
bool ParseData(TextCursor *cursor, const char *p, const char *end, RegistryValue *value)
{
    value->data.clear();
    if (*p == '"') {
        value->type = REG_SZ;
        if (!ParseQuoted(&p, end, &value->data))
            return false;
        value->data.push_back('\0');
        return SkipBlanks(p, end) == end;
    }
    if (end - p >= 6 && strncmp(p, "dword:", 6) == 0) {
        p += 6;
        DWORD number;
        if (!ParseHexNumber(&p, end, 8, &number) || SkipBlanks(p, end) != end)
            return false;
        value->type = 4;
        for (int i = 0; i < 4; ++i)
            value->data.push_back((char)(number >> (8 * i)));
        return true;
    }
    if (end - p >= 4 && strncmp(p, "hex:", 4) == 0) {
        value->type = 3;
        return ParseHexList(cursor, p + 4, end, &value->data);
    }
    if (end - p >= 4 && strncmp(p, "hex(", 4) == 0) {
        p += 4;
        if (!ParseHexNumber(&p, end, 8, &value->type) || end - p < 2 || strncmp(p, "):", 2) != 0)
            return false;
        return ParseHexList(cursor, p + 2, end, &value->data);
    }
    return false;
}

/* One value line, `@=...` or `"name"=...`, with any continuation lines;
 * `@=-` and `"name"=-` delete the value, which `remove` tells. */
bool ParseValueLine(TextCursor *cursor, const char *p, const char *end, RegistryValue *value, bool *remove)
{
    if (*p == '@') {
        value->name.clear();
        ++p;
    } else if (*p != '"' || !ParseQuoted(&p, end, &value->name)) {
        return false;
    }
    p = SkipBlanks(p, end);
    if (p == end || *p != '=')
        return false;
    p = SkipBlanks(p + 1, end);
    *remove = p < end && *p == '-' && SkipBlanks(p + 1, end) == end;
    return *remove || (p < end && ParseData(cursor, p, end, value));
}

void SetValue(RegistryKey *key, RegistryValue *value)
{
    RegistryValue *existing = FindValue(key, value->name);
    if (existing)
        *existing = std::move(*value);
    else
        key->values.push_back(std::move(*value));
}

/* Value, comment and blank lines up to the next key line. Values go into
 * `key`, or are dropped when it is NULL. Returns the first line not
 * understood, or 0. */
size_t ParseValueLines(TextCursor *cursor, RegistryKey *key)
{
    size_t bad = 0;
    const char *begin, *end;
    while (!StartsSection(*cursor) && NextLine(cursor, &begin, &end)) {
        begin = SkipBlanks(begin, end);
        if (begin == end || *begin == ';')
            continue;
        size_t line = cursor->lineNumber;
        RegistryValue value;
        bool remove = false;
        if (!ParseValueLine(cursor, begin, end, &value, &remove)) {
            if (!bad)
                bad = line;
        } else if (key && remove) {
            if (RegistryValue *existing = FindValue(key, value.name))
                key->values.erase(key->values.begin() + (existing - key->values.data()));
        } else if (key) {
            SetValue(key, &value);
        }
    }
    return bad;
}

/* Drops the key at `path` and everything below it; the root stays. */
void RemoveKeyPath(RegistryKey *root, const std::string &path)
{
    size_t slash = path.rfind('\\');
    RegistryKey *parent = slash == std::string::npos ? root : FindKeyPath(root, path.substr(0, slash));
    const char *name = path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
    RegistryKey *child = parent && !path.empty() ? FindChildKey(*parent, name, strlen(name)) : NULL;
    for (size_t i = 0; child && i < parent->children.size(); ++i) {
        if (parent->children[i].get() == child) {
            parent->children.erase(parent->children.begin() + i);
            return;
        }
    }
}

/* The key path of a section line "[HKEY_CURRENT_USER\...]", without the
 * root; a trailing backslash is ignored. False for another root or a path
 * with an empty name in it. */
bool ParseSectionLine(const char *begin, const char *end, std::string *path)
{
    begin = SkipBlanks(begin, end);
    while (end > begin && IsBlank(end[-1]))
        --end;
    if (end - begin < 2 || *begin != '[' || end[-1] != ']')
        return false;
    const char *p = begin + 1, *stop = end - 1;
    if ((size_t)(stop - p) < kRootLength || CompareKeyPaths(p, kRootLength, kRoot, kRootLength) != 0)
        return false;
    p += kRootLength;
    if (p < stop && *p != '\\')
        return false;
    if (p < stop)
        ++p;
    if (p < stop && stop[-1] == '\\')
        --stop;
    path->assign(p, stop);
    /* No empty name: no two backslashes together, none at either end. */
    return path->find("\\\\") == std::string::npos
        && (path->empty() || (path->front() != '\\' && path->back() != '\\'));
}

void AppendQuoted(std::string *out, const std::string &text, size_t length)
{
    out->push_back('"');
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\\' || text[i] == '"')
            out->push_back('\\');
        out->push_back(text[i]);
    }
    out->push_back('"');
}

/* A text that can stand between quotes: one NUL, at its end, and no line
 * break, which the editor would take for the end of the line. */
bool IsQuotable(const RegistryValue &value)
{
    return value.type == REG_SZ && !value.data.empty() && value.data.find('\0') == value.data.size() - 1
        && value.data.find_first_of("\r\n") == std::string::npos;
}

void AppendValue(std::string *out, const RegistryValue &value)
{
    size_t start = out->size();
    if (value.name.empty())
        out->push_back('@');
    else
        AppendQuoted(out, value.name, value.name.size());
    out->push_back('=');
    char number[32];
    if (IsQuotable(value)) {
        AppendQuoted(out, value.data, value.data.size() - 1);
    } else if (value.type == 4 && value.data.size() == 4) {
        const unsigned char *bytes = (const unsigned char *)value.data.data();
        snprintf(number, sizeof number, "dword:%08x",
                 (unsigned)(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (DWORD)bytes[3] << 24));
        *out += number;
    } else {
        if (value.type == 3)
            *out += "hex:";
        else {
            snprintf(number, sizeof number, "hex(%x):", (unsigned)value.type);
            *out += number;
        }
        for (size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0) {
                out->push_back(',');
                if (out->size() - start + 3 > kHexLineWidth) {
                    *out += "\\\n  ";
                    start = out->size() - 2;
                }
            }
            snprintf(number, sizeof number, "%02x", (unsigned char)value.data[i]);
            *out += number;
        }
    }
    out->push_back('\n');
}

void AppendKey(std::string *out, std::string *path, const RegistryKey &key, bool isRoot)
{
    if (!isRoot || !key.values.empty()) {
        *out += '[';
        *out += *path;
        *out += "]\n";
        for (const RegistryValue &value : key.values) {
            if (value.name.empty())
                AppendValue(out, value);
        }
        for (const RegistryValue &value : key.values) {
            if (!value.name.empty())
                AppendValue(out, value);
        }
        out->push_back('\n');
    }
    size_t pathLength = path->size();
    for (const auto &child : key.children) {
        path->push_back('\\');
        *path += child->name;
        AppendKey(out, path, *child, false);
        path->resize(pathLength);
    }
}

/* The first line at or after `from` that begins with '['. */
size_t SectionAtOrAfter(const char *text, size_t length, size_t from)
{
    size_t pos = from;
    if (pos > 0 && pos < length && text[pos - 1] != '\n') {
        const char *line = (const char *)memchr(text + pos, '\n', length - pos);
        pos = line ? (size_t)(line - text) + 1 : length;
    }
    while (pos < length && text[pos] != '[') {
        const char *line = (const char *)memchr(text + pos, '\n', length - pos);
        pos = line ? (size_t)(line - text) + 1 : length;
    }
    return pos;
}

/* Compares the section line at `pos` with a key path. */
int CompareSection(const char *text, size_t length, size_t pos, const std::string &path)
{
    const char *begin = text + pos;
    const char *end = (const char *)memchr(begin, '\n', length - pos);
    if (!end)
        end = text + length;
    std::string sectionPath;
    if (!ParseSectionLine(begin, end, &sectionPath))
        return -1;
    return CompareKeyPaths(sectionPath.data(), sectionPath.size(), path.data(), path.size());
}

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

RegistryValue *FindValue(RegistryKey *key, const std::string &name)
{
    for (RegistryValue &value : key->values) {
        if (CompareKeyPaths(value.name.data(), value.name.size(), name.data(), name.size()) == 0)
            return &value;
    }
    return NULL;
}

size_t ParseRegistryText(const char *text, size_t length, RegistryKey *root)
{
    TextCursor cursor = { text, length, 0, 0 };
    const char *begin, *end;
    size_t bad = 0;
    if (length > 0 && NextLine(&cursor, &begin, &end)) {
        while (end > begin && IsBlank(end[-1]))
            --end;
        if ((size_t)(end - begin) != sizeof kHeader - 1 || strncmp(begin, kHeader, end - begin) != 0)
            bad = 1;
    }
    RegistryKey *key = NULL;
    for (;;) {
        size_t badValue = ParseValueLines(&cursor, key);
        if (!bad)
            bad = badValue;
        if (!NextLine(&cursor, &begin, &end))
            break;
        std::string path;
        bool created = false;
        const char *bracket = SkipBlanks(begin, end);
        const bool remove = end - bracket > 1 && bracket[0] == '[' && bracket[1] == '-';
        const std::string kept = remove ? "[" + std::string(bracket + 2, end) : std::string();
        if (remove && ParseSectionLine(kept.data(), kept.data() + kept.size(), &path)) {
            /* "[-HKEY_CURRENT_USER\...]" deletes the key and all below it. */
            RemoveKeyPath(root, path);
            key = NULL;
        } else if (!remove && ParseSectionLine(begin, end, &path)) {
            key = CreateKeyPath(root, path, &created);
        } else {
            key = NULL;
            if (!bad)
                bad = cursor.lineNumber;
        }
    }
    return bad;
}

std::string WriteRegistryText(const RegistryKey &root)
{
    std::string out = kHeader;
    out += "\n\n";
    std::string path = kRoot;
    AppendKey(&out, &path, root, true);
    return out;
}

bool FindSortedKey(const char *text, size_t length, const std::string &path, RegistryKey *key)
{
    size_t lo = SectionAtOrAfter(text, length, 0), hi = length;
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        size_t section = SectionAtOrAfter(text, length, mid);
        if (section >= hi) {
            hi = mid;
            continue;
        }
        int order = CompareSection(text, length, section, path);
        if (order < 0) {
            lo = SectionAtOrAfter(text, length, section + 1);
        } else if (order > 0) {
            hi = section;
        } else {
            TextCursor cursor = { text, length, section, 0 };
            const char *begin, *end;
            NextLine(&cursor, &begin, &end);
            if (key)
                ParseValueLines(&cursor, key);
            return true;
        }
    }
    return false;
}
