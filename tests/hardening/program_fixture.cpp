// Starting the built program for the hardening tests.
#include "hardening/program_fixture.h"

#include <fcntl.h>
#include <errno.h>
#include <grp.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace {

const uid_t kOrdinaryUser = 65534; /* nobody */

bool BecomeOrdinaryUser()
{
    gid_t group = kOrdinaryUser;
    return setgroups(1, &group) == 0 && setgid(kOrdinaryUser) == 0 && setuid(kOrdinaryUser) == 0;
}

} // namespace

void ProgramTest::SetUp()
{
    ProductTest::SetUp();
    /* An ordinary user must reach the folder to run the copies in it. */
    chmod(Folder().c_str(), 0755);
    chmod(DriveC().c_str(), 0755);
    fs::create_directories(Folder() + "/links");
    WriteFile("client.log", "");
    chmod((Folder() + "/client.log").c_str(), 0666);
}

void ProgramTest::TearDown()
{
    /* Modes a test took away must not keep the folder from going. */
    std::error_code ignored;
    chmod(Folder().c_str(), 0755);
    for (auto it = fs::recursive_directory_iterator(Folder(), fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        /* Folders only: the copies may be links to the built program. */
        if (!it->is_symlink(ignored) && it->is_directory(ignored))
            chmod(it->path().c_str(), 0755);
    }
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
        canDrop = child > 0 && Wait(child) == 0;
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

    std::vector<std::string> settings = {
        "TOVRIK_DRIVE_C=" + DriveC(),
        "TOVRIK_REGISTRY=" + (options.registry.empty() ? RegistryFile() : options.registry),
        "STAND_IN_CLIENT_LOG=" + Folder() + "/client.log",
        "HOME=" + Folder(),
    };
    std::vector<char *> env;
    for (char **variable = environ; *variable; ++variable) {
        std::string name(*variable);
        if (name.rfind("TOVRIK_", 0) != 0 && name.rfind("STAND_IN_CLIENT_", 0) != 0 &&
            name.rfind("HOST_COMMAND_LINE=", 0) != 0 && name.rfind("HOME=", 0) != 0)
            env.push_back(*variable);
    }
    for (std::string &setting : settings)
        env.push_back(&setting[0]);
    env.push_back(nullptr);

    std::string script = options.script ? options.script : "";
    std::string input = Folder() + "/input." + copy;
    std::ofstream(input, std::ios::binary) << script;
    std::string errors = Folder() + "/stderr." + copy;

    fflush(nullptr);
    pid_t session = fork();
    if (session != 0)
        return session;
    /* The session waits for the program and then for every client that the
     * program started and left behind: they become its children. */
    setpgid(0, 0);
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    pid_t child = fork();
    if (child > 0) {
        int code = Wait(child);
        while (wait(nullptr) > 0 || errno == EINTR) {
        }
        _exit(code);
    }
    int in = open(options.script ? input.c_str() : "/dev/null", O_RDONLY);
    int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (in < 0 || err < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0)
        _exit(125);
    if (options.asOrdinaryUser && geteuid() == 0 && !BecomeOrdinaryUser())
        _exit(126);
    char *argv[] = { &program[0], nullptr };
    execve(program.c_str(), argv, env.data());
    fprintf(stderr, "cannot start %s: %s\n", program.c_str(), strerror(errno));
    _exit(127);
}

int ProgramTest::Wait(pid_t child)
{
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
