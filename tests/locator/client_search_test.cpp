// The search of drive C: for the client, on small trees laid out per test:
// which WAOL.EXE wins, which folders are entered, and paths at the limit.
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>

#include "app/path_text.h"
#include "host/find_file_tree.h"
#include "locator/client_search.h"
#include "shortcut/shortcut_run.h"

namespace {

using Names = std::vector<std::string>;

class ClientSearchTest : public DriveTreeTest {
protected:
    std::string Search()
    {
        FindClientOnDrive();
        EXPECT_EQ(0, HostOpenFindListings()) << "every listing closed";
        return g_app.settings.clientPath;
    }
};

TEST_F(ClientSearchTest, FindsTheOnlyClientWithTheFileSystemsLetterCase)
{
    File("Aol30/WAOL.EXE");
    EXPECT_EQ("C:\\Aol30\\WAOL.EXE", Search());
}

TEST_F(ClientSearchTest, FindsALowerCaseClient)
{
    File("aol/waol.exe");
    EXPECT_EQ("C:\\aol\\waol.exe", Search());
}

TEST_F(ClientSearchTest, TheLastClientInWalkOrderWins)
{
    struct Case {
        Names files;
        const char *expected;
    } cases[] = {
        { { "A/WAOL.EXE", "B/WAOL.EXE" }, "C:\\B\\WAOL.EXE" },
        { { "b/WAOL.EXE", "A/WAOL.EXE" }, "C:\\b\\WAOL.EXE" },
        // C:\AOL lists OLD before WAOL.EXE: the file comes last.
        { { "AOL/WAOL.EXE", "AOL/OLD/WAOL.EXE" }, "C:\\AOL\\WAOL.EXE" },
        // ... and WAOL.EXE before ZOLD: the folder's client comes last.
        { { "AOL/WAOL.EXE", "AOL/ZOLD/WAOL.EXE" }, "C:\\AOL\\ZOLD\\WAOL.EXE" },
        // The whole subtree of a folder is searched before its next sibling.
        { { "A/Z/Z/WAOL.EXE", "B/WAOL.EXE", "A/Y/WAOL.EXE" }, "C:\\B\\WAOL.EXE" },
        { { "WAOL.EXE", "A/WAOL.EXE" }, "C:\\WAOL.EXE" },
    };
    for (const Case &c : cases) {
        std::filesystem::remove_all(DriveC());
        Folder("");
        for (const std::string &file : c.files)
            File(file);
        g_app = AppState{};
        EXPECT_EQ(c.expected, Search()) << c.files[0];
    }
}

TEST_F(ClientSearchTest, DoesNotEnterFoldersWithAnyOtherAttribute)
{
    Folder("HID");
    Folder("RO");
    Folder("ARC");
    Folder("SYS");
    File("HID/WAOL.EXE");
    File("RO/WAOL.EXE");
    File("ARC/WAOL.EXE");
    File("SYS/WAOL.EXE");
    File(".dot/WAOL.EXE");
    File("linked/WAOL.EXE");
    Link("LINK", "linked");
    Mode("linked", 0555); // the one real folder is entered by none but its link
    Mode("RO", 0555);
    if (!DosAttrib("HID", "0x2") || !DosAttrib("SYS", "0x4")) {
        ASSERT_TRUE(HostFixFindAttributes("C:\\HID", 0x12));
        ASSERT_TRUE(HostFixFindAttributes("C:\\SYS", 0x14));
    }
    // The file system keeps no archive bit for folders.
    ASSERT_TRUE(HostFixFindAttributes("C:\\ARC", 0x30));

    EXPECT_EQ((Names{ ".dot 0x12", "ARC 0x30", "HID 0x12", "LINK 0x411", "linked 0x11", "RO 0x11", "SYS 0x14" }),
              List("C:\\*.*", true));
    strcpy(g_app.settings.clientPath, "C:\\KEPT");
    EXPECT_EQ("C:\\KEPT", Search());
}

TEST_F(ClientSearchTest, AFolderNamedLikeTheClientMatchesUnlessItIsPlain)
{
    struct Case {
        DWORD word;
        const char *expected;
    } cases[] = {
        { 0x10, "C:\\AOL\\WAOL.EXE\\INNER\\WAOL.EXE" }, // entered, not compared
        { 0x12, "C:\\AOL\\WAOL.EXE" },
        { 0x11, "C:\\AOL\\WAOL.EXE" },
        { 0x30, "C:\\AOL\\WAOL.EXE" },
        { 0x410, "C:\\AOL\\WAOL.EXE" },
    };
    File("AOL/WAOL.EXE/INNER/WAOL.EXE");
    for (const Case &c : cases) {
        ASSERT_TRUE(HostFixFindAttributes("C:\\AOL\\WAOL.EXE", c.word));
        g_app = AppState{};
        EXPECT_EQ(c.expected, Search()) << std::hex << c.word;
    }
}

TEST_F(ClientSearchTest, ALinkToAFolderNamedLikeTheClientMatches)
{
    File("real/INNER/WAOL.EXE");
    Mode("real", 0555);
    Link("AOL/WAOL.EXE", "../real");
    EXPECT_EQ("C:\\AOL\\WAOL.EXE", Search());
}

TEST_F(ClientSearchTest, WalkSkipsDotsAndPlainDotFoldersButHandsOverDotFiles)
{
    Folder("W/.plain/deep");
    Folder("W/.hidden");
    File("W/.profile");
    File("W/name");
    ASSERT_TRUE(HostFixFindAttributes("C:\\W\\.plain", 0x10));

    static Names visited;
    visited.clear();
    char directory[MAX_PATH] = "C:\\W";
    WalkDirectory(directory, [](char *entryPath, const WIN32_FIND_DATAA *) { visited.push_back(entryPath); });
    EXPECT_EQ((Names{ "C:\\W\\.hidden", "C:\\W\\.profile", "C:\\W\\name" }), visited);
    EXPECT_STREQ("C:\\W\\", directory) << "the walk appends its backslash in place";

    File(".plain/WAOL.EXE");
    ASSERT_TRUE(HostFixFindAttributes("C:\\.plain", 0x10));
    File(".WAOL.EXE"); // compared like any file, and no match
    EXPECT_EQ("", Search());
}

TEST_F(ClientSearchTest, ComparesTheWholeName)
{
    for (const char *name : { "WAOL.EXE.BAK", "OLDWAOL.EXE", "WAOL.EX", "WAOL", "WAOL.EXE " })
        File(std::string("AOL/") + name);
    EXPECT_EQ("", Search());
}

TEST_F(ClientSearchTest, LeavesThePathAsItWasWhenThereIsNoClient)
{
    const char kept[] = "C:\\OLD\\WAOL.EXE";
    struct Case {
        const char *what;
        const char *file; // laid out relative to C:, if any
        bool driveC;
    } cases[] = {
        { "an empty root", nullptr, true },
        { "no client", "AOL/README.TXT", true },
        { "a client on another drive only", "../elsewhere/WAOL.EXE", true },
        { "no drive C:", nullptr, false },
    };
    for (const Case &c : cases) {
        if (c.file)
            File(c.file);
        if (!c.driveC)
            HostSetDriveC("");
        strcpy(g_app.settings.clientPath, kept);
        EXPECT_EQ(kept, Search()) << c.what;
    }
}

TEST_F(ClientSearchTest, ListingsThatFailCountAsEmpty)
{
    File("WAOL.EXE");
    File("Z/WAOL.EXE");
    HostFailCall(HOST_CALL_FIND_NEXT_FILE, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ("C:\\WAOL.EXE", Search()) << "the root's listing ends after its first entry";
    HostFailCall(HOST_CALL_FIND_FIRST_FILE, ERROR_PATH_NOT_FOUND);
    g_app = AppState{};
    EXPECT_EQ("", Search());
}

TEST_F(ClientSearchTest, EndsOnLinkLoops)
{
    File("A/WAOL.EXE");
    Link("A/UP", "..");
    Link("A/ZSELF", ".");
    Link("A/loop1", "loop2");
    Link("A/loop2", "loop1");
    EXPECT_EQ("C:\\A\\WAOL.EXE", Search());

    // Links entered as plain folders at every depth: the walk goes only as
    // deep as a path can, and a deeper client, met later, wins.
    for (std::string link = "C:\\A\\ZSELF"; link.size() < MAX_PATH; link += "\\ZSELF")
        ASSERT_TRUE(HostFixFindAttributes(link.c_str(), FILE_ATTRIBUTE_DIRECTORY));
    g_app = AppState{};
    std::string found = Search();
    EXPECT_EQ(0u, found.find("C:\\A\\ZSELF\\ZSELF\\ZSELF\\")) << found;
    EXPECT_EQ("\\WAOL.EXE", found.substr(found.size() - 9));
    EXPECT_LT(found.size(), size_t(MAX_PATH));
}

TEST_F(ClientSearchTest, AConfiguredCopyWithoutAStoredPathSearchesOnEveryRunAndStoresNothing)
{
    File("AOL30/WAOL.EXE");
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "America Online\\STOCKS", &key));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(key, "Keyword", REG_SZ, "Stocks", 6));
    RegCloseKey(key);
    struct Run {
        const char *moveTo;
        const char *expected;
    } runs[] = {
        { nullptr, "C:\\AOL30\\WAOL.EXE" },
        { "AOL40", "C:\\AOL40\\WAOL.EXE" }, // found afresh where it went
    };
    int started = 0;
    for (const Run &run : runs) {
        if (run.moveTo)
            std::filesystem::rename(OnDrive("AOL30"), OnDrive(run.moveTo));
        g_app.settings = ShortcutSettings{};
        lstrcpyA(g_app.settingsKeyPath, "America Online\\STOCKS");
        EXPECT_NE(0, RunShortcut(NULL));
        ASSERT_EQ(++started, HostStartedProcessCount()) << "started at once, without the sheet";
        EXPECT_EQ(std::string(run.expected) + " -ntester -sStocks",
                  HostStartedProcessAt(started - 1)->commandLine);

        char stored[MAX_PATH] = "untouched";
        LONG size = sizeof stored;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueA(HKEY_CURRENT_USER, "America Online\\Path", stored, &size));
        EXPECT_STREQ("untouched", stored);
    }
}

