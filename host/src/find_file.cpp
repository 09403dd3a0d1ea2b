/* FindFirstFileA, FindNextFileA and FindClose over the drive mapping. A
 * listing reads its whole folder at once and sorts it as the platform does. */
#include "layer_internal.h"

#include <dirent.h>
#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <unordered_map>

namespace {

const DWORD kDosBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const char kDosAttributeName[] = "user.DOSATTRIB";

/* One listed name. The texts live in the listing's pool, each ending in a
 * NUL; an ASCII name is its own ANSI form. */
struct Entry {
    uint32_t name = 0;
    uint32_t ansi = 0;
    uint32_t key = 0;
    uint16_t keyLength = 0;
    DWORD attributes = 0;
    DWORD dosBits = 0; /* its own hidden and system, for the "." of a folder */
    uint64_t size = 0;
    FILETIME created{}, accessed{}, written{};
};

struct Listing {
    int fd = -1; /* kept open so that a walk into a child opens it by name */
    std::string posixDir;
    std::string dosDir; /* as the caller wrote it, up to its last backslash */
    std::string pool;
    std::vector<Entry> entries; /* "." and ".." first, then sorted */
    size_t next = 0;
    size_t lastGiven = 0;
    size_t matchedButLeftOut = 0; /* dangling links and link loops */

    Listing() = default;
    Listing(const Listing &) = delete;
    Listing &operator=(const Listing &) = delete;
    ~Listing()
    {
        if (fd >= 0)
            close(fd);
    }
    const char *Text(uint32_t offset) const { return pool.data() + offset; }
};

struct FindState {
    std::unordered_map<uintptr_t, std::unique_ptr<Listing>> open;
    uintptr_t nextHandle = 0x4000;
    std::map<std::string, DWORD> fixed;
    bool exactFiles = false;
    std::vector<dev_t> devicesWithoutXattrs;
    std::vector<char> direntBuffer;
};

FindState &State()
{
    static FindState state;
    return state;
}

Listing *LookupListing(HANDLE handle)
{
    FindState &state = State();
    auto found = state.open.find((uintptr_t)handle);
    return found == state.open.end() ? nullptr : found->second.get();
}

FILETIME FileTimeFrom(const struct timespec &time)
{
    /* 100-nanosecond steps since 1601; earlier times show as the start. */
    const int64_t kSecondsFrom1601 = 11644473600LL;
    uint64_t value = 0;
    if (time.tv_sec >= -kSecondsFrom1601)
        value = (uint64_t)(time.tv_sec + kSecondsFrom1601) * 10000000ULL + (uint64_t)time.tv_nsec / 100;
    return FILETIME{ (DWORD)value, (DWORD)(value >> 32) };
}

void TakeTimesAndSize(const struct stat &info, Entry *entry)
{
    entry->written = FileTimeFrom(info.st_mtim);
    entry->accessed = FileTimeFrom(info.st_atim);
    entry->created = entry->written; /* the host keeps no birth time everywhere */
    entry->size = S_ISDIR(info.st_mode) ? 0 : (uint64_t)info.st_size;
}

DWORD ReadOnlyBit(const struct stat &info)
{
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) ? 0 : FILE_ATTRIBUTE_READONLY;
}

/* Hidden and system as Wine and Samba keep them: text such as "0x2" at the
 * start of user.DOSATTRIB (Samba follows it with binary data). */
