/* Saving into the file. A save writes a new file and renames it over the
 * old one under a lock on a file beside it, so that readers never see half
 * a file and two copies saving at once both keep their settings. */
#include "layer_internal.h"
#include "registry_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "registry_text_format.h"

namespace {

std::string LockPath(const std::string &path)
{
    return path + ".lock";
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

/* The store is no file the caller named: a way to it that is missing is
 * as closed to the caller as one that is denied. */
LONG StoreError(int error)
{
    return (LONG)(error == ENOENT || error == ENOTDIR ? ERROR_ACCESS_DENIED
                                                      : HostErrorFromErrno(error, ERROR_ACCESS_DENIED));
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

LONG ChangeLocked(const std::string &path, const std::function<bool(RegistryKey *root)> &change)
{
    std::string text, stamp;
    if (!ReadRegistryFile(path, &text, &stamp)) {
        ReportRegistryFile(path, stamp, std::string(": ") + strerror(errno));
        return StoreError(errno);
    }
    RegistryKey root;
    size_t bad = ParseRegistryText(text.data(), text.size(), &root);
    if (bad) {
        ReportRegistryLine(path, stamp, bad);
        return ERROR_REGISTRY_CORRUPT;
    }
    if (!change(&root))
        return ERROR_SUCCESS;
    return ReplaceFile(path, WriteRegistryText(root)) ? ERROR_SUCCESS : StoreError(errno);
}

} // namespace

LONG RegistryFileChange(const std::function<bool(RegistryKey *root)> &change)
{
    std::string path = WritePath(RegistryFilePath());
    if (path.empty())
        return ERROR_ACCESS_DENIED;
    if (!MakeFolders(FolderOf(path)))
        return StoreError(errno);
    int lock = open(LockPath(path).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0)
        return StoreError(errno);
    LONG result;
    while ((result = flock(lock, LOCK_EX)) != 0 && errno == EINTR) {
    }
    result = result == 0 ? ChangeLocked(path, change) : StoreError(errno);
    close(lock);
    return result;
}