// Folders below C:\ whose DOS path, "C:\" included, is `length` characters.
std::string FolderPathOfLength(size_t length)
{
    std::string path;
    size_t left = length - 3;
    while (left > 0) {
        size_t name = left > 101 ? 100 : left; // never leave a name of 0
        if (left - name == 1)
            --name;
        path += std::string(name, 'D');
        left -= name;
        if (left > 0) {
            path += '/';
            --left;
        }
    }
    return path;
}

TEST_F(ClientSearchTest, PassesOverPathsThatWouldNotFit)
{
    // The client's path at 258, 259 and 260 characters.
    struct Case {
        size_t length;
        bool found;
    } cases[] = { { 258, true }, { 259, true }, { 260, false } };
    for (const Case &c : cases) {
        std::filesystem::remove_all(DriveC());
        std::string folder = FolderPathOfLength(c.length - 9);
        File(folder + "/WAOL.EXE");
        g_app = AppState{};
        std::string found = Search();
        std::string expected = "C:\\" + folder + "\\WAOL.EXE";
        for (char &ch : expected)
            ch = ch == '/' ? '\\' : ch;
        ASSERT_EQ(c.length, expected.size());
        EXPECT_EQ(c.found ? expected : "", found) << c.length;
    }
}

TEST_F(ClientSearchTest, WalkWritesNothingPastAFullBuffer)
{
    // A folder path that leaves room for "\*.*" is listed; one character
    // more and the walk gives up before touching the buffer.
    struct Case {
        size_t length;
        Names visited;
    } cases[] = {
        { 255, { "x" } },
        { 256, {} },
        { 259, {} },
    };
    for (const Case &c : cases) {
        std::filesystem::remove_all(DriveC());
        std::string folder = FolderPathOfLength(c.length);
        File(folder + "/x");
        File(folder + "/xyzzy");

        char buffer[MAX_PATH + 4];
        memset(buffer, 0x5A, sizeof buffer);
        std::string dos = "C:\\" + folder;
        for (char &ch : dos)
            ch = ch == '/' ? '\\' : ch;
        ASSERT_EQ(c.length, dos.size());
        memcpy(buffer, dos.c_str(), dos.size() + 1);

        static Names visited;
        visited.clear();
        WalkDirectory(buffer, [](char *entryPath, const WIN32_FIND_DATAA *) {
            visited.push_back(entryPath + FileNameOffset(entryPath));
            EXPECT_LT(strlen(entryPath), size_t(MAX_PATH));
        });
        EXPECT_EQ(c.visited, visited) << c.length;
        size_t used = c.length + (c.visited.empty() ? 1 : 2);
        for (size_t i = used; i < sizeof buffer; ++i)
            ASSERT_EQ(0x5A, buffer[i]) << c.length << " byte " << i;
    }
}

} // namespace
