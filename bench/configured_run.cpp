// How long a configured run of the host program takes, from its start to
// its exit with the client started, against minimal programs that only
// start the same client: with one copy in the registry file, with 10,000
// in a file the program saved, and with 10,000 in a file written by hand
// (sections in no order, no sections for parent keys). Then how long the
// first run of a new copy takes, which saves into the 10,000-copy file.
// Prints the medians and their ratios.
//
// Two minimal programs: a few lines of C built here with the system's
// compiler (cc), and this benchmark started in a mode that only starts
// the client, which loads the same libraries as the program. The first
// shows the whole cost of the program; the gap between the two is what its
// libraries cost at start-up.
//
// Usage: bench_configured_run [runs]   (TOVRIK_HOST_BINARY names the program;
// TOVRIK_BASELINE_BINARY, when set, names an earlier build to time beside it)
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
#include <filesystem>
#include <random>
#include <fstream>
#include <string>
#include <vector>

#include "host_control.h"

extern char **environ;

namespace {

const char kStartOnly[] = "--start-client-only";
const char kCopy[] = "STOCKS";
const int kOtherCopies = 9999;

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
double TimeRun(const std::vector<std::string> &arguments, const char *input = "/dev/null")
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input, O_RDONLY, 0);

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
void MakeSavedRegistry(const std::string &file, int others, const std::string &clientDosPath)
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

// The same keys as a person or another tool writes them: only the keys
// that hold values, in no order, and never saved by the layer.
void MakeHandWrittenRegistry(const std::string &file, int others, const std::string &clientDosPath)
{
    std::vector<std::string> sections;
    for (int i = 0; i < others; ++i) {
        std::string key = "[HKEY_CURRENT_USER\\America Online\\Copy" + std::to_string(i);
        sections.push_back(key + "\\Keyword]\n@=\"Keyword " + std::to_string(i) + "\"\n");
        sections.push_back(key + "\\Name]\n@=\"Name" + std::to_string(i) + "\"\n");
    }
    std::string path;
    for (char c : clientDosPath)
        path += c == '\\' ? "\\\\" : std::string(1, c);
    std::string copy = std::string("[HKEY_CURRENT_USER\\America Online\\") + kCopy;
    sections.push_back("[HKEY_CURRENT_USER\\America Online\\Path]\n@=\"" + path + "\"\n");
    sections.push_back(copy + "\\Name]\n@=\"Joe\"\n");
    sections.push_back(copy + "\\Keyword]\n@=\"Stocks\"\n");
    std::shuffle(sections.begin(), sections.end(), std::mt19937(13));
    std::string text = "REGEDIT4\n\n";
    for (const std::string &section : sections)
        text += section + "\n";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
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

// The first run of a new copy: the sheet, given a keyword on standard
// input, saves the copy's settings into the 10,000-copy file and starts the
// client. Every run is a copy of a new name, so that each saves into the
// file the program's last save left, as on a user's machine. Each program
// has a file of its own, and the programs take turns.
std::vector<std::vector<double>> TimeSaves(const std::vector<std::string> &programs, const std::string &folder,
                                           const std::string &savedRegistry, int runs)
{
    const int kWarmUp = 5;
    std::string script = folder + "/new-copy.txt";
    std::ofstream(script) << "keyword=News\nok\n";
    std::ifstream original(savedRegistry, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(original)), std::istreambuf_iterator<char>());
    std::vector<std::vector<double>> times(programs.size());
    for (int i = 0; i < runs + kWarmUp; ++i) {
        for (size_t p = 0; p < programs.size(); ++p) {
            std::string base = folder + "/save" + std::to_string(p);
            if (i == 0 && (mkdir(base.c_str(), 0700) != 0 || !(std::ofstream(base + "/user.reg") << text))) {
                perror(base.c_str());
                exit(1);
            }
            std::string copy = base + "/New" + std::to_string(i);
            if (symlink(programs[p].c_str(), copy.c_str()) != 0) {
                perror(copy.c_str());
                exit(1);
            }
            setenv("TOVRIK_REGISTRY", (base + "/user.reg").c_str(), 1);
            setenv("STAND_IN_CLIENT_LOG", (base + "/client.log").c_str(), 1);
            double time = TimeRun({ copy }, script.c_str());
            if (i >= kWarmUp)
                times[p].push_back(time);
        }
    }
    for (size_t p = 0; p < programs.size(); ++p) {
        std::string log = folder + "/save" + std::to_string(p) + "/client.log";
        if (LineCount(log) != (size_t)(runs + kWarmUp)) {
            fprintf(stderr, "%s: a new copy did not start the client\n", programs[p].c_str());
            exit(1);
        }
    }
    return times;
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

    std::string pattern = (std::filesystem::temp_directory_path() / "tovrik-bench-XXXXXX").string();
    if (!mkdtemp(&pattern[0])) {
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
    std::vector<Scenario> scenarios(3);
    scenarios[0].what = "one copy";
    scenarios[1].what = "10,000 saved";
    scenarios[2].what = "10,000 by hand";
    for (int i = 0; i < 3; ++i) {
        Scenario &scenario = scenarios[i];
        scenario.registry = folder + "/user" + std::to_string(i) + ".reg";
        scenario.log = folder + "/client" + std::to_string(i) + ".log";
        if (i == 2)
            MakeHandWrittenRegistry(scenario.registry, kOtherCopies, clientDos);
        else
            MakeSavedRegistry(scenario.registry, i == 0 ? 0 : kOtherCopies, clientDos);
    }
    Measure(&scenarios, runs, program, tiny, self, client);
    std::vector<std::string> savers = { host };
    const char *baseline = getenv("TOVRIK_BASELINE_BINARY");
    if (baseline && *baseline)
        savers.push_back(baseline);
    std::vector<std::vector<double>> saves = TimeSaves(savers, folder, scenarios[1].registry, runs);

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
    for (int i = 1; i < 3; ++i)
        printf("%s against one copy: %.2f (goal: within 2)\n", scenarios[i].what,
               Median(scenarios[i].programTimes) / Median(scenarios[0].programTimes));
    printf("first run of a new copy, saving into 10,000 copies: %.3f ms", Median(saves[0]));
    if (saves.size() > 1)
        printf("; %s %.3f ms, ratio %.2f (goal: within 1)", savers[1].c_str(), Median(saves[1]),
               Median(saves[0]) / Median(saves[1]));
    printf("\n");

    std::string cleanup = "rm -rf '" + folder + "'";
    return system(cleanup.c_str()) == 0 ? 0 : 1;
}
