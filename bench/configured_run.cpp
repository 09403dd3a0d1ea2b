// How long a configured run of the host program takes, from its start to
// its exit with the client started, against minimal programs that only
// start the same client; once with one copy in the registry file and once
// with 10,000. Prints the medians and their ratios.
//
// Two minimal programs: a few lines of C built here with the system's
// compiler (cc), and this benchmark started in a mode that only starts
// the client, which loads the same libraries as the program. The first
// shows the whole cost of the program; the gap between the two is what its
// libraries cost at start-up.
//
// Usage: bench_configured_run [runs]   (TOVRIK_HOST_BINARY names the program)
#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "host_control.h"

extern char **environ;

namespace {

const char kStartOnly[] = "--start-client-only";
const char kCopy[] = "STOCKS";

const char kTinyStarter[] = "#include <spawn.h>\n"
                            "extern char **environ;\n"
                            "int main(int argc, char **argv) {\n"
                            "    char *args[] = { argv[1], \"-nJoe\", \"-sStocks\", 0 };\n"
                            "    pid_t pid;\n"
                            "    return argc != 2 || posix_spawn(&pid, argv[1], 0, 0, args, environ) != 0;\n"
                            "}\n";

// Builds the C starter in `folder`; "" when there is no compiler.
std::string BuildTinyStarter(const std::string &folder)
{
    std::string source = folder + "/starter.c", program = folder + "/starter";
    std::ofstream(source) << kTinyStarter;
    std::string command = "cc -O2 -o '" + program + "' '" + source + "' 2>/dev/null";
    return system(command.c_str()) == 0 ? program : "";
}

// The minimal program: starts the client with the switches a configured
// run gives it, does not wait, and exits.
int StartClientOnly(const char *client)
{
    char name[] = "-nJoe", keyword[] = "-sStocks";
    char *argv[] = { const_cast<char *>(client), name, keyword, nullptr };
    pid_t pid;
    return posix_spawn(&pid, client, nullptr, nullptr, argv, environ) == 0 ? 0 : 1;
}

double Now()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Runs a program to its exit, then reaps the client it left behind (this
// process is their subreaper), so that no run shares the processors with
// the last one's client. Returns the milliseconds to the program's exit.
double TimeRun(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    double start = Now();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        perror(argv[0]);
        exit(1);
    }
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    double elapsed = Now() - start;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "%s did not exit cleanly\n", argv[0]);
        exit(1);
    }
    while (waitpid(-1, &status, 0) > 0 || errno == EINTR) {
    }
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

size_t LineCount(const std::string &path)
{
    std::ifstream in(path);
    return std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
}

void Set(const std::string &path, const char *text)
{
    if (RegSetValueA(HKEY_CURRENT_USER, path.c_str(), REG_SZ, text, 0) != ERROR_SUCCESS) {
        fprintf(stderr, "cannot store %s\n", path.c_str());
        exit(1);
    }
}

