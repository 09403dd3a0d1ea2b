// Faults the program survives with nothing lost: a registry file that cannot
// be read, written or understood, drive folders that cannot be listed or
// that go away during the walk, link loops, and a client path that names
// something that cannot run. Each run ends with exit code 0 and leaves the
// settings file as it was wherever a save must not touch it.
#include <gtest/gtest.h>

#include <ctype.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_fixture.h"
#include "locator/client_search.h"

namespace {

namespace fs = std::filesystem;

const char kAccept[] = "ok\n";
const char kStarted[] = "C:\\AOL\\WAOL.EXE -nReader7 -sStocks\n";

// Lines of the client's log that started C:\AOL\WAOL.EXE with what the
// sheet offers: the login name of whoever runs it, and the default keyword.
int StartsFromTheSheet(const std::string &log)
{
    const std::string head = "C:\\AOL\\WAOL.EXE -n", tail = " -uhttp://vurezez.example/";
    int starts = 0;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        starts += line.size() > head.size() + tail.size() && line.compare(0, head.size(), head) == 0 &&
                  line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    }
    return starts;
}

mode_t ModeOf(const std::string &path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// The table rows below lay out their fault through these.
class Faults : public ProgramTest {
public:
    using ProductTest::DriveC;
    using ProductTest::Folder;
    using ProductTest::RegistryFile;
    using ProductTest::WriteFile;
    using ProgramTest::PlaceClient;
    using ProgramTest::ModesBite;
    using ProgramTest::StoreSettings;
};

// A row of a fault table: what it lays out, and whether it needs file modes
// to stop the program.
struct FaultCase {
    const char *what;
    bool needsModes;
    std::function<void(Faults *)> make;
};

// A row shows in the test's listing by what it lays out.
void PrintTo(const FaultCase &c, std::ostream *out)
{
    *out << c.what;
}

// Each row of a table is a test of its own, so that a row that needs file
// modes where they stop nothing is reported as skipped.
class FaultRow : public Faults, public ::testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override
    {
        Faults::SetUp();
        if (GetParam().needsModes && !ModesBite())
            GTEST_SKIP() << "run as root with no ordinary user to run as, modes stop nothing";
    }
};

// The row's test name: its words, each capitalised, without the rest.
std::string RowName(const ::testing::TestParamInfo<FaultCase> &row)
{
    std::string name;
    bool wordStart = true;
    for (const char *c = row.param.what; *c; ++c) {
        if (isalnum((unsigned char)*c))
            name += wordStart ? (char)toupper((unsigned char)*c) : *c;
        wordStart = !isalnum((unsigned char)*c);
    }
    return name;
}

// The settings file in each bad state, and an accepted sheet that tries to
// save into it: the run goes on with the values in memory, the file is left
// byte for byte as it was.
const FaultCase kUnsavableFiles[] = {
    { "corrupt", false,
      [](Faults *t) {
          static const char kCorrupt[] = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n@=\"\0\xFF\n\x01\x02 not a line\n";
          t->WriteFile("user.reg", std::string(kCorrupt, sizeof kCorrupt - 1));
      } },
    { "another kind of file", false,
      [](Faults *t) { t->WriteFile("user.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n"); } },
    { "unreadable", true,
      [](Faults *t) {
          t->StoreSettings("", "C:\\AOL\\WAOL.EXE");
          chmod(t->RegistryFile().c_str(), 0);
      } },
    { "read-only, in a folder that cannot be written", true,
      [](Faults *t) {
          t->StoreSettings("", "C:\\AOL\\WAOL.EXE");
          chmod(t->RegistryFile().c_str(), 0444);
          chmod(t->Folder().c_str(), 0555);
      } },
};

class ASettingsFileThatCannotBeSavedInto : public FaultRow {};

TEST_P(ASettingsFileThatCannotBeSavedInto, IsLeftAsItWas)
{
    PlaceClient("AOL/WAOL.EXE");
    chmod(Folder().c_str(), 0777);
    GetParam().make(this);
    const std::string before = ReadFile("user.reg");
    const mode_t mode = ModeOf(RegistryFile());

    Options options;
    options.script = kAccept;
    options.asOrdinaryUser = GetParam().needsModes;
    EXPECT_EQ(0, Run("STOCKS", options));

    EXPECT_EQ(mode, ModeOf(RegistryFile()));
    EXPECT_EQ(before, ReadFile("user.reg"));
    EXPECT_FALSE(fs::exists(RegistryFile() + ".new"));
    /* The run went on with what the sheet held. */
    EXPECT_EQ(1, StartsFromTheSheet(ClientLog())) << ClientLog();
}

INSTANTIATE_TEST_SUITE_P(Faults, ASettingsFileThatCannotBeSavedInto, ::testing::ValuesIn(kUnsavableFiles), RowName);

// The save renames a new file over the old one, which needs only the
// folder's write right: the file's own must be asked for as well.
TEST_F(Faults, AReadOnlySettingsFileInAFolderThatCanBeWrittenIsLeftAsItWas)
{
    if (!ModesBite())
        GTEST_SKIP() << "run as root with no ordinary user to run as, modes stop nothing";
    PlaceClient("AOL/WAOL.EXE");
    chmod(Folder().c_str(), 0777);
    StoreSettings("", "C:\\AOL\\WAOL.EXE");
    chmod(RegistryFile().c_str(), 0444);
    const std::string before = ReadFile("user.reg");
    Options options;
    options.script = kAccept;
    options.asOrdinaryUser = true;
    EXPECT_EQ(0, Run("STOCKS", options));
    EXPECT_EQ(before, ReadFile("user.reg"));
    EXPECT_EQ(S_IFREG | 0444u, ModeOf(RegistryFile()));
}