DWORD ParseDosAttributes(const char *text, ssize_t length)
{
    if (length < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return 0;
    char digits[16];
    ssize_t count = 0;
    while (2 + count < length && count < (ssize_t)sizeof digits - 1 && isxdigit((unsigned char)text[2 + count])) {
        digits[count] = text[2 + count];
        ++count;
    }
    digits[count] = '\0';
    return (DWORD)strtoul(digits, nullptr, 16) & kDosBits;
}

/* A file system without user extended attributes says so once per device;
 * it is not asked again. */
bool DeviceLacksXattrs(dev_t device)
{
    const std::vector<dev_t> &devices = State().devicesWithoutXattrs;
    return std::find(devices.begin(), devices.end(), device) != devices.end();
}

DWORD DosBitsFromResult(ssize_t length, const char *text, dev_t device)
{
    if (length >= 0)
        return ParseDosAttributes(text, length);
    if (errno == ENOTSUP && !DeviceLacksXattrs(device))
        State().devicesWithoutXattrs.push_back(device);
    return 0;
}

DWORD DosBitsAtPath(const std::string &path, bool followLink, dev_t device)
{
    if (DeviceLacksXattrs(device))
        return 0;
    char text[256];
    ssize_t length = followLink ? getxattr(path.c_str(), kDosAttributeName, text, sizeof text)
                                : lgetxattr(path.c_str(), kDosAttributeName, text, sizeof text);
    return DosBitsFromResult(length, text, device);
}

DWORD DosBitsOfOpenFolder(int fd, dev_t device)
{
    if (DeviceLacksXattrs(device))
        return 0;
    char text[256];
    ssize_t length = fgetxattr(fd, kDosAttributeName, text, sizeof text);
    return DosBitsFromResult(length, text, device);
}

const DWORD *FixedWordOf(const std::string &posixPath)
{
    const std::map<std::string, DWORD> &fixed = State().fixed;
    auto found = fixed.find(posixPath);
    return found == fixed.end() ? nullptr : &found->second;
}

/* Characters that no name on the platform holds, by ASCII code: controls
 * and < > : " / \ | ? *. Asked for every byte of every name: a table. */
bool IsForbiddenInName(unsigned char c)
{
    static const uint32_t kForbidden[4] = { 0xFFFFFFFFu, 0xD4008404u, 0x10000000u, 0x10000000u };
    return c < 0x80 && (kForbidden[c >> 5] >> (c & 31)) & 1;
}

/* The ANSI form of a host name; FALSE for a name the program could not
 * name back: one with a character the platform forbids in names, or one
 * that code page 1252 cannot show exactly. */
bool AnsiNameOf(const char *name, size_t length, std::string *ansi, bool *isAscii)
{
    *isAscii = true;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = (unsigned char)name[i];
        if (c >= 0x80)
            *isAscii = false;
        else if (IsForbiddenInName(c))
            return false;
    }
    if (*isAscii)
        return length < MAX_PATH;
    return HostAnsiFromUtf8(name, length, ansi) && ansi->size() < MAX_PATH;
}

/* `*` takes any run, `?` one character, the rest compares as lstrcmpiA
 * does. A final ".*" may also match the end of a name without a dot, so
 * that "*.*" takes every name and "WAOL.*" takes "WAOL". */
