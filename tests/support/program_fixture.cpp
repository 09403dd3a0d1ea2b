// Starting the built program for the tests that run it as a user would.
#include "support/program_fixture.h"

#include <fcntl.h>
#include <errno.h>
#include <grp.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

extern char **environ;

namespace fs = std::filesystem;

namespace {

const uid_t kOrdinaryUser = 65534; /* nobody */

/* What a group leader must outlive to report the program's own end. */
const int kLeaderIgnores[] = { SIGTERM, SIGINT, SIGHUP };

bool BecomeOrdinaryUser()
{
    gid_t group = kOrdinaryUser;
    return setgroups(1, &group) == 0 && setgid(kOrdinaryUser) == 0 && setuid(kOrdinaryUser) == 0;
}

int CodeOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int WaitFor(pid_t child)
{
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child)
        return -1;
    return CodeOf(status);
}

bool StartsWithAny(const std::string &text, std::initializer_list<const char *> heads)
{
    for (const char *head : heads) {
        if (text.rfind(head, 0) == 0)
            return true;
    }
    return false;
}

/* The copy named `copy` in the test's folder, made on first use: a link
 * costs nothing where the file system allows one. */
std::string CopyOfProgram(const std::string &folder, const std::string &copy)
{
    std::string program = folder + "/links/" + copy;
    std::error_code ignored;
    if (!fs::exists(program)) {
        fs::create_hard_link(TOVRIK_HOST_BINARY, program, ignored);
        if (ignored)
            fs::copy_file(TOVRIK_HOST_BINARY, program, ignored);
    }
    return program;
}

/* This process's environment with the test's settings (NAME=VALUE) in
 * place, less the settings of the layer and the stand-in client that the
 * test did not give. */
std::vector<std::string> ProgramEnvironment(const std::vector<std::string> &settings)
{
    std::vector<std::string> environment;
    for (char **variable = environ; *variable; ++variable) {
        std::string name = *variable;
        size_t equals = name.find('=');
        if (equals != std::string::npos)
            name.resize(equals + 1);
        bool replaced = std::any_of(settings.begin(), settings.end(),
                                    [&](const std::string &setting) { return setting.rfind(name, 0) == 0; });
        if (!replaced && !StartsWithAny(*variable, { "TOVRIK_", "STAND_IN_CLIENT_", "HOST_COMMAND_LINE=" }))
            environment.push_back(*variable);
    }
    environment.insert(environment.end(), settings.begin(), settings.end());
    return environment;
}

/* The script waiting whole in a pipe, as from a shell's echo: the read end,
 * or -1. A pipe holds far more than any test's script. */
int ScriptPipe(const char *script)
{
    int ends[2] = { -1, -1 };
    size_t length = strlen(script);
    if (pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    fcntl(ends[1], F_SETFL, O_NONBLOCK);
    bool whole = write(ends[1], script, length) == (ssize_t)length;
    close(ends[1]);
    if (!whole) {
        close(ends[0]);
        return -1;
    }
    return ends[0];
}

/* The session of a run on a terminal: it leads the session with the
 * terminal as its controlling one, so that the program's end hangs up no
 * client and the program stays in the foreground. Returns the terminal. */
int EnterTerminalSession(const std::string &terminal)
{
    setsid();
    int term = open(terminal.c_str(), O_RDWR);
    if (term < 0 || ioctl(term, TIOCSCTTY, 0) != 0)
        _exit(124);
    return term;
}

/* Without a terminal, a process group of its own. Returns -1: no terminal. */
int EnterProcessGroup()
{
    setpgid(0, 0);
    return -1;
}

/* The leader waits for the program and then for every client that the
 * program started and left behind, which become its children; it ends with
 * the program's code. Returns only in the program's process. */
void LeadSession(int term)
{
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    for (int signal : kLeaderIgnores)
        ::signal(signal, SIG_IGN);
    pid_t child = fork();
    if (child > 0) {
        if (term >= 0)
            close(term);
        int code = WaitFor(child);
        while (wait(nullptr) > 0 || errno == EINTR) {
        }
        _exit(code);
    }
    for (int signal : kLeaderIgnores)
        ::signal(signal, SIG_DFL);
}

/* All three standard streams on the terminal. */
void AttachTerminal(int term)
{
    if (dup2(term, STDIN_FILENO) < 0 || dup2(term, STDOUT_FILENO) < 0 || dup2(term, STDERR_FILENO) < 0)
        _exit(125);
    close(term);
}

/* Standard error into `errors`; standard input from the script, else from
 * /dev/null, or closed. */
void AttachStreams(const std::string &errors, int script, bool closedInput)
{
    int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (err < 0 || dup2(err, STDERR_FILENO) < 0)
        _exit(125);
    if (err != STDERR_FILENO)
        close(err);
    if (closedInput) {
        close(STDIN_FILENO);
        return;
    }
    int in = script >= 0 ? script : open("/dev/null", O_RDONLY);
    if (in < 0 || dup2(in, STDIN_FILENO) < 0)
        _exit(125);
    if (in != script && in != STDIN_FILENO)
        close(in);
}

[[noreturn]] void Execute(std::string program, std::vector<std::string> &environment)
{
    std::vector<char *> env;
    for (std::string &variable : environment)
        env.push_back(&variable[0]);
    env.push_back(nullptr);
    char *argv[] = { &program[0], nullptr };
    execve(program.c_str(), argv, env.data());
    fprintf(stderr, "cannot start %s: %s\n", program.c_str(), strerror(errno));
    _exit(127);
}

} // namespace

