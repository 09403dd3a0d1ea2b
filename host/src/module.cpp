/* GetModuleFileNameA: the path by which this copy was started, so that a
 * copy or a link under another name is a shortcut of its own. */
#include "layer_internal.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>

namespace {

std::string g_programPath;
std::optional<std::string> g_override;

/* Resolves . and .. by the text alone: a link keeps its own name. The
 * paths are POSIX ones (argv[0], the working folder, $PATH). The standard
 * library keeps a trailing separator (after a last "." or "..", or on a
 * path of slashes alone); the program's own path never ends in one. */
std::string LexicallyNormal(const std::string &path)
{
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

std::string AbsoluteProgramPath(const std::string &argv0)
{
    if (argv0.find('/') != std::string::npos) {
        if (argv0[0] == '/')
            return LexicallyNormal(argv0);
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd))
            return std::string();
        return LexicallyNormal(std::string(cwd) + "/" + argv0);
    }
    const char *searchPath = getenv("PATH");
    std::string folders = searchPath ? searchPath : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string candidate = folders.substr(start, end - start) + "/" + argv0;
        if (candidate[0] == '/' && access(candidate.c_str(), X_OK) == 0)
            return LexicallyNormal(candidate);
        start = end + 1;
    }
    return std::string();
}

} // namespace

void HostResetModule(void)
{
    g_override.reset();
}

void HostSetProgramPath(const char *argv0)
{
    g_programPath = argv0 ? AbsoluteProgramPath(argv0) : std::string();
}

void HostSetModuleFileName(const char *dosPath)
{
    g_override = dosPath ? std::optional<std::string>(dosPath) : std::nullopt;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    if (HostCallFails(HOST_CALL_GET_MODULE_FILE_NAME, nullptr))
        return 0;
    if (module != NULL && module != HostModuleInstance()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string path = g_override ? *g_override : HostDosFromPosix(g_programPath.c_str()).value_or("");
    if (!fileName || size == 0)
        return 0;
    /* As the platform does: a path that does not fit is cut, terminated,
     * and reported with the full size and ERROR_INSUFFICIENT_BUFFER. */
    if (HostCopyCut(path, fileName, size) < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return (DWORD)path.size();
}