bool MatchesFrom(const char *pattern, const char *name)
{
    const char *starPattern = nullptr;
    const char *starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' ||
                   (*pattern && HostUpperAnsi((unsigned char)*pattern) == HostUpperAnsi((unsigned char)*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0' || strcmp(pattern, ".*") == 0;
}

bool MatchesEverything(const char *pattern)
{
    return strcmp(pattern, "*") == 0 || strcmp(pattern, "*.*") == 0;
}

/* The sort key: the upper-cased name as code points in UTF-8, whose byte
 * order is their order. */
void AppendSortKey(const std::string &ansi, std::string *pool)
{
    for (unsigned char c : ansi)
        HostAppendUtf8(HostCodePointFromAnsi(HostUpperAnsi(c)), pool);
}

uint32_t AddText(Listing *listing, const char *text, size_t length)
{
    uint32_t offset = (uint32_t)listing->pool.size();
    listing->pool.append(text, length);
    listing->pool.push_back('\0');
    return offset;
}

void AddDotEntry(Listing *listing, const char *name, DWORD dosBits)
{
    Entry entry;
    entry.name = entry.ansi = AddText(listing, name, strlen(name));
    entry.attributes = FILE_ATTRIBUTE_DIRECTORY | dosBits;
    listing->entries.push_back(entry);
}

/* What the platform shows for one host entry; FALSE when it is left out:
 * gone since it was read, a dangling link or a link loop. */
bool DescribeEntry(const Listing &listing, const char *name, unsigned char type, Entry *entry)
{
    FindState &state = State();
    const bool dotName = name[0] == '.';
    const DWORD hidden = dotName ? FILE_ATTRIBUTE_HIDDEN : 0;
    if (!state.fixed.empty()) {
        if (const DWORD *word = FixedWordOf(listing.posixDir + "/" + name)) {
            entry->attributes = *word;
            entry->dosBits = *word & kDosBits;
            return true;
        }
    }
    if (type == DT_REG && !state.exactFiles) {
        entry->attributes = FILE_ATTRIBUTE_ARCHIVE | hidden;
        return true;
    }
    struct stat info;
    if (fstatat(listing.fd, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0)
        return false;
    const bool isLink = S_ISLNK(info.st_mode);
    if (isLink && fstatat(listing.fd, name, &info, AT_NO_AUTOMOUNT) != 0)
        return false;
    TakeTimesAndSize(info, entry);
    if (S_ISDIR(info.st_mode)) {
        entry->dosBits = DosBitsAtPath(listing.posixDir + "/" + name, isLink, info.st_dev);
        /* A link to a folder takes its target's read-only bit too. */
        entry->attributes = FILE_ATTRIBUTE_DIRECTORY | hidden | ReadOnlyBit(info) | entry->dosBits;
        if (isLink)
            entry->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        return true;
    }
    entry->attributes = FILE_ATTRIBUTE_ARCHIVE | hidden;
    if (state.exactFiles) {
        entry->dosBits = DosBitsAtPath(listing.posixDir + "/" + name, true, info.st_dev);
        entry->attributes |= ReadOnlyBit(info) | entry->dosBits;
    }
    return true;
}

/* Adds one name that getdents64 gave, when the pattern takes it. */
void AddHostEntry(Listing *listing, const char *name, unsigned char type, const char *pattern, bool everything)
{
    size_t length = strlen(name);
    std::string ansi;
    bool isAscii;
    if (!AnsiNameOf(name, length, &ansi, &isAscii))
        return;
    if (isAscii)
        ansi.assign(name, length);
    if (!everything && !MatchesFrom(pattern, ansi.c_str()))
        return;
    Entry entry;
    if (!DescribeEntry(*listing, name, type, &entry)) {
        ++listing->matchedButLeftOut;
        return;
    }
    entry.name = AddText(listing, name, length);
    entry.ansi = isAscii ? entry.name : AddText(listing, ansi.data(), ansi.size());
    entry.key = (uint32_t)listing->pool.size();
    AppendSortKey(ansi, &listing->pool);
    entry.keyLength = (uint16_t)(listing->pool.size() - entry.key);
    listing->entries.push_back(entry);
}

void SortHostEntries(Listing *listing, size_t first)
{
    const char *pool = listing->pool.data();
    std::sort(listing->entries.begin() + (ptrdiff_t)first, listing->entries.end(),
              [pool](const Entry &a, const Entry &b) {
                  int order = memcmp(pool + a.key, pool + b.key, std::min(a.keyLength, b.keyLength));
                  if (order != 0)
                      return order < 0;
                  if (a.keyLength != b.keyLength)
                      return a.keyLength < b.keyLength;
                  return strcmp(pool + a.name, pool + b.name) < 0;
              });
}

/* The platform's error for a folder that would not open. A file or a
 * dangling link named as the folder is an invalid name there; a file or
 * dangling link further up the path is a path not found; a link loop
 * anywhere cannot be resolved. */
DWORD ErrorOfOpen(int error, const std::string &posixDir)
{
    struct stat info;
    switch (error) {
    case ENOTDIR:
        return stat(posixDir.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) ? ERROR_INVALID_NAME
                                                                            : ERROR_PATH_NOT_FOUND;
    case ENOENT:
        return lstat(posixDir.c_str(), &info) == 0 && S_ISLNK(info.st_mode) ? ERROR_INVALID_NAME
                                                                             : ERROR_PATH_NOT_FOUND;
    default:
        return HostErrorFromErrno(error, ERROR_PATH_NOT_FOUND);
    }
}

/* Reads the open folder whole. FALSE with the platform's error when the
 * host cannot read it. */
bool ReadListing(Listing *listing, const char *pattern, bool withDots, DWORD folderDosBits, DWORD *error)
{
    const bool everything = MatchesEverything(pattern);
    if (withDots) {
        if (everything || MatchesFrom(pattern, "."))
            AddDotEntry(listing, ".", folderDosBits);
        if (everything || MatchesFrom(pattern, ".."))
            AddDotEntry(listing, "..", 0);
    }
    const size_t first = listing->entries.size();
    std::vector<char> &buffer = State().direntBuffer;
    if (buffer.empty())
        buffer.resize(64 * 1024);
    for (;;) {
        ssize_t got = getdents64(listing->fd, buffer.data(), buffer.size());
        if (got < 0) {
            *error = ErrorOfOpen(errno, listing->posixDir);
            return false;
        }
        if (got == 0)
            break;
        for (ssize_t offset = 0; offset < got;) {
            const struct dirent64 *record = (const struct dirent64 *)(buffer.data() + offset);
            offset += record->d_reclen;
            const char *name = record->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            AddHostEntry(listing, name, record->d_type, pattern, everything);
        }
    }
    SortHostEntries(listing, first);
    return true;
}

/* Is the listing's folder the entry `giver` handed out last? */
bool IsLastGivenFolder(const Listing &giver, const std::string &dir)
{
    const Entry &entry = giver.entries[giver.lastGiven];
    const char *name = giver.Text(entry.name);
    if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT || !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    const char *ansi = giver.Text(entry.ansi);
    size_t ansiLength = strlen(ansi);
    size_t base = giver.dosDir.size();
    return dir.size() == base + ansiLength + 1 && dir.compare(0, base, giver.dosDir) == 0 &&
           dir.compare(base, ansiLength, ansi) == 0 && dir.back() == '\\';
}

/* The walk into a folder just handed out by an open listing opens it by
 * name from there: no lookup of the whole path. The listing that gave it,
 * or NULL. */
const Listing *OpenAsChildOfGiver(Listing *listing)
{
    for (const auto &open : State().open) {
        const Listing &giver = *open.second;
        if (!IsLastGivenFolder(giver, listing->dosDir))
            continue;
        const char *name = giver.Text(giver.entries[giver.lastGiven].name);
        listing->fd = openat(giver.fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (listing->fd < 0)
            return nullptr;
        listing->posixDir = giver.posixDir + "/" + name;
        return &giver;
    }
    return nullptr;
}

/* Opens the folder of a listing through the drive mapping. */
bool OpenByPath(Listing *listing, bool *isRoot, DWORD *error)
{
    std::optional<std::string> posix = HostPosixFromDos(listing->dosDir.c_str());
    if (!posix) {
        *error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    listing->posixDir = *posix;
    while (listing->posixDir.size() > 1 && listing->posixDir.back() == '/')
        listing->posixDir.pop_back();
    listing->fd = open(listing->posixDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing->fd < 0) {
        *error = ErrorOfOpen(errno, listing->posixDir);
        return false;
    }
    *isRoot = listing->posixDir == "/" || listing->posixDir == HostDriveCFolder();
    if (listing->posixDir == "/")
        listing->posixDir.clear(); /* names are joined with a slash */
    return true;
}

DWORD DosBitsOfListedFolder(const Listing &listing)
{
    if (const DWORD *word = State().fixed.empty() ? nullptr : FixedWordOf(listing.posixDir))
        return *word & kDosBits;
    struct stat info;
    if (fstat(listing.fd, &info) != 0)
        return 0;
    return DosBitsOfOpenFolder(listing.fd, info.st_dev);
}

void FillRecord(const Listing &listing, const Entry &entry, LPWIN32_FIND_DATAA data)
{
    memset(data, 0, sizeof *data);
    data->dwFileAttributes = entry.attributes;
    data->ftCreationTime = entry.created;
    data->ftLastAccessTime = entry.accessed;
    data->ftLastWriteTime = entry.written;
    data->nFileSizeHigh = (DWORD)(entry.size >> 32);
    data->nFileSizeLow = (DWORD)entry.size;
    if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        data->dwReserved0 = IO_REPARSE_TAG_SYMLINK;
    const char *ansi = listing.Text(entry.ansi);
    memcpy(data->cFileName, ansi, strlen(ansi) + 1);
}

void HandOut(Listing *listing, LPWIN32_FIND_DATAA data)
{
    listing->lastGiven = listing->next++;
    FillRecord(*listing, listing->entries[listing->lastGiven], data);
}

HANDLE StartListing(LPCSTR fileName, LPWIN32_FIND_DATAA data)
{
    const char *lastSlash = strrchr(fileName, '\\');
    if (!lastSlash) {
        SetLastError(ERROR_PATH_NOT_FOUND); /* the host has no current folder */
        return INVALID_HANDLE_VALUE;
    }
    const char *pattern = lastSlash + 1;
    if (*pattern == '\0') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::unique_ptr<Listing> listing(new Listing);
    listing->dosDir.assign(fileName, (size_t)(pattern - fileName));

    DWORD error = 0;
    bool isRoot = false;
    DWORD folderDosBits = 0;
    if (const Listing *giver = OpenAsChildOfGiver(listing.get())) {
        folderDosBits = giver->entries[giver->lastGiven].dosBits;
    } else if (OpenByPath(listing.get(), &isRoot, &error)) {
        folderDosBits = DosBitsOfListedFolder(*listing);
    } else {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if (!ReadListing(listing.get(), pattern, !isRoot, folderDosBits, &error)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if (listing->entries.empty()) {
        /* Names that matched but were left out end the listing at once. */
        SetLastError(listing->matchedButLeftOut ? ERROR_NO_MORE_FILES : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    FindState &state = State();
    uintptr_t handle = state.nextHandle;
    state.nextHandle += 4;
    Listing *kept = listing.get();
    state.open.emplace(handle, std::move(listing));
    HandOut(kept, data);
    SetLastError(ERROR_SUCCESS);
    return (HANDLE)handle;
}

} // namespace

void HostResetFindFile(void)
{
    FindState &state = State();
    state.open.clear();
    state.fixed.clear();
    state.exactFiles = false;
    state.devicesWithoutXattrs.clear();
}

BOOL HostFixFindAttributes(LPCSTR dosPath, DWORD attributes)
{
    std::optional<std::string> posix = HostPosixFromDos(dosPath);
    if (!posix)
        return FALSE;
    std::string path = *posix;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    State().fixed[path] = attributes;
    return TRUE;
}

void HostSetFindFileDetail(BOOL exact)
{
    State().exactFiles = exact != FALSE;
}

int HostOpenFindListings(void)
{
    return (int)State().open.size();
}

HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData)
{
    if (HostCallFails(HOST_CALL_FIND_FIRST_FILE, nullptr))
        return INVALID_HANDLE_VALUE;
    if (!fileName || !findData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (strlen(fileName) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    try {
        return StartListing(fileName, findData);
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
}

BOOL WINAPI FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData)
{
    Listing *listing = LookupListing(findFile);
    if (!listing) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (HostCallFails(HOST_CALL_FIND_NEXT_FILE, nullptr))
        return FALSE;
    if (!findData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (listing->next >= listing->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    HandOut(listing, findData);
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE findFile)
{
    FindState &state = State();
    auto found = state.open.find((uintptr_t)findFile);
    if (found == state.open.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    state.open.erase(found);
    return TRUE;
}
