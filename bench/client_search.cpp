// Times the client search over generated drive C: trees against GNU find on
// the same tree, and measures its entries per second and peak memory.
// Usage: bench_client_search [--skip-big] [--runs N] [--base DIR]
// The trees go in a fresh folder under DIR: by default /dev/shm, where the
// two-million-entry tree is made and removed in a minute or two (an ext4
// disk took ten times as long), else the temporary folder ($TMPDIR).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "host_control.h"
#include "locator/client_search.h"

// ---- Heap use, counted: every allocation of this program goes here ----

namespace {
std::atomic<size_t> g_liveBytes{ 0 };
std::atomic<size_t> g_peakBytes{ 0 };

void *CountedAllocate(size_t size)
{
    size_t *block = (size_t *)malloc(size + sizeof(size_t) * 2);
    if (!block)
        throw std::bad_alloc();
    block[0] = size;
    size_t live = g_liveBytes += size;
    size_t peak = g_peakBytes.load();
    while (live > peak && !g_peakBytes.compare_exchange_weak(peak, live)) {
    }
    return block + 2;
}

void CountedFree(void *pointer)
{
    if (!pointer)
        return;
    size_t *block = (size_t *)pointer - 2;
    g_liveBytes -= block[0];
    free(block);
}
} // namespace

void *operator new(size_t size) { return CountedAllocate(size); }
void *operator new[](size_t size) { return CountedAllocate(size); }
void operator delete(void *pointer) noexcept { CountedFree(pointer); }
void operator delete[](void *pointer) noexcept { CountedFree(pointer); }
void operator delete(void *pointer, size_t) noexcept { CountedFree(pointer); }
void operator delete[](void *pointer, size_t) noexcept { CountedFree(pointer); }

