/* Drive letters over POSIX folders, as Wine lays them out: C: is a folder
 * of the user's choosing, Z: is the root. Names are found without regard to
 * case, since the platform's file names ignore it. */
#include "layer_internal.h"

#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace {

std::optional<std::string> g_driveOverride;

bool IsFolder(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string &path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

/* The entry of `folder` whose name is the ANSI `name` without regard to
 * case; the exact spelling wins when it exists. Host names are UTF-8. */
bool FindNameIgnoringCase(const std::string &folder, const std::string &name, std::string *found)
{
    std::string utf8 = HostUtf8FromAnsi(name.data(), name.size());
    std::string exact = folder + "/" + utf8;
    if (Exists(exact)) {
        *found = utf8;
        return true;
    }
    DIR *dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir)
        return false;
    bool matched = false;
    std::string ansi;
    while (struct dirent *entry = readdir(dir)) {
        if (HostAnsiFromUtf8(entry->d_name, strlen(entry->d_name), &ansi) &&
            lstrcmpiA(ansi.c_str(), name.c_str()) == 0) {
            *found = entry->d_name;
            matched = true;
            break;
        }
    }
    closedir(dir);
    return matched;
}

BOOL CopyOut(const std::optional<std::string> &text, char *dest, size_t size)
{
    if (!text || !dest || text->size() >= size)
        return FALSE;
    memcpy(dest, text->c_str(), text->size() + 1);
    return TRUE;
}

} // namespace

void HostSetDriveC(const char *posixFolder)
{
    g_driveOverride = posixFolder ? std::optional<std::string>(posixFolder) : std::nullopt;
}

std::string HostDriveCFolder(void)
{
    std::string folder;
    if (g_driveOverride) {
        folder = *g_driveOverride;
    } else if (const char *drive = getenv("TOVRIK_DRIVE_C")) {
        folder = drive;
    } else {
        const char *prefix = getenv("WINEPREFIX");
        std::string home = HostHomeFolder();
        if (prefix && *prefix)
            folder = std::string(prefix) + "/drive_c";
        else if (!home.empty())
            folder = home + "/.wine/drive_c";
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty() || !IsFolder(folder))
        return std::string();
    return folder;
}

std::optional<std::string> HostPosixFromDos(const char *dosPath)
{
    if (!dosPath || strlen(dosPath) < 3 || dosPath[1] != ':' || dosPath[2] != '\\')
        return std::nullopt;
    std::string path;
    char drive = (char)(dosPath[0] & ~0x20);
    if (drive == 'C') {
        path = HostDriveCFolder();
        if (path.empty())
            return std::nullopt;
    } else if (drive != 'Z') {
        return std::nullopt;
    }
    /* Each name is looked up in turn; once one is missing the rest are
     * kept as written. */
    const size_t driveLength = path.size();
    bool resolving = true;
    const char *name = dosPath + 3;
    while (*name) {
        const char *end = strchr(name, '\\');
        std::string component(name, end ? (size_t)(end - name) : strlen(name));
        if (!component.empty() && component != ".") {
            if (component == "..") {
                size_t slash = path.rfind('/');
                if (slash != std::string::npos && path.size() > driveLength)
                    path.erase(slash);
            } else {
                std::string found;
                if (resolving)
                    resolving = FindNameIgnoringCase(path, component, &found);
                path += "/" + (resolving ? found : HostUtf8FromAnsi(component.data(), component.size()));
            }
        }
        if (!end)
            break;
        name = end + 1;
    }
    if (path.empty())
        path = "/";
    return path;
}

std::optional<std::string> HostDosFromPosix(const char *posixPath)
{
    if (!posixPath || posixPath[0] != '/')
        return std::nullopt;
    std::string path = posixPath;
    std::string drive = HostDriveCFolder();
    std::string dos;
    if (!drive.empty() && path.compare(0, drive.size(), drive) == 0 &&
        (path.size() == drive.size() || path[drive.size()] == '/')) {
        dos = "C:" + path.substr(drive.size());
    } else {
        dos = "Z:" + path;
    }
    for (char &c : dos) {
        if (c == '/')
            c = '\\';
    }
    if (dos.size() == 2)
        dos += '\\';
    std::string ansi;
    HostAnsiFromUtf8(dos.data(), dos.size(), &ansi);
    return ansi;
}

BOOL HostDosPathToPosix(const char *dosPath, char *posixPath, size_t size)
{
    return CopyOut(HostPosixFromDos(dosPath), posixPath, size);
}

BOOL HostPosixPathToDos(const char *posixPath, char *dosPath, size_t size)
{
    return CopyOut(HostDosFromPosix(posixPath), dosPath, size);
}
