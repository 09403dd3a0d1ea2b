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
    std::string program = Folder() + "/links/" + copy;
    std::error_code ignored;
    /* A link costs nothing where the file system allows one. */
    if (!fs::exists(program)) {
        fs::create_hard_link(TOVRIK_HOST_BINARY, program, ignored);
        if (ignored)
            fs::copy_file(TOVRIK_HOST_BINARY, program, ignored);
    }

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
    std::vector<char *> env;
    for (char **variable = environ; *variable; ++variable) {
        std::string name = *variable;
        size_t equals = name.find('=');
        if (equals != std::string::npos)
            name.resize(equals + 1);
        bool replaced = std::any_of(settings.begin(), settings.end(),
                                    [&](const std::string &setting) { return setting.rfind(name, 0) == 0; });
        if (!replaced && !StartsWithAny(*variable, { "TOVRIK_", "STAND_IN_CLIENT_", "HOST_COMMAND_LINE=" }))
            env.push_back(*variable);
    }
    for (std::string &setting : settings)
        env.push_back(&setting[0]);
    env.push_back(nullptr);

    /* The script waits whole in a pipe, as from a shell's echo; a pipe
     * holds far more than any test's script. */
    int script[2] = { -1, -1 };
    if (options.script) {
        size_t length = strlen(options.script);
        if (pipe2(script, O_CLOEXEC) != 0)
            return -1;
        fcntl(script[1], F_SETFL, O_NONBLOCK);
        bool whole = write(script[1], options.script, length) == (ssize_t)length;
        close(script[1]);
        if (!whole) {
            close(script[0]);
            return -1;
        }
    }
    std::string errors = Folder() + "/stderr." + copy;

    fflush(nullptr);
    pid_t session = fork();
    if (session != 0) {
        if (script[0] >= 0)
            close(script[0]);
        if (session > 0)
            running_.push_back(session);
        return session;
    }
    /* The session waits for the program and then for every client that the
     * program started and left behind: they become its children. On a
     * terminal it leads the session, so that the program's end hangs up
     * no client, and the program stays in the foreground. */
    int term = -1;
    if (terminal) {
        setsid();
        term = open(options.terminal.c_str(), O_RDWR);
        if (term < 0 || ioctl(term, TIOCSCTTY, 0) != 0)
            _exit(124);
    } else {
        setpgid(0, 0);
    }
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
    if (terminal) {
        if (dup2(term, STDIN_FILENO) < 0 || dup2(term, STDOUT_FILENO) < 0 || dup2(term, STDERR_FILENO) < 0)
            _exit(125);
        close(term);
    } else {
        int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (err < 0 || dup2(err, STDERR_FILENO) < 0)
            _exit(125);
        if (options.script || !options.closedInput) {
            int in = options.script ? script[0] : open("/dev/null", O_RDONLY);
            if (in < 0 || dup2(in, STDIN_FILENO) < 0)
                _exit(125);
        } else {
            close(STDIN_FILENO);
        }
    }
    if (options.asOrdinaryUser && geteuid() == 0 && !BecomeOrdinaryUser())
        _exit(126);
    char *argv[] = { &program[0], nullptr };
    execve(program.c_str(), argv, env.data());
    fprintf(stderr, "cannot start %s: %s\n", program.c_str(), strerror(errno));
    _exit(127);
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
