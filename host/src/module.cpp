/* GetModuleFileNameA: the path by which this copy was started, so that a
 * copy or a link under another name is a shortcut of its own. */
#include "layer_internal.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>

#define ERROR_MOD_NOT_FOUND 126L

namespace {

std::string g_programPath;
bool g_overridden = false;
std::string g_override;

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
    g_overridden = false;
    g_override.clear();
}

void HostSetProgramPath(const char *argv0)
{
    g_programPath = argv0 ? AbsoluteProgramPath(argv0) : std::string();
}

void HostSetModuleFileName(const char *dosPath)
{
    g_overridden = dosPath != nullptr;
    g_override = dosPath ? dosPath : "";
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    if (HostCallFails(HOST_CALL_GET_MODULE_FILE_NAME, nullptr))
        return 0;
    if (module != NULL && module != HostModuleInstance()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string path = g_override;
    if (!g_overridden) {
        std::vector<char> dos(g_programPath.size() + 4);
        if (!g_programPath.empty() && HostPosixPathToDos(g_programPath.c_str(), dos.data(), dos.size()))
            path = dos.data();
    }
    if (!fileName || size == 0)
        return 0;
    /* As the platform does: a path that does not fit is cut, terminated,
     * and reported with the full size and ERROR_INSUFFICIENT_BUFFER. */
    if (path.size() >= size) {
        memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(fileName, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}
