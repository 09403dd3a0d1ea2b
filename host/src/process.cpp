/* WinExec: finds the program as the platform does for an unquoted command
 * line, splits the rest by the platform's rules and starts it unwaited. */
#include "layer_internal.h"

#include <errno.h>
#include <spawn.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

struct ProcessLog {
    bool capture = false;
    UINT captureResult = kHostWinExecStarted;
    std::vector<HostStartedProcess> started;
    std::vector<pid_t> children;
};

ProcessLog &Log()
{
    static ProcessLog log;
    return log;
}

bool IsRegularFile(const std::string &posixPath)
{
    struct stat info;
    return stat(posixPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool MapExistingFile(const std::string &dosPath, std::string *posixPath)
{
    std::optional<std::string> mapped = HostPosixFromDos(dosPath.c_str());
    if (!mapped || !IsRegularFile(*mapped))
        return false;
    *posixPath = *mapped;
    return true;
}

/* Splits arguments as the platform's C runtime does: white space separates,
 * quotes group, and backslashes count only before a quote. */
std::vector<std::string> SplitArguments(const char *text)
{
    std::vector<std::string> arguments;
    const char *p = text;
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (!*p)
            break;
        std::string argument;
        bool quoted = false;
        while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
            size_t backslashes = 0;
            while (*p == '\\') {
                ++backslashes;
                ++p;
            }
            if (*p == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    argument.push_back('"');
                } else if (quoted && p[1] == '"') {
                    argument.push_back('"');
                    ++p;
                } else {
                    quoted = !quoted;
                }
                ++p;
            } else {
                argument.append(backslashes, '\\');
                if (*p && (quoted || (*p != ' ' && *p != '\t')))
                    argument.push_back(*p++);
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

/* The program and where its arguments begin: a quoted path, or the
 * shortest prefix up to a space that names an existing file. */
bool FindProgram(const std::string &commandLine, std::string *program, std::string *posixPath, size_t *rest)
{
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        size_t end = close == std::string::npos ? commandLine.size() : close;
        *program = commandLine.substr(1, end - 1);
        *rest = close == std::string::npos ? end : close + 1;
        return MapExistingFile(*program, posixPath);
    }
    for (size_t end = 0; end <= commandLine.size(); ++end) {
        if (end != commandLine.size() && commandLine[end] != ' ')
            continue;
        if (end == 0)
            continue;
        std::string candidate = commandLine.substr(0, end);
        if (MapExistingFile(candidate, posixPath) || MapExistingFile(candidate + ".exe", posixPath)) {
            *program = candidate;
            *rest = end;
            return true;
        }
    }
    return false;
}

UINT Start(const char *commandLine)
{
    std::string line = commandLine ? commandLine : "";
    std::string program, posixPath;
    size_t rest = 0;
    if (!FindProgram(line, &program, &posixPath, &rest))
        return ERROR_FILE_NOT_FOUND;

    /* What goes to the started program, through Wine or not, is host text. */
    std::vector<std::string> arguments = SplitArguments(line.c_str() + rest);
    for (std::string &argument : arguments)
        argument = HostUtf8FromAnsi(argument.data(), argument.size());
    std::string hostProgram = HostUtf8FromAnsi(program.data(), program.size());
    if (HostIsWindowsProgram(posixPath))
        return HostStartWindowsProgram(hostProgram, arguments);
    arguments.insert(arguments.begin(), hostProgram);
    return HostSpawn(posixPath, arguments,
                     HostEnvironmentWith("HOST_COMMAND_LINE", HostUtf8FromAnsi(line.data(), line.size())));
}

} // namespace

std::vector<std::string> HostEnvironmentWith(const char *name, const std::string &value)
{
    std::string assignment = std::string(name) + "=";
    std::vector<std::string> environment;
    for (char **variable = environ; *variable; ++variable) {
        if (strncmp(*variable, assignment.c_str(), assignment.size()) != 0)
            environment.push_back(*variable);
    }
    environment.push_back(assignment + value);
    return environment;
}

UINT HostSpawn(const std::string &file, std::vector<std::string> arguments, std::vector<std::string> environment)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (std::string &variable : environment)
        envp.push_back(&variable[0]);
    envp.push_back(nullptr);

    pid_t child;
    int error = posix_spawn(&child, file.c_str(), nullptr, nullptr, argv.data(), envp.data());
    if (error != 0) {
        /* The platform gives an error that is no start's result as a bad
         * format. */
        DWORD failed = HostErrorFromErrno(error, ERROR_ACCESS_DENIED);
        return failed < HINSTANCE_ERROR ? (UINT)failed : ERROR_BAD_FORMAT;
    }
    Log().children.push_back(child);
    return kHostWinExecStarted;
}

void HostResetProcesses(void)
{
    HostWaitForStartedProcesses();
    Log() = ProcessLog{};
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT showCommand)
{
    ProcessLog &log = Log();
    HostStartedProcess record = {};
    HostCopyCut(commandLine ? commandLine : "", record.commandLine, sizeof record.commandLine);
    record.showCommand = showCommand;

    DWORD forced;
    if (HostCallFails(HOST_CALL_WIN_EXEC, &forced))
        record.result = forced < HINSTANCE_ERROR ? forced : ERROR_FILE_NOT_FOUND;
    else if (log.capture)
        record.result = log.captureResult;
    else
        record.result = Start(commandLine);
    log.started.push_back(record);
    return record.result;
}

void HostCaptureProcessStarts(BOOL capture, UINT result)
{
    Log().capture = capture != FALSE;
    Log().captureResult = result;
}

int HostStartedProcessCount(void)
{
    return (int)Log().started.size();
}

const HostStartedProcess *HostStartedProcessAt(int index)
{
    return HostRecordAt(Log().started, index);
}

int HostWaitForStartedProcesses(void)
{
    auto &children = Log().children;
    int waited = 0;
    for (pid_t child : children) {
        int status;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        ++waited;
    }
    children.clear();
    return waited;
}
