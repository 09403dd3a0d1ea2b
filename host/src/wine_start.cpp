/* Windows programs on drive C: are started as a Linux user starts them by
 * hand: `wine C:\PATH\PROGRAM.EXE arguments`, in the prefix drive C: is from. */
#include "layer_internal.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

extern char **environ;

namespace {

bool IsExecutableFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

/* A name without a slash is looked for on PATH, as a shell would; an empty
 * entry is skipped rather than taken as the current folder. */
std::string FindOnPath(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char *path = getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && IsExecutableFile(folder + "/" + name))
            return folder + "/" + name;
        if (end == std::string::npos)
            return std::string();
        start = end + 1;
    }
}

/* The loader named by TOVRIK_WINE, else wine; empty when not found. */
std::string FindLoader()
{
    const char *named = getenv("TOVRIK_WINE");
    return FindOnPath(named && *named ? named : "wine");
}

/* Wine keeps drive C: as the drive_c folder of its prefix; a drive C: of
 * any other name belongs to no prefix that Wine could be pointed at. */
std::string PrefixOfDriveC()
{
    std::string drive = HostDriveCFolder();
    size_t slash = drive.rfind('/');
    std::string name = slash == std::string::npos ? drive : drive.substr(slash + 1);
    if (name != "drive_c")
        return std::string();
    std::string prefix = slash == std::string::npos ? std::string() : drive.substr(0, slash);
    while (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    /* Wine refuses a relative prefix. */
    if (drive[0] != '/') {
        char here[PATH_MAX];
        if (!getcwd(here, sizeof here))
            return std::string();
        prefix = prefix.empty() ? here : std::string(here) + "/" + prefix;
    }
    return prefix.empty() ? "/" : prefix;
}

void SayWineIsNeeded(const std::string &dosPath)
{
    fprintf(stderr,
            "tovrik: %s is a Windows program: Wine is needed to start it; install Wine, or name its "
            "loader in TOVRIK_WINE (such as TOVRIK_WINE=/usr/lib/wine/wine64)\n",
            dosPath.c_str());
}

} // namespace

bool HostIsWindowsProgram(const std::string &posixPath)
{
    int file = open(posixPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    char signature[2];
    bool windows = read(file, signature, sizeof signature) == (ssize_t)sizeof signature &&
                   signature[0] == 'M' && signature[1] == 'Z';
    close(file);
    return windows;
}

UINT HostStartWindowsProgram(const std::string &dosPath, const std::vector<std::string> &arguments)
{
    std::string loader = FindLoader();
    UINT result = ERROR_BAD_FORMAT;
    if (!loader.empty()) {
        std::vector<std::string> loaderArguments = { loader, dosPath };
        loaderArguments.insert(loaderArguments.end(), arguments.begin(), arguments.end());
        std::string prefix = PrefixOfDriveC();
        std::vector<std::string> environment;
        if (prefix.empty()) {
            for (char **variable = environ; *variable; ++variable)
                environment.push_back(*variable);
        } else {
            environment = HostEnvironmentWith("WINEPREFIX", prefix);
        }
        result = HostSpawn(loader, loaderArguments, environment);
    }
    /* Whatever kept the loader from starting, the program itself needs it. */
    if (result <= 31) {
        SayWineIsNeeded(dosPath);
        result = ERROR_BAD_FORMAT;
    }
    return result;
}
