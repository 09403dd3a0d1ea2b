/* Reading keys from the file. A run wants a few keys, and the file may hold
 * thousands, in any order, written by any tool: it is read through once,
 * its key lines indexed on the way without building the tree, and kept
 * open while it stays as it was; a save puts a new file in place, so the
 * open one never changes under the index but by an edit in place, which
 * the next read sees. */
#include "registry_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "registry_text_format.h"

namespace {

struct FileView {
    bool loaded = false;
    std::string path;
    std::string stamp; /* empty when there is no file */
    int fd = -1;
    RegistryTextIndex index;
};

FileView g_view;

void DropView(void)
{
    if (g_view.fd >= 0)
        close(g_view.fd);
    g_view = FileView();
}

/* Brings the view up to the file as it is now. */
void RefreshView(void)
{
    std::string path = RegistryFilePath();
    struct stat info;
    bool exists = stat(path.c_str(), &info) == 0;
    std::string stamp = exists ? RegistryFileStamp(info) : "";
    if (g_view.loaded && g_view.path == path && g_view.stamp == stamp)
        return;
    DropView();
    g_view.loaded = true;
    g_view.path = path;
    g_view.fd = exists ? open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (g_view.fd < 0 || fstat(g_view.fd, &info) != 0) {
        if (exists)
            ReportRegistryFile(path, stamp, std::string(": ") + strerror(errno));
        IndexRegistryText("", 0, &g_view.index);
        return;
    }
    g_view.stamp = RegistryFileStamp(info);
    size_t bad = IndexRegistryFile(g_view.fd, &g_view.index);
    if (g_view.index.readError)
        ReportRegistryFile(path, g_view.stamp, std::string(": ") + strerror(g_view.index.readError));
    else if (bad)
        ReportRegistryLine(path, g_view.stamp, bad);
}

} // namespace

bool RegistryFileReadKey(const std::string &path, RegistryKey *key)
{
    RefreshView();
    return FindIndexedKey(g_view.index, path, key);
}

void ForgetRegistryFileView(void)
{
    DropView();
}