TEST_F(Faults, AFolderInPlaceOfTheSettingsFileIsLeftAlone)
{
    PlaceClient("AOL/WAOL.EXE");
    fs::create_directories(RegistryFile());
    WriteFile("user.reg/kept", "kept");
    Options options;
    options.script = kAccept;
    EXPECT_EQ(0, Run("STOCKS", options));
    EXPECT_TRUE(fs::is_directory(RegistryFile()));
    EXPECT_EQ("kept", ReadFile("user.reg/kept"));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(RegistryFile()), fs::directory_iterator()));
    EXPECT_EQ(1, StartsFromTheSheet(ClientLog())) << ClientLog();
}

TEST_F(Faults, AMissingSettingsFolderIsMadeOnlyBySave)
{
    PlaceClient("AOL/WAOL.EXE");
    Options options;
    options.registry = Folder() + "/config/tovrik/user.reg";
    EXPECT_EQ(0, Run("STOCKS", options)) << "no sheet can show: nothing saved";
    EXPECT_FALSE(fs::exists(Folder() + "/config"));

    options.script = kAccept;
    EXPECT_EQ(0, Run("STOCKS", options));
    options.script = nullptr;
    EXPECT_EQ(0, Run("STOCKS", options)) << "configured now: no sheet";
    EXPECT_EQ(2, StartsFromTheSheet(ClientLog())) << ClientLog();
}

// Drive C: in bad shapes, searched by a configured copy with no stored
// path: the search ends, and the client it can reach is started.
const FaultCase kUnwalkableFolders[] = {
    { "a folder that cannot be listed", true,
      [](Faults *t) {
          t->PlaceClient("ZLOCKED/WAOL.EXE");
          chmod((t->DriveC() + "/ZLOCKED").c_str(), 0);
      } },
    { "link loops", false,
      [](Faults *t) {
          fs::create_directory_symlink("..", t->DriveC() + "/AOL/UP");
          fs::create_directory_symlink(".", t->DriveC() + "/ZSELF");
          fs::create_symlink("LOOP2", t->DriveC() + "/LOOP1");
          fs::create_symlink("LOOP1", t->DriveC() + "/LOOP2");
      } },
    { "a dangling link named like the client", false,
      [](Faults *t) { fs::create_symlink("nowhere", t->DriveC() + "/ZZ/WAOL.EXE"); } },
};

class TheSearchGetsPast : public FaultRow {};

TEST_P(TheSearchGetsPast, FoldersItCannotWalk)
{
    fs::create_directories(DriveC() + "/ZZ");
    PlaceClient("AOL/WAOL.EXE");
    GetParam().make(this);
    StoreSettings("Stocks", "");
    const std::string before = ReadFile("user.reg");
    Options options;
    options.asOrdinaryUser = GetParam().needsModes;
    EXPECT_EQ(0, Run("STOCKS", options));
    EXPECT_EQ(kStarted, ClientLog());
    EXPECT_EQ(before, ReadFile("user.reg")) << "a search stores nothing";
}

INSTANTIATE_TEST_SUITE_P(Faults, TheSearchGetsPast, ::testing::ValuesIn(kUnwalkableFolders), RowName);

TEST_F(Faults, AClientPathThatCannotRunStartsNothing)
{
    struct Case {
        const char *what;
        const char *path;
    } const cases[] = {
        { "a folder", "C:\\AOL" },
        { "a file without the right to run", "C:\\AOL\\WAOL.EXE" },
        { "nothing at all", "C:\\GONE\\WAOL.EXE" },
    };
    PlaceClient("AOL/WAOL.EXE");
    chmod((DriveC() + "/AOL/WAOL.EXE").c_str(), 0644);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        StoreSettings("Stocks", c.path);
        const std::string before = ReadFile("user.reg");
        EXPECT_EQ(0, Run("STOCKS", Options()));
        EXPECT_EQ("", ClientLog());
        EXPECT_EQ(before, ReadFile("user.reg"));
    }
}

// Folders that go away while the walk is under way, in-process: the visitor
// of the root removes them after the root was listed.
TEST_F(Faults, FoldersThatGoAwayDuringTheWalkCountAsEmpty)
{
    static Faults *test;
    test = this;
    for (const char *client : { "A/WAOL.EXE", "B/INNER/WAOL.EXE", "C/WAOL.EXE", "D/WAOL.EXE", "E/WAOL.EXE" })
        PlaceClient(client);
    /* On A, B goes; on C, C itself and D go, just before C is walked. */
    DirectoryVisitor visitor = [](char *path, const WIN32_FIND_DATAA *entry) {
        std::string name = path;
        if (name == "C:\\A")
            fs::remove_all(test->DriveC() + "/B");
        if (name == "C:\\C") {
            fs::remove_all(test->DriveC() + "/C");
            fs::remove_all(test->DriveC() + "/D");
        }
        MatchClientEntry(path, entry);
    };
    char root[MAX_PATH] = "C:\\";
    WalkDirectory(root, visitor);
    EXPECT_STREQ("C:\\E\\WAOL.EXE", g_app.settings.clientPath);
    EXPECT_EQ(0, HostOpenFindListings());

    g_app = AppState{};
    root[3] = '\0';
    fs::remove_all(DriveC() + "/E");
    WalkDirectory(root, visitor);
    EXPECT_STREQ("C:\\A\\WAOL.EXE", g_app.settings.clientPath) << "nothing later left to find";
}

} // namespace
