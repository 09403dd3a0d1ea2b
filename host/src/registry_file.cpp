/* HKEY_CURRENT_USER in one REGEDIT4 file. A save writes a new file and
 * renames it over the old one under a lock on a file beside it, so that
 * readers never see half a file and two copies saving at once both keep
 * their settings. The lock file also records which file the last save
 * wrote: while that is the file in place, it is known to be sorted, and a
 * run finds its keys by binary search instead of parsing everything. */
#include "registry_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "layer_internal.h"

namespace {

struct CachedView {
    bool loaded = false;
    std::string path;
    std::string stamp; /* empty when there is no file */
    const char *map = nullptr;
    size_t length = 0;
    bool sorted = false;
    RegistryKey tree; /* the whole file, when it is not known to be sorted */
};

bool g_overridden = false;
std::string g_override;
CachedView g_view;
/* A fault is told once for each state of the file. */
std::string g_reported;

std::string HomeFolder(void)
{
    const char *home = getenv("HOME");
    if (home && *home)
        return home;
    struct passwd *user = getpwuid(geteuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

std::string RegistryFilePath(void)
{
    if (g_overridden)
        return g_override;
    const char *file = getenv("TOVRIK_REGISTRY");
    if (file && *file)
        return file;
    const char *config = getenv("XDG_CONFIG_HOME");
    std::string folder = config && config[0] == '/' ? config : HomeFolder() + "/.config";
    return folder + "/tovrik/user.reg";
}

/* What tells one state of a file from another: a save makes a new file,
 * and any edit moves the change time, which no program can set. */
std::string StampOf(const struct stat &info)
{
    char stamp[160];
    snprintf(stamp, sizeof stamp, "%llu %llu %lld %lld.%09ld %lld.%09ld\n", (unsigned long long)info.st_dev,
             (unsigned long long)info.st_ino, (long long)info.st_size, (long long)info.st_mtim.tv_sec,
             info.st_mtim.tv_nsec, (long long)info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
    return stamp;
}

std::string LockPath(const std::string &path)
{
    return path + ".lock";
}

/* The stamp of the file that the last save put in place. */
std::string ReadSavedStamp(const std::string &path)
{
    int fd = open(LockPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "";
    char stamp[160];
    ssize_t got = read(fd, stamp, sizeof stamp);
    close(fd);
    return got > 0 ? std::string(stamp, (size_t)got) : "";
}

void Report(const std::string &path, const std::string &stamp, const std::string &fault)
{
    std::string key = path + '\n' + stamp;
    if (g_reported == key)
        return;
    g_reported = key;
    fprintf(stderr, "tovrik: %s%s; the settings file is left as it is until that is mended\n", path.c_str(),
            fault.c_str());
}

void ReportBadLine(const std::string &path, const std::string &stamp, size_t line)
{
    Report(path, stamp, ":" + std::to_string(line) + ": this line is not registry editor text");
}

void DropView(void)
{
    if (g_view.map)
        munmap((void *)g_view.map, g_view.length);
    g_view = CachedView();
}

/* Everything up to the end of the file, however long it is by now. */
bool ReadAll(int fd, std::string *text)
{
    text->clear();
    char block[65536];
    for (;;) {
        ssize_t got = read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        text->append(block, (size_t)got);
    }
}

/* A file cut short in place while it is mapped raises SIGBUS on a read
 * past its new end. Such a page of the view reads as zeros instead: the
 * lookup then finds nothing, and the next call sees that the file has
 * changed. Other faults go where they went before. */
struct sigaction g_previousBusAction;
long g_pageSize;

void OnBusError(int signal, siginfo_t *info, void *context)
{
    const char *address = (const char *)info->si_addr;
    if (g_view.map && address >= g_view.map && address < g_view.map + g_view.length) {
        void *page = (void *)((uintptr_t)address & ~(uintptr_t)(g_pageSize - 1));
        if (mmap(page, (size_t)g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;
    }
    if (g_previousBusAction.sa_flags & SA_SIGINFO) {
        g_previousBusAction.sa_sigaction(signal, info, context);
    } else if (g_previousBusAction.sa_handler != SIG_DFL && g_previousBusAction.sa_handler != SIG_IGN) {
        g_previousBusAction.sa_handler(signal);
    } else {
        /* The fault comes back on return and ends the process as before. */
        sigaction(SIGBUS, &g_previousBusAction, NULL);
    }
}

void GuardMappedPages(void)
{
    static bool guarded = false;
    if (guarded)
        return;
    guarded = true;
    g_pageSize = sysconf(_SC_PAGESIZE);
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previousBusAction);
}

/* A link to the file is kept: the new file replaces what it points to. */
std::string WritePath(const std::string &path)
{
    struct stat info;
    char resolved[PATH_MAX];
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

/* Brings the view up to the file as it is now. */
void RefreshView(void)
{
    std::string path = RegistryFilePath();
    struct stat info;
    bool exists = stat(path.c_str(), &info) == 0;
    if (g_view.loaded && g_view.path == path && g_view.stamp == (exists ? StampOf(info) : ""))
        return;
    DropView();
    g_view.loaded = true;
    g_view.path = path;
    int fd = exists ? open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0 || fstat(fd, &info) != 0) {
        if (exists)
            Report(path, "", std::string(": ") + strerror(errno));
        if (fd >= 0)
            close(fd);
        return;
    }
    g_view.stamp = StampOf(info);
    g_view.sorted = ReadSavedStamp(WritePath(path)) == g_view.stamp && info.st_size > 0;
    if (g_view.sorted) {
        void *map = mmap(nullptr, (size_t)info.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
        g_view.sorted = map != MAP_FAILED;
        if (g_view.sorted) {
            GuardMappedPages();
            g_view.map = (const char *)map;
            g_view.length = (size_t)info.st_size;
        }
    }
    /* Read, not mapped: the whole file is parsed now, and a file that is
     * not ours may be cut short while that runs. */
    std::string text;
    if (!g_view.sorted && ReadAll(fd, &text)) {
        size_t bad = ParseRegistryText(text.data(), text.size(), &g_view.tree);
        if (bad)
            ReportBadLine(path, g_view.stamp, bad);
    }
    close(fd);
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string &folder)
{
    struct stat info;
    if (stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

LONG ErrorFromErrno(int error)
{
    return error == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED;
}

/* The whole file, or "" when there is none. */
bool ReadWholeFile(const std::string &path, std::string *text, std::string *stamp)
{
    text->clear();
    stamp->clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && ReadAll(fd, text);
    if (ok)
        *stamp = StampOf(info);
    int error = errno;
    close(fd);
    errno = error;
    return ok;
}

bool WriteAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += (size_t)put;
    }
    return true;
}

/* Writes the new file beside the old, makes it durable, and renames it
 * over the old one: a crash at any point leaves one whole file. The rename
 * needs only the folder's write right, so the old file's own right is
 * asked first, and its mode carried over. */
bool ReplaceFile(const std::string &path, const std::string &text)
{
    mode_t mode = 0600;
    struct stat old;
    if (stat(path.c_str(), &old) == 0) {
        if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return false;
        mode = old.st_mode & 07777;
    }
    std::string temporary = path + ".new";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    int error = errno;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
        error = ok ? errno : error;
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

LONG ChangeLocked(const std::string &path, int lock, const std::function<bool(RegistryKey *root)> &change)
{
    std::string text, stamp;
    if (!ReadWholeFile(path, &text, &stamp)) {
        Report(path, stamp, std::string(": ") + strerror(errno));
        return ErrorFromErrno(errno);
    }
    RegistryKey root;
    size_t bad = ParseRegistryText(text.data(), text.size(), &root);
    if (bad) {
        ReportBadLine(path, stamp, bad);
        return ERROR_REGISTRY_CORRUPT;
    }
    if (!change(&root))
        return ERROR_SUCCESS;
    if (!ReplaceFile(path, WriteRegistryText(root)))
        return ErrorFromErrno(errno);
    /* A stale or half-written record only costs the next reader the slow
     * way: it never matches another file. */
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        std::string saved = StampOf(info);
        if (pwrite(lock, saved.data(), saved.size(), 0) == (ssize_t)saved.size())
            (void)!ftruncate(lock, (off_t)saved.size());
    }
    return ERROR_SUCCESS;
}

} // namespace

bool RegistryFileReadKey(const std::string &path, RegistryKey *key)
{
    RefreshView();
    /* The root has a section only when it has values, but always exists. */
    if (g_view.sorted)
        return FindSortedKey(g_view.map, g_view.length, path, key) || path.empty();
    RegistryKey *found = FindKeyPath(&g_view.tree, path);
    if (found && key)
        key->values = found->values;
    return found != NULL;
}

LONG RegistryFileChange(const std::function<bool(RegistryKey *root)> &change)
{
    std::string path = WritePath(RegistryFilePath());
    if (path.empty())
        return ERROR_ACCESS_DENIED;
    if (!MakeFolders(FolderOf(path)))
        return ErrorFromErrno(errno);
    int lock = open(LockPath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0)
        return ErrorFromErrno(errno);
    LONG result;
    while ((result = flock(lock, LOCK_EX)) != 0 && errno == EINTR) {
    }
    result = result == 0 ? ChangeLocked(path, lock, change) : ErrorFromErrno(errno);
    close(lock);
    return result;
}

void RegistryFileReset(void)
{
    DropView();
    g_overridden = false;
    g_override.clear();
    g_reported.clear();
}

void HostSetRegistryFile(const char *posixPath)
{
    g_overridden = posixPath != NULL;
    g_override = posixPath ? posixPath : "";
    DropView();
}
