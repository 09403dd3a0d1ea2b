/* HKEY_CURRENT_USER in one REGEDIT4 file: where it lives, how it is read
 * whole, and how a fault in it is told. Reading keys is in
 * registry_file_read.cpp, saving in registry_file_write.cpp. */
#include "registry_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "layer_internal.h"

namespace {

std::optional<std::string> g_override;
/* A fault is told once for each state of the file. */
std::string g_reported;

/* Everything up to the end of the file, however long it is by now;
 * `expected` is the size it had, read in one call when it has not grown. */
bool ReadAll(int fd, size_t expected, std::string *text)
{
    size_t used = 0;
    text->resize(expected + 1);
    for (;;) {
        if (used == text->size())
            text->resize(used * 2);
        ssize_t got = read(fd, &(*text)[used], text->size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            text->resize(used);
            return got == 0;
        }
        used += (size_t)got;
    }
}

} // namespace

std::string RegistryFilePath(void)
{
    if (g_override)
        return *g_override;
    const char *file = getenv("TOVRIK_REGISTRY");
    if (file && *file)
        return file;
    const char *config = getenv("XDG_CONFIG_HOME");
    std::string folder = config && config[0] == '/' ? config : HostHomeFolder() + "/.config";
    return folder + "/tovrik/user.reg";
}

/* A save makes a new file, and any edit moves the change time, which no
 * program can set. */
std::string RegistryFileStamp(const struct stat &info)
{
    char stamp[160];
    snprintf(stamp, sizeof stamp, "%llu %llu %lld %lld.%09ld %lld.%09ld", (unsigned long long)info.st_dev,
             (unsigned long long)info.st_ino, (long long)info.st_size, (long long)info.st_mtim.tv_sec,
             info.st_mtim.tv_nsec, (long long)info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
    return stamp;
}

bool ReadRegistryFile(const std::string &path, std::string *text, std::string *stamp)
{
    text->clear();
    stamp->clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && ReadAll(fd, (size_t)info.st_size, text);
    if (ok)
        *stamp = RegistryFileStamp(info);
    int error = errno;
    close(fd);
    errno = error;
    return ok;
}

void ReportRegistryFile(const std::string &path, const std::string &stamp, const std::string &fault)
{
    std::string key = path + '\n' + stamp;
    if (g_reported == key)
        return;
    g_reported = key;
    fprintf(stderr, "tovrik: %s%s; the settings file is left as it is until that is mended\n", path.c_str(),
            fault.c_str());
}

void ReportRegistryLine(const std::string &path, const std::string &stamp, size_t line)
{
    ReportRegistryFile(path, stamp, ":" + std::to_string(line) + ": this line is not registry editor text");
}

void RegistryFileReset(void)
{
    ForgetRegistryFileView();
    g_override.reset();
    g_reported.clear();
}

void HostSetRegistryFile(const char *posixPath)
{
    g_override = posixPath ? std::optional<std::string>(posixPath) : std::nullopt;
    ForgetRegistryFileView();
}
