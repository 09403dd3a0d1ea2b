// The conformance fixture over the platform, run under 64-bit Wine. The
// drive is T:, which the runner maps to an empty Linux folder; the tree on
// it is laid out on its Linux side by a shell that Wine starts for us (Wine
// runs a Linux program named by its path), since links, modes and
// user.DOSATTRIB have no Win32 call. Keys a test adds below
// HKEY_CURRENT_USER are deleted after it.
#include "conformance/fixture.h"

#include <stdio.h>
#include <string.h>

#include <set>

const bool kOnPlatform = true;

namespace {

const char kDrive[] = "T:";

std::set<std::string> g_keysBefore;

std::set<std::string> TopKeys()
{
    std::set<std::string> names;
    char name[MAX_PATH];
    for (DWORD i = 0; RegEnumKeyA(HKEY_CURRENT_USER, i, name, sizeof name) == ERROR_SUCCESS; ++i)
        names.insert(name);
    return names;
}

// Deletes the keys below HKEY_CURRENT_USER that the test added.
void DropAddedKeys()
{
    for (const std::string &name : TopKeys()) {
        if (!g_keysBefore.count(name))
            RegDeleteTreeA(HKEY_CURRENT_USER, name.c_str());
    }
}

// Wine's own export: the Linux path of a DOS path.
std::string LinuxPath(const std::string &dosPath)
{
    typedef char *(CDECL * ToUnix)(const WCHAR *);
    ToUnix toUnix = (ToUnix)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!toUnix)
        return "";
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, dosPath.c_str(), -1, wide, MAX_PATH))
        return "";
    char *unix = toUnix(wide);
    std::string path = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

std::string TempFolder()
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    return length && length < sizeof folder ? std::string(folder, length) : "C:\\";
}

bool WriteDosFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// Starts `commandLine`; with `wait`, to its end. False when it did not
// start or, waited for, did not end with 0.
bool RunProgram(std::string commandLine, bool wait)
{
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    DWORD code = 0;
    if (wait && (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 ||
                 !GetExitCodeProcess(process.hProcess, &code)))
        code = (DWORD)-1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

// A word for the shell, quoted so that every byte stands for itself.
std::string Quoted(const std::string &word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadDosFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    char bytes[64];
    DWORD read = 0;
    BOOL ok = ReadFile(file, bytes, sizeof bytes, &read, NULL);
    CloseHandle(file);
    return ok ? std::string(bytes, read) : "";
}

// Runs a shell script in the Linux folder of the drive; true when it ends
// with 0. The script goes through a file, so its bytes reach the shell
// untouched by the code page and by command-line quoting. Wine gives no
// handle to wait on for a Linux program, so the script leaves its exit
// code in a file of its own, moved into place whole.
bool Shell(const std::string &script)
{
    // Names of their own each time: a shell that has not yet read to the
    // end of its script must not find the next one there.
    static int calls = 0;
    const std::string name = TempFolder() + "tovrik-fixture-" + std::to_string(++calls);
    const std::string file = name + ".sh";
    const std::string done = name + ".done";
    const std::string drive = LinuxPath(std::string(kDrive) + "\\");
    const std::string doneLinux = LinuxPath(done);
    DeleteFileA(done.c_str());
    if (drive.empty() || doneLinux.empty() ||
        !WriteDosFile(file, "rm -f \"$0\"\n(cd " + Quoted(drive) + " || exit 1\n" + script + "\n)\necho $? > " +
                                Quoted(doneLinux + ".new") + "\nmv " + Quoted(doneLinux + ".new") + " " +
                                Quoted(doneLinux) + "\n"))
        return false;
    if (!RunProgram("/bin/sh " + LinuxPath(file), false))
        return false;
    for (int waited = 0; waited < 30000; waited += 5) {
        if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
            bool ended = ReadDosFile(done) == "0\n";
            DeleteFileA(done.c_str());
            return ended;
        }
        Sleep(5);
    }
    return false;
}

} // namespace

void ConformanceTest::SetUp()
{
    g_keysBefore = TopKeys();
    // Modes a test took away are given back before the tree goes.
    ASSERT_TRUE(Shell("chmod -R u+rwx . 2>/dev/null; find . -mindepth 1 -delete"))
        << "the runner maps " << kDrive << " to a Linux folder";
}

void ConformanceTest::TearDown()
{
    DropAddedKeys();
    Shell("chmod -R u+rwx . 2>/dev/null; find . -mindepth 1 -delete");
}

std::string ConformanceTest::At(const std::string &relative) const
{
    return std::string(kDrive) + "\\" + relative;
}

void ConformanceTest::Folder(const std::string &relative)
{
    ASSERT_TRUE(Shell("mkdir -p " + Quoted(relative))) << relative;
}

void ConformanceTest::File(const std::string &relative)
{
    ASSERT_TRUE(Shell("mkdir -p \"$(dirname " + Quoted(relative) + ")\" && printf MZ > " + Quoted(relative)))
        << relative;
}

void ConformanceTest::Link(const std::string &relative, const std::string &linuxTarget)
{
    ASSERT_TRUE(Shell("mkdir -p \"$(dirname " + Quoted(relative) + ")\" && ln -s " + Quoted(linuxTarget) + " " +
                      Quoted(relative)))
        << relative;
}

void ConformanceTest::Mode(const std::string &relative, unsigned mode)
{
    char octal[8];
    snprintf(octal, sizeof octal, "%o", mode);
    ASSERT_TRUE(Shell(std::string("chmod ") + octal + " " + Quoted(relative))) << relative;
}

bool ConformanceTest::DosAttrib(const std::string &relative, const char *text)
{
    // In double quotes setfattr takes the value as text, not as hex.
    return Shell("setfattr -n user.DOSATTRIB -v " + Quoted("\"" + std::string(text) + "\"") + " " + Quoted(relative));
}

bool ConformanceTest::ImportRegistryText(const std::string &text)
{
    // As on the host, the text is all the test's keys: what an earlier
    // import left must not answer for this one.
    DropAddedKeys();
    std::string file = TempFolder() + "tovrik-import.reg";
    return WriteDosFile(file, text) && RunProgram("regedit.exe /S \"" + file + "\"", true);
}