namespace {

// ---- The tree ----

struct TreeShape {
    const char *label;
    size_t folders;
    size_t files;
    int maxDepth;
};

struct Tree {
    std::string root; // the drive C: folder
    size_t entries = 0;
    size_t clients = 0;
    double secondsToMake = 0;
    std::vector<std::string> readOnly;
};

double Now()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

// Names as a drive holds them: program and document names in mixed case,
// spaces, numbers, a few accented ones and dot names.
std::string MakeName(std::mt19937_64 &random, bool folder)
{
    static const char *const kWords[] = { "Program", "Files", "windows", "system32", "Data", "cache", "Temp",
                                          "My Documents", "setup", "AOL", "drivers", "fonts", "help", "inf",
                                          "Profiles", "log", "backup", "new folder", "caf\xC3\xA9", "r\xC3\xA9sum\xC3\xA9",
                                          "img", "src", "lib", "Music", "res", "config" };
    static const char *const kExtensions[] = { ".DLL", ".exe", ".txt", ".ini", ".dat", ".log", ".bmp", ".HLP",
                                               ".cfg", "" };
    const size_t wordCount = sizeof kWords / sizeof kWords[0];
    std::string name;
    if (random() % 40 == 0)
        name = ".";
    name += kWords[random() % wordCount];
    if (random() % 2)
        name += std::to_string(random() % 1000);
    if (random() % 5 == 0) {
        name += random() % 2 ? "_" : " ";
        name += kWords[random() % wordCount];
    }
    if (!folder)
        name += kExtensions[random() % (sizeof kExtensions / sizeof kExtensions[0])];
    return name;
}

bool MakeFile(int folder, const std::string &name)
{
    int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

Tree MakeTree(const std::string &base, const TreeShape &shape, uint64_t seed)
{
    Tree tree;
    double start = Now();
    tree.root = base + "/" + shape.label;
    std::filesystem::create_directories(tree.root);
    std::mt19937_64 random(seed);

    struct Folder {
        std::string path;
        int depth;
        size_t files;
    };
    std::vector<Folder> folders{ { tree.root, 0, 0 } };
    folders.reserve(shape.folders + 1);
    // New folders hang mostly under recent ones, so that the tree grows
    // deep branches as well as wide ones.
    while (folders.size() <= shape.folders) {
        size_t span = std::min<size_t>(folders.size(), 200);
        const Folder &parent = random() % 3 ? folders[folders.size() - 1 - random() % span]
                                            : folders[random() % folders.size()];
        if (parent.depth >= shape.maxDepth)
            continue;
        std::string path = parent.path + "/" + MakeName(random, true);
        if (mkdir(path.c_str(), 0755) != 0)
            continue;
        ++tree.entries;
        int pick = (int)(random() % 100);
        if (pick == 0)
            setxattr(path.c_str(), "user.DOSATTRIB", "0x2", 3, 0); // hidden as Wine marks it
        else if (pick == 1)
            tree.readOnly.push_back(path);
        folders.push_back({ path, parent.depth + 1, 0 });
    }
    for (size_t i = 0; i < shape.files; ++i)
        ++folders[random() % folders.size()].files;
    for (int i = 0; i < 5; ++i) {
        const Folder &folder = folders[random() % folders.size()];
        if (MakeFile(AT_FDCWD, folder.path + (i % 2 ? "/WAOL.EXE" : "/waol.exe"))) {
            ++tree.entries;
            ++tree.clients;
        }
    }
    // Each folder's files made from its own descriptor: no path lookups.
    for (const Folder &folder : folders) {
        int fd = open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        for (size_t made = 0, tries = 0; made < folder.files && tries < folder.files * 4; ++tries) {
            if (MakeFile(fd, MakeName(random, false)))
                ++made;
        }
        close(fd);
    }
    tree.entries += shape.files;
    for (const std::string &path : tree.readOnly)
        chmod(path.c_str(), 0555);
    tree.secondsToMake = Now() - start;
    return tree;
}

void RemoveTree(const Tree &tree)
{
    for (const std::string &path : tree.readOnly)
        chmod(path.c_str(), 0755);
    pid_t child = fork();
    if (child == 0) {
        execlp("rm", "rm", "-rf", "--", tree.root.c_str(), (char *)nullptr);
        _exit(127);
    }
    waitpid(child, nullptr, 0);
}

// ---- Timing ----

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double TimeSearch(const Tree &tree, std::string *found)
{
    HostResetLayer();
    HostSetDriveC(tree.root.c_str());
    g_app = AppState{};
    double start = Now();
    FindClientOnDrive();
    double seconds = Now() - start;
    *found = g_app.settings.clientPath;
    return seconds;
}

double TimeFind(const Tree &tree)
{
    double start = Now();
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execlp("find", "find", tree.root.c_str(), "-iname", "waol.exe", (char *)nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    double seconds = Now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fprintf(stderr, "find failed (status %d)\n", status);
    return seconds;
}

// The search's peak memory, in a child so that nothing else counts: heap
// bytes counted from before the search, and the growth of maxrss.
struct Memory {
    size_t heapPeak = 0;
    long rssGrowthKiB = 0;
};

Memory MeasureMemory(const Tree &tree)
{
    int pipeFds[2];
    Memory memory;
    if (pipe(pipeFds) != 0)
        return memory;
    pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        HostResetLayer();
        HostSetDriveC(tree.root.c_str());
        g_app = AppState{};
        struct rusage before, after;
        getrusage(RUSAGE_SELF, &before);
        g_peakBytes = g_liveBytes.load();
        size_t base = g_liveBytes;
        FindClientOnDrive();
        getrusage(RUSAGE_SELF, &after);
        Memory result;
        result.heapPeak = g_peakBytes - base;
        result.rssGrowthKiB = after.ru_maxrss - before.ru_maxrss;
        ssize_t ignored = write(pipeFds[1], &result, sizeof result);
        (void)ignored;
        _exit(0);
    }
    close(pipeFds[1]);
    if (read(pipeFds[0], &memory, sizeof memory) != (ssize_t)sizeof memory)
        memory = Memory{};
    close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    return memory;
}

void Measure(const std::string &base, const TreeShape &shape, int runs)
{
    printf("\n== %s tree: %zu folders, %zu files, depth up to %d ==\n", shape.label, shape.folders, shape.files,
           shape.maxDepth);
    fflush(stdout);
    Tree tree = MakeTree(base, shape, 0x70767269 + shape.files);
    printf("made %zu entries with %zu clients in %.1f s\n", tree.entries, tree.clients, tree.secondsToMake);

    std::string found;
    TimeSearch(tree, &found); // warms the cache
    TimeFind(tree);
    std::vector<double> search, find;
    for (int run = 0; run < runs; ++run) {
        // Interleaved, so that both see the same state of the machine.
        search.push_back(TimeSearch(tree, &found));
        find.push_back(TimeFind(tree));
    }
    double searchMedian = Median(search);
    printf("client search: median %.3f s over %d runs, %.2f M entries/s; found %s\n", searchMedian, runs,
           (double)tree.entries / searchMedian / 1e6, found.empty() ? "nothing" : found.c_str());
    double findMedian = Median(find);
    printf("GNU find -iname waol.exe: median %.3f s\n", findMedian);
    printf("ratio search/find: %.2f (goal <= 1.00, stretch 0.75)\n", searchMedian / findMedian);
    Memory memory = MeasureMemory(tree);
    printf("peak memory of the search: heap %.1f KiB, maxrss growth %ld KiB\n", (double)memory.heapPeak / 1024,
           memory.rssGrowthKiB);
    fflush(stdout);
    double start = Now();
    RemoveTree(tree);
    printf("removed in %.1f s\n", Now() - start);
}

} // namespace

int main(int argc, char **argv)
{
    bool skipBig = false;
    int runs = 5;
    std::string base;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--skip-big") == 0)
            skipBig = true;
        else if (strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, atoi(argv[++i]));
        else if (strcmp(argv[i], "--base") == 0 && i + 1 < argc)
            base = argv[++i];
        else {
            fprintf(stderr, "usage: %s [--skip-big] [--runs N] [--base DIR]\n", argv[0]);
            return 2;
        }
    }
    if (base.empty())
        base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/tovrik-bench-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        perror("mkdtemp");
        return 1;
    }
    base = pattern;
    struct statfs fileSystem;
    if (statfs(base.c_str(), &fileSystem) == 0)
        printf("trees in %s (file system type 0x%lx)\n", base.c_str(), (unsigned long)fileSystem.f_type);

    const TreeShape realistic = { "realistic", 30000, 300000, 12 };
    const TreeShape small = { "small", 2000, 18000, 12 };
    const TreeShape big = { "big", 200000, 1800000, 12 };
    Measure(base, realistic, runs);
    Measure(base, small, runs);
    if (!skipBig)
        Measure(base, big, std::min(runs, 3));
    else
        printf("\n(big tree skipped)\n");
    rmdir(base.c_str());
    return 0;
}