void ProgramTest::SetUp()
{
    ProductTest::SetUp();
    /* An ordinary user must reach the folder to run the copies in it. */
    chmod(Folder().c_str(), 0755);
    chmod(DriveC().c_str(), 0755);
    fs::create_directories(Folder() + "/links");
    for (const char *file : { "client.log", "client.argv" }) {
        WriteFile(file, "");
        chmod((Folder() + "/" + file).c_str(), 0666);
    }
}

void ProgramTest::TearDown()
{
    /* A test that failed half-way may leave a run behind. */
    for (pid_t group : running_) {
        kill(-group, SIGKILL);
        WaitFor(group);
    }
    running_.clear();
    ProductTest::TearDown();
}

bool ProgramTest::ModesBite()
{
    if (geteuid() != 0)
        return true;
    static int canDrop = -1;
    if (canDrop < 0) {
        pid_t child = fork();
        if (child == 0)
            _exit(BecomeOrdinaryUser() ? 0 : 1);
        canDrop = child > 0 && WaitFor(child) == 0;
    }
    return canDrop == 1;
}

pid_t ProgramTest::Start(const std::string &copy, const Options &options)
{
    const std::string program = CopyOfProgram(Folder(), copy);
    const bool terminal = !options.terminal.empty();
    std::vector<std::string> settings = {
        "TOVRIK_DRIVE_C=" + DriveC(),
        "TOVRIK_REGISTRY=" + (options.registry.empty() ? RegistryFile() : options.registry),
        "STAND_IN_CLIENT_LOG=" + Folder() + "/client.log",
        "STAND_IN_CLIENT_ARGV=" + Folder() + "/client.argv",
        "HOME=" + Folder(),
    };
    if (terminal)
        settings.push_back("TERM=xterm");
    settings.insert(settings.end(), options.environment.begin(), options.environment.end());
    std::vector<std::string> environment = ProgramEnvironment(settings);

    int script = -1;
    if (options.script && (script = ScriptPipe(options.script)) < 0)
        return -1;
    const std::string errors = Folder() + "/stderr." + copy;

    fflush(nullptr);
    pid_t session = fork();
    if (session != 0) {
        if (script >= 0)
            close(script);
        if (session > 0)
            running_.push_back(session);
        return session;
    }
    int term = terminal ? EnterTerminalSession(options.terminal) : EnterProcessGroup();
    LeadSession(term);
    if (terminal)
        AttachTerminal(term);
    else
        AttachStreams(errors, script, options.script == nullptr && options.closedInput);
    if (options.asOrdinaryUser && geteuid() == 0 && !BecomeOrdinaryUser())
        _exit(126);
    Execute(program, environment);
}

int ProgramTest::Wait(pid_t group)
{
    running_.erase(std::remove(running_.begin(), running_.end(), group), running_.end());
    return WaitFor(group);
}

bool ProgramTest::Ended(pid_t group, int *code)
{
    int status = 0;
    if (waitpid(group, &status, WNOHANG) != group)
        return false;
    running_.erase(std::remove(running_.begin(), running_.end(), group), running_.end());
    *code = CodeOf(status);
    return true;
}

std::vector<std::string> ProgramTest::ClientLines(size_t count) const
{
    std::vector<std::string> lines;
    for (int tries = 0; tries < 100; ++tries) {
        lines.clear();
        std::istringstream log(ClientLog());
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        if (lines.size() >= count)
            break;
        Pause();
    }
    return lines;
}

void ProgramTest::PlaceClient(const std::string &relative) const
{
    fs::path path = DriveC() + "/" + relative;
    fs::create_directories(path.parent_path());
    fs::copy_file(TOVRIK_STAND_IN_CLIENT, path, fs::copy_options::overwrite_existing);
}

void ProgramTest::StoreSettings(const std::string &keyword, const std::string &path) const
{
    std::string quotedPath;
    for (char c : path)
        quotedPath += c == '\\' ? std::string("\\\\") : std::string(1, c);
    std::string text = "REGEDIT4\n\n"
                       "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Name]\n@=\"Reader7\"\n\n";
    if (!keyword.empty())
        text += "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Keyword]\n@=\"" + keyword + "\"\n\n";
    if (!path.empty())
        text += "[HKEY_CURRENT_USER\\America Online\\Path]\n@=\"" + quotedPath + "\"\n\n";
    WriteFile("user.reg", text);
}

void ProgramTest::Pause()
{
    struct timespec pause = { 0, 20 * 1000 * 1000 };
    nanosleep(&pause, nullptr);
}
