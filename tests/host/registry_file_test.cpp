// The file behind HKEY_CURRENT_USER: where it lives, files made by hand or
// by the registry editor, a file that cannot be read back whole, and saves
// from several processes at once or cut short by a kill.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "host/registry_values.h"
#include "shortcut/settings_store.h"
#include "support/product_fixture.h"
#include "support/scoped_environment.h"

namespace {

class RegistryStore : public ProductTest {
protected:
    // Writes `text` in place of the file's bytes without making a new
    // file, as an editor that keeps the file would.
    void Overwrite(const std::string &text) const
    {
        int fd = open(RegistryFile().c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ((ssize_t)text.size(), write(fd, text.data(), text.size()));
        close(fd);
    }
};

mode_t ModeOf(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST_F(RegistryStore, WhereTheFileLives)
{
    HostSetRegistryFile(NULL);
    ScopedEnvironment home("HOME", (Folder() + "/home").c_str());
    ScopedEnvironment config("XDG_CONFIG_HOME", NULL);
    ScopedEnvironment chosen("TOVRIK_REGISTRY", NULL);

    ASSERT_EQ(ERROR_SUCCESS, StoreText("Where", "home"));
    const std::string inHome = Folder() + "/home/.config/tovrik/user.reg";
    EXPECT_EQ((mode_t)0600, ModeOf(inHome));
    EXPECT_EQ((mode_t)0700, ModeOf(Folder() + "/home/.config/tovrik"));

    setenv("XDG_CONFIG_HOME", (Folder() + "/xdg").c_str(), 1);
    EXPECT_EQ("<missing>", StoredText("Where"));
    ASSERT_EQ(ERROR_SUCCESS, StoreText("Where", "xdg"));
    EXPECT_EQ((mode_t)0600, ModeOf(Folder() + "/xdg/tovrik/user.reg"));

    setenv("TOVRIK_REGISTRY", (Folder() + "/chosen/file.reg").c_str(), 1);
    ASSERT_EQ(ERROR_SUCCESS, StoreText("Where", "chosen"));
    EXPECT_EQ((mode_t)0600, ModeOf(Folder() + "/chosen/file.reg"));

    HostSetRegistryFile(RegistryFile().c_str());
    EXPECT_EQ("<missing>", StoredText("Where"));
    HostSetRegistryFile(NULL);
    EXPECT_EQ("chosen", StoredText("Where"));
    unsetenv("TOVRIK_REGISTRY");
    EXPECT_EQ("xdg", StoredText("Where"));
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ("home", StoredText("Where"));

    HostSetRegistryFile("");
    EXPECT_EQ("<missing>", StoredText("Where"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, StoreText("Where", "nowhere"));
}

TEST_F(RegistryStore, ARewriteKeepsTheFilesModeAndAReadOnlyFileIsLeftAlone)
{
    ASSERT_EQ(ERROR_SUCCESS, StoreText("K", "one"));
    chmod(RegistryFile().c_str(), 0640);
    ASSERT_EQ(ERROR_SUCCESS, StoreText("K", "two"));
    EXPECT_EQ((mode_t)0640, ModeOf(RegistryFile()));

    if (geteuid() == 0)
        GTEST_SKIP() << "a read-only file does not stop root";
    chmod(RegistryFile().c_str(), 0444);
    EXPECT_EQ(ERROR_ACCESS_DENIED, StoreText("K", "three"));
    EXPECT_EQ("two", StoredText("K"));
    EXPECT_EQ((mode_t)0444, ModeOf(RegistryFile()));
}

TEST_F(RegistryStore, ALinkToTheFileStaysALink)
{
    WriteFile("real/user.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n@=\"one\"\n\n");
    const std::string link = Folder() + "/link.reg";
    ASSERT_EQ(0, symlink((Folder() + "/real/user.reg").c_str(), link.c_str()));
    HostSetRegistryFile(link.c_str());
    ASSERT_EQ(ERROR_SUCCESS, StoreText("K", "two"));
    struct stat info;
    ASSERT_EQ(0, lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_NE(std::string::npos, ReadFile("real/user.reg").find("@=\"two\""));
}

// A file exported on Windows: CRLF line breaks, a value that needs the
// hex form and runs over two lines, and the settings of one copy.
TEST_F(RegistryStore, AnExportOfTheRegistryEditorLoads)
{
    WriteFile("user.reg",
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\America Online]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\America Online\\Path]\r\n"
              "@=\"C:\\\\Program Files\\\\AOL\\\\WAOL.EXE\"\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\America Online\\STOCKS]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Keyword]\r\n"
              "@=hex(1):53,74,6f,63,6b,73,0d,0a,4e,65,77,73,20,61,6e,64,20,6d,6f,72,65,20,\\\r\n"
              "  63,61,66,e9,00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Name]\r\n"
              "@=\"Joe \\\"J\\\"\"\r\n"
              "\r\n");
    lstrcpyA(g_app.settingsKeyPath, "America Online\\STOCKS");
    LoadSettings();
    EXPECT_STREQ("Joe \"J\"", g_app.settings.screenName);
    EXPECT_STREQ("Stocks\r\nNews and more caf\xe9", g_app.settings.keyword);
    EXPECT_STREQ("C:\\Program Files\\AOL\\WAOL.EXE", g_app.settings.clientPath);
}

// What the editor's import does with a file made by hand; what it keeps
// without the store understanding it survives a rewrite.
TEST_F(RegistryStore, AHandMadeFileReadsAsTheEditorImportsIt)
{
    WriteFile("user.reg",
              "REGEDIT4\n"
              "; made by hand\n"
              "[HKEY_CURRENT_USER\\Deep\\Er\\Key]\n"
              "@=\"C:\\Program Files\\AOL\"\n"
              "\"Named\"=\"kept\"\n"
              "\"Count\"=dword:0000002a\n"
              "\"Blob\"=hex:01,02,\\\n"
              "    03\n"
              "   [hkey_current_user\\deep\\ER]   \n"
              "  @ = hex(1):63,61,66,e9,00\n"
              "[HKEY_CURRENT_USER\\Other\\]\n"
              "@=hex(2):25,00\n"
              "@=\"later wins\"\n"
              "[HKEY_CURRENT_USER\\DEEP\\er\\KEY]\n"
              "\"Named\"=\"kept again\"\n");
    EXPECT_EQ("C:Program FilesAOL", StoredText("Deep\\Er\\Key"));
    EXPECT_EQ("caf\xe9", StoredText("deep\\er"));
    EXPECT_EQ("", StoredText("Deep"));
    EXPECT_EQ("later wins", StoredText("Other"));

    ASSERT_EQ(ERROR_SUCCESS, StoreText("Deep\\New", "new"));
    EXPECT_EQ("REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Deep]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Deep\\Er]\n"
              "@=\"caf\xe9\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\Deep\\Er\\Key]\n"
              "@=\"C:Program FilesAOL\"\n"
              "\"Named\"=\"kept again\"\n"
              "\"Count\"=dword:0000002a\n"
              "\"Blob\"=hex:01,02,03\n"
              "\n"
              "[HKEY_CURRENT_USER\\Deep\\New]\n"
              "@=\"new\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\Other]\n"
              "@=\"later wins\"\n"
              "\n",
              ReadFile("user.reg"));
}

TEST_F(RegistryStore, OtherValueTypesAreKept)
{
    WriteFile("user.reg",
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n@=hex(2):25,00\n\"Raw\"=hex(1):61,00,62\n"
              "\"Empty\"=hex:\n\"Big\"=hex(7):" + std::string("61,00,") + "00\n");
    ASSERT_EQ(ERROR_SUCCESS, StoreText("L", "x"));
    EXPECT_EQ("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n@=hex(2):25,00\n\"Raw\"=hex(1):61,00,62\n"
              "\"Empty\"=hex:\n\"Big\"=hex(7):61,00,00\n\n[HKEY_CURRENT_USER\\L]\n@=\"x\"\n\n",
              ReadFile("user.reg"));
}

// A file edited by hand out of the written order, larger than what is read
// of it at a time and without lines for the keys above its values, is
// still read right, and the next save puts it back in order.
TEST_F(RegistryStore, AFileOutOfOrderIsReadWhole)
{
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("Copy" + std::to_string(i));
    for (const std::string &name : names)
        ASSERT_EQ(ERROR_SUCCESS, StoreText("AO\\" + name, name));
    ASSERT_EQ("Copy7", StoredText("AO\\Copy7"));

    std::string text = "REGEDIT4\n\n";
    std::vector<std::string> shuffled = names;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + 13, shuffled.end());
    for (const std::string &name : shuffled)
        text += "[HKEY_CURRENT_USER\\AO\\" + name + "]\n@=\"" + name + " again\"\n\n";
    for (int i = 0; i < 3000; ++i)
        text += "[HKEY_CURRENT_USER\\AO\\Filler" + std::to_string(i) + "\\Deep]\n@=\"f\"\n\n";
    Overwrite(text);
    for (const std::string &name : names)
        EXPECT_EQ(name + " again", StoredText("AO\\" + name));
    EXPECT_EQ("", StoredText("AO\\Filler2999"));
    EXPECT_EQ("f", StoredText("ao\\filler2999\\deep"));
    EXPECT_EQ("<missing>", StoredText("AO\\Filler3000"));

    ASSERT_EQ(ERROR_SUCCESS, StoreText("AO\\Copy0", "first"));
    std::string sorted = ReadFile("user.reg");
    EXPECT_LT(sorted.find("\\Copy0]"), sorted.find("\\Copy1]"));
    EXPECT_LT(sorted.find("\\Copy1]"), sorted.find("\\Copy10]"));
    EXPECT_LT(sorted.find("\\Copy19]"), sorted.find("\\Copy2]"));
    for (const std::string &name : names)
        EXPECT_EQ(name == "Copy0" ? "first" : name + " again", StoredText("AO\\" + name));
}

TEST_F(RegistryStore, AFileNotUnderstoodIsReadAsFarAsItGoesAndNeverOverwritten)
{
    const std::string text = "REGEDIT4\n"
                             "\n"
                             "[HKEY_CURRENT_USER\\America Online\\Path]\n"
                             "@=\"C:\\\\WAOL.EXE\"\n"
                             "\n"
                             "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Keyword]\n"
                             "@=\"Stocks\" junk\n"
                             "this line means nothing\n"
                             "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Name]\n"
                             "@=\"Joe\n"
                             "[HKEY_LOCAL_MACHINE\\Software]\n"
                             "[HKEY_CURRENT_USER\\America Online\\News\\Name]\n"
                             "@=\"Ann\"\n";
    WriteFile("user.reg", text);

    testing::internal::CaptureStderr();
    EXPECT_EQ("C:\\WAOL.EXE", StoredText("America Online\\Path"));
    EXPECT_EQ("", StoredText("America Online\\STOCKS\\Keyword"));
    EXPECT_EQ("", StoredText("America Online\\STOCKS\\Name"));
    EXPECT_EQ("Ann", StoredText("America Online\\News\\Name"));
    EXPECT_EQ(ERROR_REGISTRY_CORRUPT, StoreText("America Online\\STOCKS\\Name", "Joe"));
    HKEY key = NULL;
    EXPECT_EQ(ERROR_REGISTRY_CORRUPT, RegCreateKeyA(HKEY_CURRENT_USER, "New", &key));
    EXPECT_EQ(NULL, key);
    std::string said = testing::internal::GetCapturedStderr();

    EXPECT_EQ(text, ReadFile("user.reg"));
    EXPECT_NE(0, access((RegistryFile() + ".new").c_str(), F_OK));
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    EXPECT_NE(std::string::npos, said.find(RegistryFile() + ":7:")) << said;
}

TEST_F(RegistryStore, AFileOfAnotherKindIsNotOverwritten)
{
    const std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n@=\"v\"\n";
    WriteFile("user.reg", text);
    testing::internal::CaptureStderr();
    EXPECT_EQ("v", StoredText("K"));
    EXPECT_EQ(ERROR_REGISTRY_CORRUPT, StoreText("K", "w"));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(text, ReadFile("user.reg"));
    EXPECT_NE(std::string::npos, said.find(RegistryFile() + ":1:")) << said;
}

// A file cut short in place while a run reads it (an editor saving over
// it) must not bring the run down. Whether a cut falls inside a read is
// chance, but a second of cuts has never missed one.
TEST_F(RegistryStore, AFileCutShortWhileReadIsNoCrash)
{
    std::string text = "REGEDIT4\n\n";
    for (int i = 0; i < 2000; ++i)
        text += "[HKEY_CURRENT_USER\\K" + std::to_string(10000 + i) + "]\n@=\"v\"\n\n";
    WriteFile("user.reg", text);
    pid_t cutter = fork();
    ASSERT_GE(cutter, 0);
    if (cutter == 0) {
        // Each round puts a whole file in place with a save, lets the
        // reader open it, and cuts it short under it.
        for (int round = 0;; ++round) {
            Overwrite(text);
            StoreText("K10000", round % 2 ? "a" : "b");
            usleep(300);
            if (truncate(RegistryFile().c_str(), 0) != 0)
                _exit(1);
            usleep(100);
        }
    }
    pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < end)
            StoredText("K11999");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(reader, waitpid(reader, &status, 0));
    kill(cutter, SIGKILL);
    waitpid(cutter, NULL, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the reader ended with signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

// Saves the settings of copy `copy` as round `round` would leave them.
void SaveRound(int copy, int round)
{
    std::string key = "America Online\\Copy" + std::to_string(copy);
    std::string value = std::to_string(copy) + "/" + std::to_string(round);
    StoreText(key + "\\Name", value);
    StoreText(key + "\\Keyword", value);
}

TEST_F(RegistryStore, CopiesSavingAtOnceKeepAllTheirSettings)
{
    const int kCopies = 4, kRounds = 15;
    std::vector<pid_t> children;
    for (int copy = 0; copy < kCopies; ++copy) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int round = 0; round < kRounds; ++round)
                SaveRound(copy, round);
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int copy = 0; copy < kCopies; ++copy) {
        std::string key = "America Online\\Copy" + std::to_string(copy);
        std::string last = std::to_string(copy) + "/" + std::to_string(kRounds - 1);
        EXPECT_EQ(last, StoredText(key + "\\Name"));
        EXPECT_EQ(last, StoredText(key + "\\Keyword"));
    }
}

// A process killed while it saves leaves a whole file that holds every save
// that returned before the kill.
TEST_F(RegistryStore, AKillDuringSavesLosesNothing)
{
    std::set<int> saved;
    int copy = 0;
    for (int kill = 0; kill < 5; ++kill) {
        int pipeEnds[2];
        ASSERT_EQ(0, pipe(pipeEnds));
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            for (int next = copy;; ++next) {
                SaveRound(next, 0);
                if (write(pipeEnds[1], &next, sizeof next) != sizeof next)
                    _exit(1);
            }
        }
        close(pipeEnds[1]);
        // Two saves first, whatever the machine's load, then the kill at a
        // point that moves from round to round through the saves after them.
        int done;
        for (int reported = 0; reported < 2; ++reported) {
            ASSERT_EQ((ssize_t)sizeof done, read(pipeEnds[0], &done, sizeof done));
            saved.insert(done);
            copy = std::max(copy, done + 1);
        }
        usleep(1500 * kill);
        ::kill(child, SIGKILL);
        int status;
        waitpid(child, &status, 0);
        while (read(pipeEnds[0], &done, sizeof done) == sizeof done) {
            saved.insert(done);
            copy = std::max(copy, done + 1);
        }
        close(pipeEnds[0]);

        ASSERT_EQ(ERROR_SUCCESS, StoreText("Check", std::to_string(kill))) << "the file no longer reads whole";
        for (int each : saved) {
            std::string value = std::to_string(each) + "/0";
            ASSERT_EQ(value, StoredText("America Online\\Copy" + std::to_string(each) + "\\Keyword"));
        }
    }
    EXPECT_GT(saved.size(), 5u);
}

} // namespace
