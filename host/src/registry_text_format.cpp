/* REGEDIT4 text: the import rules of the registry editor for reading, its
 * export layout for writing, so that the file can go back and forth. */
#include "registry_text_format.h"

#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "layer_internal.h"

namespace {

const char kHeader[] = "REGEDIT4";
const char kRoot[] = "HKEY_CURRENT_USER";
const size_t kRootLength = sizeof kRoot - 1;
/* The editor wraps hex lists to stay within 80 columns. */
const size_t kHexLineWidth = 77;

/* The text as it is read: all of it in memory, or a window on a file that
 * moves on as lines are read, so that a large file is never held whole. */
struct TextCursor {
    const char *text; /* the window */
    size_t length;
    size_t pos;
    size_t lineNumber;
    /* The file behind the window, or -1 when the window is the whole text. */
    int fd = -1;
    uint64_t base = 0; /* where the window starts in the file */
    bool atEnd = true;
    int error = 0; /* errno of a read that failed */
    std::string *buffer = nullptr;
    size_t chunk = 0;
    /* Set to end the reading at the next key line. */
    bool stop = false;
};

TextCursor TextInMemory(const char *text, size_t length, size_t pos)
{
    TextCursor cursor = { text, length, pos, 0 };
    return cursor;
}

TextCursor TextInFile(int fd, uint64_t offset, std::string *buffer, size_t chunk)
{
    TextCursor cursor = { buffer->data(), 0, 0, 0 };
    cursor.fd = fd;
    cursor.base = offset;
    cursor.atEnd = false;
    cursor.buffer = buffer;
    cursor.chunk = chunk;
    return cursor;
}

/* Moves the window on past what was read and reads more; a line longer
 * than the window makes it grow. False at the end of the file. */
bool ReadMore(TextCursor *cursor)
{
    if (cursor->atEnd)
        return false;
    std::string &buffer = *cursor->buffer;
    size_t kept = cursor->length - cursor->pos;
    memmove(&buffer[0], cursor->text + cursor->pos, kept);
    cursor->base += cursor->pos;
    cursor->pos = 0;
    cursor->length = kept;
    /* Twice what is kept leaves room to read as much again. */
    size_t room = std::max(cursor->chunk, 2 * kept);
    if (buffer.size() < room)
        buffer.resize(room);
    cursor->text = buffer.data();
    for (;;) {
        ssize_t got = pread(cursor->fd, &buffer[kept], buffer.size() - kept, (off_t)(cursor->base + kept));
        if (got < 0 && errno == EINTR)
            continue;
        cursor->error = got < 0 ? errno : 0;
        cursor->atEnd = got <= 0;
        if (got > 0)
            cursor->length += (size_t)got;
        return got > 0;
    }
}

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
    size_t searched = 0;
    const char *stop;
    for (;;) {
        const char *from = cursor->text + cursor->pos + searched;
        stop = (const char *)memchr(from, '\n', cursor->length - cursor->pos - searched);
        searched = cursor->length - cursor->pos;
        if (stop || !ReadMore(cursor))
            break;
    }
    if (cursor->pos >= cursor->length)
        return false;
    const char *start = cursor->text + cursor->pos;
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

bool StartsSection(TextCursor *cursor)
{
    size_t skipped = 0;
    for (;;) {
        const char *from = cursor->text + cursor->pos;
        const char *p = SkipBlanks(from + skipped, cursor->text + cursor->length);
        if (p < cursor->text + cursor->length)
            return *p == '[';
        skipped = (size_t)(p - from);
        if (!ReadMore(cursor))
            return false;
    }
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
    const char *q = *p + 1;
    for (;;) {
        const char *run = q;
        while (q < end && *q != '"' && *q != '\\')
            ++q;
        text->append(run, q);
        if (q < end && *q == '"') {
            *p = q + 1;
            return true;
        }
        /* The end of the line, or a backslash with nothing after it. */
        if (q + 1 >= end)
            return false;
        text->push_back(q[1]);
        q += 2;
    }
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
        value->type = REG_DWORD;
        for (int i = 0; i < 4; ++i)
            value->data.push_back((char)(number >> (8 * i)));
        return true;
    }
    if (end - p >= 4 && strncmp(p, "hex:", 4) == 0) {
        value->type = REG_BINARY;
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

/* Value, comment and blank lines up to the next key line. Values go into
 * `key` when it is not NULL; without a key line above them (`underKey`)
 * they are not understood. Returns the first line not understood, or 0. */
size_t ParseValueLines(TextCursor *cursor, bool underKey, RegistryKey *key)
{
    size_t bad = 0;
    const char *begin, *end;
    RegistryValue value;
    while (!StartsSection(cursor) && NextLine(cursor, &begin, &end)) {
        begin = SkipBlanks(begin, end);
        if (begin == end || *begin == ';')
            continue;
        size_t line = cursor->lineNumber;
        bool remove = false;
        if (!ParseValueLine(cursor, begin, end, &value, &remove) || !underKey) {
            if (!bad)
                bad = line;
        } else if (key && remove) {
            RemoveValue(key, value.name);
        } else if (key) {
            SetValue(key, &value);
        }
    }
    return bad;
}

/* The key path of a section line "[HKEY_CURRENT_USER\...]", without the
 * root, as a part of the line; a trailing backslash is ignored. A line
 * "[-HKEY_CURRENT_USER\...]" deletes that key, which `remove` tells. False
 * for another root or a path with an empty name in it. */
bool ParseSectionLine(const char *begin, const char *end, const char **path, size_t *length, bool *remove)
{
    begin = SkipBlanks(begin, end);
    while (end > begin && IsBlank(end[-1]))
        --end;
    if (end - begin < 2 || *begin != '[' || end[-1] != ']')
        return false;
    const char *p = begin + 1, *stop = end - 1;
    *remove = p < stop && *p == '-';
    if (*remove)
        ++p;
    /* The root is spelt as exported nearly always: that is checked first. */
    if ((size_t)(stop - p) < kRootLength
        || (memcmp(p, kRoot, kRootLength) != 0 && CompareKeyPaths(p, kRootLength, kRoot, kRootLength) != 0))
        return false;
    p += kRootLength;
    if (p < stop && *p != '\\')
        return false;
    if (p < stop)
        ++p;
    if (p < stop && stop[-1] == '\\')
        --stop;
    /* No empty name: no two backslashes together, none at either end. */
    if (p < stop && (*p == '\\' || stop[-1] == '\\'))
        return false;
    for (const char *q = p; (q = (const char *)memchr(q, '\\', (size_t)(stop - q))) != NULL; ++q) {
        if (q + 1 < stop && q[1] == '\\')
            return false;
    }
    *path = p;
    *length = (size_t)(stop - p);
    return true;
}

/* Reads the text as the editor imports it, from its start (`header`) or
 * from a key line. `section(path, length, line, remove)` is told of each
 * key line, with where that line starts and whether it deletes the key, and
 * gives the key its values go in, or NULL to read them without keeping
 * them; a line that is not a key drops the values up to the next key line. Returns the first line not
 * understood, or 0. */
template <typename OnSection>
size_t ReadText(TextCursor *cursor, bool header, OnSection section)
{
    const char *begin, *end;
    size_t bad = 0;
    if (header && NextLine(cursor, &begin, &end)) {
        while (end > begin && IsBlank(end[-1]))
            --end;
        if ((size_t)(end - begin) != sizeof kHeader - 1 || strncmp(begin, kHeader, end - begin) != 0)
            bad = 1;
    }
    bool underKey = false;
    RegistryKey *key = NULL;
    while (!cursor->stop) {
        size_t badValue = ParseValueLines(cursor, underKey, key);
        if (!bad)
            bad = badValue;
        uint64_t line = cursor->base + cursor->pos;
        if (cursor->stop || !NextLine(cursor, &begin, &end))
            break;
        const char *path;
        size_t pathLength;
        bool remove;
        if (ParseSectionLine(begin, end, &path, &pathLength, &remove)) {
            underKey = true;
            key = section(path, pathLength, line, remove);
        } else {
            underKey = false;
            key = NULL;
            if (!bad)
                bad = cursor->lineNumber;
        }
    }
    return bad;
}

/* HostUpperAnsi as a table: every byte of every key line goes through it. */
struct UpperTable {
    unsigned char upper[256];
    UpperTable()
    {
        for (int c = 0; c < 256; ++c)
            upper[c] = HostUpperAnsi((unsigned char)c);
    }
};
const UpperTable kUpper;

inline unsigned char Upper(char c)
{
    return kUpper.upper[(unsigned char)c];
}

/* Two bytes from a hash of a path. */
uint16_t ShortHash(uint32_t hash)
{
    hash *= 0x9E3779B1u;
    return (uint16_t)(hash >> 16);
}

/* A short hash of a key path, the same for any case, and of the path of
 * its parent (the root's when it has none); the number of its levels. A
 * rotation per byte keeps the loop short: the bytes are mixed at the end. */
size_t HashKeyPath(const char *path, size_t length, uint16_t *own, uint16_t *parent)
{
    uint32_t hash = 0, parentHash = 0;
    size_t depth = length > 0;
    for (size_t i = 0; i < length; ++i) {
        if (path[i] == '\\') {
            parentHash = hash;
            ++depth;
        }
        hash = (hash << 5 | hash >> 27) ^ Upper(path[i]);
    }
    *own = ShortHash(hash);
    *parent = ShortHash(parentHash);
    return depth;
}

/* The same text but for case. Names differ most often at their ends, which
 * is where this starts. */
bool SameTextAnyCase(const char *a, const char *b, size_t length)
{
    while (length > 0) {
        --length;
        if (a[length] != b[length] && Upper(a[length]) != Upper(b[length]))
            return false;
    }
    return true;
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
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        const unsigned char *bytes = (const unsigned char *)value.data.data();
        snprintf(number, sizeof number, "dword:%08x",
                 (unsigned)(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (DWORD)bytes[3] << 24));
        *out += number;
    } else {
        if (value.type == REG_BINARY)
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

} // namespace

size_t ParseRegistryText(const char *text, size_t length, RegistryKey *root)
{
    TextCursor cursor = TextInMemory(text, length, 0);
    return ReadText(&cursor, true, [root](const char *path, size_t pathLength, uint64_t, bool remove) {
        bool created = false;
        if (!remove)
            return CreateKeyPath(root, std::string(path, pathLength), &created);
        /* The values after a deleted key go nowhere. */
        RemoveKeyPath(root, std::string(path, pathLength));
        return (RegistryKey *)NULL;
    });
}

std::string WriteRegistryText(const RegistryKey &root)
{
    std::string out = kHeader;
    out += "\n\n";
    std::string path = kRoot;
    AppendKey(&out, &path, root, true);
    return out;
}

namespace {

size_t IndexText(TextCursor *cursor, size_t expectedLength, RegistryTextIndex *index)
{
    index->sections.clear();
    index->marks.clear();
    index->removals.clear();
    index->deepest = 0;
    /* A guess from the size that is seldom short: room not written to costs
     * nothing, as long as it is not asked in gigabytes. */
    index->sections.reserve(std::min(expectedLength / 16, (size_t)1 << 22));
    size_t bad = ReadText(cursor, true, [index](const char *path, size_t length, uint64_t line, bool remove) {
        if (index->sections.size() % RegistryTextIndex::kMarkEvery == 0)
            index->marks.push_back(line);
        if (remove)
            index->removals.push_back(index->sections.size());
        RegistryTextIndex::Section section;
        index->deepest = std::max(index->deepest, HashKeyPath(path, length, &section.own, &section.parent));
        index->sections.push_back(section);
        return (RegistryKey *)NULL;
    });
    index->readError = cursor->error;
    return bad;
}

TextCursor CursorAt(const RegistryTextIndex &index, uint64_t offset)
{
    if (index.fd < 0)
        return TextInMemory(index.text, index.length, (size_t)offset);
    return TextInFile(index.fd, offset, &index.window, index.chunk);
}

enum class Relation { kNone, kSame, kBelow };

/* Whether deleting the key at `sectionPath` deletes the key at `path`:
 * it is that key or one above it. The root is never deleted. */
bool RemovalCovers(const char *sectionPath, size_t length, const std::string &path)
{
    return length > 0 && length <= path.size() && SameTextAnyCase(sectionPath, path.data(), length) &&
           (length == path.size() || path[length] == '\\');
}

Relation RelationOf(const char *sectionPath, size_t length, const std::string &path)
{
    if (length < path.size() || !SameTextAnyCase(sectionPath, path.data(), path.size()))
        return Relation::kNone;
    if (length == path.size())
        return Relation::kSame;
    return path.empty() || sectionPath[path.size()] == '\\' ? Relation::kBelow : Relation::kNone;
}

/* Reads the key lines from the one numbered `first` on, telling
 * `each(number, path, length, remove)` of each until it says stop, and
 * putting the values of a line in the key it gives back. */
template <typename OnSection>
void ReadSectionsFrom(const RegistryTextIndex &index, size_t first, OnSection each)
{
    size_t at = first - first % RegistryTextIndex::kMarkEvery;
    if (at / RegistryTextIndex::kMarkEvery >= index.marks.size())
        return;
    TextCursor cursor = CursorAt(index, index.marks[at / RegistryTextIndex::kMarkEvery]);
    ReadText(&cursor, false, [&](const char *path, size_t length, uint64_t, bool remove) -> RegistryKey * {
        size_t number = at++;
        if (number < first)
            return NULL;
        return each(number, path, length, remove, &cursor.stop);
    });
}

/* How the key line numbered `number` stands to `path`; when it is the key
 * itself and `key` is not NULL, its values are put in `key`. A line that
 * deletes a key stands to none. */
Relation ReadSection(const RegistryTextIndex &index, size_t number, const std::string &path, RegistryKey *key)
{
    Relation relation = Relation::kNone;
    ReadSectionsFrom(index, number, [&](size_t at, const char *sectionPath, size_t length, bool remove,
                                        bool *stop) -> RegistryKey * {
        /* Past its values, at the next key line. */
        *stop = at > number;
        if (at != number)
            return NULL;
        relation = remove ? Relation::kNone : RelationOf(sectionPath, length, path);
        return relation == Relation::kSame ? key : NULL;
    });
    return relation;
}

/* Whether a key line from the one numbered `first` on is of a key below
 * `path`, read through. */
bool AnyKeyBelow(const RegistryTextIndex &index, size_t first, const std::string &path)
{
    bool below = false;
    ReadSectionsFrom(index, first, [&](size_t, const char *sectionPath, size_t length, bool remove,
                                       bool *stop) -> RegistryKey * {
        below = !remove && RelationOf(sectionPath, length, path) == Relation::kBelow;
        *stop = below;
        return NULL;
    });
    return below;
}

/* The number of the first key line after the last one that deletes the key
 * at `path` or a key above it: what comes before is gone. */
size_t FirstAfterRemovals(const RegistryTextIndex &index, const std::string &path)
{
    size_t first = 0;
    for (size_t number : index.removals) {
        ReadSectionsFrom(index, number, [&](size_t, const char *sectionPath, size_t length, bool,
                                            bool *stop) -> RegistryKey * {
            *stop = true;
            if (RemovalCovers(sectionPath, length, path))
                first = number + 1;
            return NULL;
        });
    }
    return first;
}

} // namespace

size_t IndexRegistryText(const char *text, size_t length, RegistryTextIndex *index)
{
    index->fd = -1;
    index->text = text;
    index->length = length;
    TextCursor cursor = TextInMemory(text, length, 0);
    return IndexText(&cursor, length, index);
}

size_t IndexRegistryFile(int fd, RegistryTextIndex *index, size_t window)
{
    index->fd = fd;
    index->text = NULL;
    index->length = 0;
    index->chunk = window;
    struct stat info;
    TextCursor cursor = TextInFile(fd, 0, &index->window, window);
    return IndexText(&cursor, fstat(fd, &info) == 0 ? (size_t)info.st_size : 0, index);
}

bool FindIndexedKey(const RegistryTextIndex &index, const std::string &path, RegistryKey *key)
{
    if (key)
        key->values.clear();
    uint16_t own, parent;
    size_t depth = HashKeyPath(path.data(), path.size(), &own, &parent);
    /* Lines that delete keys are few: only what comes after the last that
     * deletes this key counts. */
    size_t first = index.removals.empty() ? 0 : FirstAfterRemovals(index, path);
    /* The key's own lines, each read in turn: a later value replaces an
     * earlier one. */
    bool found = path.empty();
    for (size_t i = first; i < index.sections.size() && (key || !found); ++i) {
        if (index.sections[i].own == own)
            found = ReadSection(index, i, path, key) == Relation::kSame || found;
    }
    /* Otherwise a line of a key below it, which makes the levels above. */
    for (size_t i = first; i < index.sections.size() && !found; ++i) {
        if (index.sections[i].parent == own)
            found = ReadSection(index, i, path, NULL) == Relation::kBelow;
    }
    /* Only a key two or more levels below is left, when the text has one. */
    if (found || index.deepest < depth + 2)
        return found;
    return AnyKeyBelow(index, first, path);
}