// The registry file with the benchmarked copy and `others` more. The
// others are written as text, in no order, and one save through the layer
// then puts the whole file in the order it keeps.
void MakeRegistry(const std::string &file, int others, const std::string &clientDosPath)
{
    std::string text = "REGEDIT4\n\n";
    for (int i = others; i-- > 0;) {
        std::string key = "[HKEY_CURRENT_USER\\America Online\\Copy" + std::to_string(i);
        text += key + "]\n\n" + key + "\\Keyword]\n@=\"Keyword " + std::to_string(i) + "\"\n\n" + key
            + "\\Name]\n@=\"Name" + std::to_string(i) + "\"\n\n";
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    HostSetRegistryFile(file.c_str());
    Set("America Online\\Path", clientDosPath.c_str());
    Set(std::string("America Online\\") + kCopy + "\\Name", "Joe");
    Set(std::string("America Online\\") + kCopy + "\\Keyword", "Stocks");
}

struct Scenario {
    const char *what;
    std::string registry;
    std::string log;
    std::vector<double> programTimes, tinyTimes, selfTimes;
};

// Runs every scenario's program and the minimal programs in turn, round
// after round, so that a change in the machine's load falls on all alike.
void Measure(std::vector<Scenario> *scenarios, int runs, const std::string &program, const std::string &tiny,
             const std::string &self, const std::string &client)
{
    const int kWarmUp = 5;
    for (int i = 0; i < runs + kWarmUp; ++i) {
        for (Scenario &scenario : *scenarios) {
            setenv("TOVRIK_REGISTRY", scenario.registry.c_str(), 1);
            setenv("STAND_IN_CLIENT_LOG", scenario.log.c_str(), 1);
            double programTime = TimeRun({ program });
            double tinyTime = tiny.empty() ? 0 : TimeRun({ tiny, client });
            double selfTime = TimeRun({ self, kStartOnly, client });
            if (i >= kWarmUp) {
                scenario.programTimes.push_back(programTime);
                scenario.tinyTimes.push_back(tinyTime);
                scenario.selfTimes.push_back(selfTime);
            }
        }
    }
    size_t expected = (size_t)(runs + kWarmUp) * (tiny.empty() ? 2 : 3);
    for (const Scenario &scenario : *scenarios) {
        if (LineCount(scenario.log) != expected) {
            fprintf(stderr, "%s: a run did not start the client (%zu starts of %zu)\n", scenario.what,
                    LineCount(scenario.log), expected);
            exit(1);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], kStartOnly) == 0)
        return StartClientOnly(argv[2]);

    int runs = argc > 1 ? atoi(argv[1]) : 200;
    const char *binary = getenv("TOVRIK_HOST_BINARY");
    std::string host = binary && *binary ? binary : TOVRIK_HOST_BINARY;
    std::string client = TOVRIK_STAND_IN_CLIENT;
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (runs < 1 || length <= 0) {
        fprintf(stderr, "usage: %s [runs]\n", argv[0]);
        return 1;
    }
    self[length] = '\0';

    char pattern[] = "/tmp/tovrik-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        perror("mkdtemp");
        return 1;
    }
    std::string folder = pattern;
    // The copy is the program under the shortcut's name.
    std::string program = folder + "/" + kCopy;
    if (symlink(host.c_str(), program.c_str()) != 0) {
        perror(program.c_str());
        return 1;
    }
    char clientDos[MAX_PATH];
    if (!HostPosixPathToDos(client.c_str(), clientDos, sizeof clientDos)) {
        fprintf(stderr, "no drive letter for %s\n", client.c_str());
        return 1;
    }
    prctl(PR_SET_CHILD_SUBREAPER, 1);

    std::string tiny = BuildTinyStarter(folder);
    std::vector<Scenario> scenarios(2);
    scenarios[0].what = "one copy";
    scenarios[1].what = "10,000 copies";
    for (int i = 0; i < 2; ++i) {
        Scenario &scenario = scenarios[i];
        scenario.registry = folder + "/user" + std::to_string(i) + ".reg";
        scenario.log = folder + "/client" + std::to_string(i) + ".log";
        MakeRegistry(scenario.registry, i == 0 ? 0 : 9999, clientDos);
    }
    Measure(&scenarios, runs, program, tiny, self, client);

    printf("configured run of %s\nmedian of %d runs, from start to exit with the client started\n", host.c_str(),
           runs);
    if (tiny.empty())
        printf("(no C compiler: the C starter is left out)\n");
    for (const Scenario &scenario : scenarios) {
        struct stat info;
        stat(scenario.registry.c_str(), &info);
        double programTime = Median(scenario.programTimes);
        double tinyTime = Median(scenario.tinyTimes), selfTime = Median(scenario.selfTimes);
        printf("%-14s (file of %7lld bytes): program %6.3f ms; C starter %6.3f ms, ratio %.2f;"
               " same-library starter %6.3f ms, ratio %.2f\n",
               scenario.what, (long long)info.st_size, programTime, tinyTime, tiny.empty() ? 0 : programTime / tinyTime,
               selfTime, programTime / selfTime);
    }
    printf("goal: program within 1.5 of the minimal program\n");
    printf("10,000 copies against one copy: %.2f (goal: within 2)\n",
           Median(scenarios[1].programTimes) / Median(scenarios[0].programTimes));

    std::string cleanup = "rm -rf '" + folder + "'";
    return system(cleanup.c_str()) == 0 ? 0 : 1;
}
