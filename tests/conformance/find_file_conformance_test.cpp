// FindFirstFileA, FindNextFileA and FindClose as a program calls them, with
// the results a real implementation of the platform gives over Linux folders.
#include <gtest/gtest.h>

#include <string.h>

#include "host/find_file_tree.h"

namespace {

using Names = std::vector<std::string>;

class FindFileTest : public DriveTreeTest {};

TEST_F(FindFileTest, ListsDotsFirstExceptAtTheRootThenUpperCaseOrdinalOrder)
{
    // Made out of order; the file system keeps its own order anyway.
    for (const char *name : { "_u", "Zed", "a_", "9", "ABD", "[x", "B", "abc", "10" })
        File(std::string("SUB/") + name);
    Folder("SUB/sub");
    File("ROOTFILE");

    const Names sorted = { ".", "..", "10", "9", "abc", "ABD", "a_", "B", "sub", "Zed", "[x", "_u" };
    EXPECT_EQ(sorted, List("C:\\SUB\\*.*"));
    EXPECT_EQ(sorted, List("C:\\SUB\\*"));
    EXPECT_EQ(sorted, List("C:\\sub\\*.*")) << "folders are found without regard to case";
    EXPECT_EQ((Names{ ".", ".." }), List("C:\\SUB\\sub\\*.*"));
    EXPECT_EQ((Names{ "ROOTFILE", "SUB" }), List("C:\\*.*"));
    EXPECT_EQ((Names{ "ROOTFILE", "SUB" }), List("C:\\SUB\\..\\*.*")) << "the root reached through ..";
}

TEST_F(FindFileTest, GivesThePlatformsAttributeWords)
{
    Folder("W/plain");
    File("W/file.txt");
    Folder("W/.dotdir");
    File("W/.dotfile");
    Folder("W/ro");
    Mode("W/ro", 0555);
    File("W/rofile");
    Mode("W/rofile", 0444);
    Link("W/linkdir", "plain");
    Link("W/linkfile", "file.txt");
    Link("W/dangling", "nothing");
    Link("W/loopa", "loopb");
    Link("W/loopb", "loopa");
    Link("W/up", "..");

    EXPECT_EQ((Names{ ". 0x10", ".. 0x10", ".dotdir 0x12", ".dotfile 0x22", "file.txt 0x20", "linkdir 0x410",
                      "linkfile 0x20", "plain 0x10", "ro 0x11", "rofile 0x20", "up 0x410" }),
              List("C:\\W\\*.*", true))
        << "regular files keep no read-only bit without the detail switch";

    HostSetFindFileDetail(TRUE);
    EXPECT_EQ((Names{ ". 0x10", ".. 0x10", ".dotdir 0x12", ".dotfile 0x22", "file.txt 0x20", "linkdir 0x410",
                      "linkfile 0x20", "plain 0x10", "ro 0x11", "rofile 0x21", "up 0x410" }),
              List("C:\\W\\*.*", true));
}

TEST_F(FindFileTest, HonoursHiddenAndSystemOfDosAttrib)
{
    Folder("D/hid");
    Folder("D/sys");
    Folder("D/both");
    Folder("D/arc");
    Folder("D/junk");
    File("D/sysfile");
    Link("D/linkhid", "hid");
    Folder("D/self");
    if (!DosAttrib("D/hid", "0x2"))
        GTEST_SKIP() << "no user extended attributes on this file system";
    ASSERT_TRUE(DosAttrib("D/sys", "0x4"));
    ASSERT_TRUE(DosAttrib("D/both", "0x27")); // read-only and archive are not taken from it
    ASSERT_TRUE(DosAttrib("D/arc", "0x20"));
    ASSERT_TRUE(DosAttrib("D/junk", "hidden"));
    ASSERT_TRUE(DosAttrib("D/sysfile", "0x4"));
    ASSERT_TRUE(DosAttrib("D/self", "0x6"));

    EXPECT_EQ((Names{ ". 0x10", ".. 0x10", "arc 0x10", "both 0x16", "hid 0x12", "junk 0x10", "linkhid 0x412",
                      "self 0x16", "sys 0x14", "sysfile 0x20" }),
              List("C:\\D\\*.*", true));
    HostSetFindFileDetail(TRUE);
    EXPECT_EQ((Names{ "sysfile 0x24" }), List("C:\\D\\sysfile", true));
    EXPECT_EQ((Names{ ". 0x16", ".. 0x10" }), List("C:\\D\\self\\*.*", true)) << "'.' carries its own bits";
}

TEST_F(FindFileTest, FixedWordsStandWhereTheFileSystemHasNone)
{
    Folder("F/arc");
    Folder("F/sys");
    File("F/WAOL.EXE");
    ASSERT_TRUE(HostFixFindAttributes("C:\\F\\ARC", 0x30));
    ASSERT_TRUE(HostFixFindAttributes("C:\\F\\sys", 0x14));
    ASSERT_TRUE(HostFixFindAttributes("C:\\F\\waol.exe", 0x10));
    EXPECT_FALSE(HostFixFindAttributes("D:\\F", 0x10));

    EXPECT_EQ((Names{ ". 0x10", ".. 0x10", "arc 0x30", "sys 0x14", "WAOL.EXE 0x10" }), List("C:\\F\\*.*", true));
    EXPECT_EQ((Names{ ". 0x14", ".. 0x10" }), List("C:\\F\\sys\\*.*", true));
    HostResetLayer();
    HostSetDriveC(DriveC().c_str());
    EXPECT_EQ((Names{ "arc 0x10" }), List("C:\\F\\arc", true)) << "dropped by the reset";
}

TEST_F(FindFileTest, MatchesPatternsWithoutRegardToCase)
{
    for (const char *name : { "WAOL.EXE", "waol", "WAOL.EXE.BAK", "OLDWAOL.EXE", "w1", "w22" })
        File(std::string("P/") + name);
    struct Case {
        const char *pattern;
        Names names;
    } cases[] = {
        { "C:\\P\\waol.exe", { "WAOL.EXE" } },
        { "C:\\P\\WAOL", { "waol" } },
        { "C:\\P\\WAOL.*", { "waol", "WAOL.EXE", "WAOL.EXE.BAK" } },
        { "C:\\P\\*WAOL.EXE", { "OLDWAOL.EXE", "WAOL.EXE" } },
        { "C:\\P\\w?", { "w1" } },
        { "C:\\P\\W*2", { "w22" } },
        { "C:\\P\\.*", { ".", ".." } },
        { "C:\\P\\nothing*", {} },
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.names, List(c.pattern)) << c.pattern;
}

TEST_F(FindFileTest, FailsWithThePlatformsErrors)
{
    File("AOL/WAOL.EXE");
    std::string longPath = "C:\\" + std::string(MAX_PATH - 3, 'A');
    struct Case {
        const char *path;
        DWORD error;
    } cases[] = {
        { "C:\\MISSING\\*.*", ERROR_PATH_NOT_FOUND },
        { "C:\\MISSING\\SUB\\*.*", ERROR_PATH_NOT_FOUND },
        { "D:\\*.*", ERROR_PATH_NOT_FOUND },
        { "*.*", ERROR_PATH_NOT_FOUND },
        { "C:\\AOL\\WAOL.EXE\\*.*", ERROR_DIRECTORY },
        { "C:\\AOL\\NONE.EXE", ERROR_FILE_NOT_FOUND },
        { "C:\\AOL\\", ERROR_FILE_NOT_FOUND },
        { longPath.c_str(), ERROR_FILENAME_EXCED_RANGE },
    };
    for (const Case &c : cases) {
        WIN32_FIND_DATAA entry;
        memset(&entry, 0x5A, sizeof entry);
        SetLastError(0);
        EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(c.path, &entry)) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }

    HostSetDriveC("");
    WIN32_FIND_DATAA entry;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\*.*", &entry));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError()) << "no drive C:";
}

TEST_F(FindFileTest, EndsWithNoMoreFilesAndRefusesHandlesThatAreNotOpen)
{
    File("ONE/A");
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA("C:\\ONE\\A", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, listing);
    EXPECT_STREQ("A", entry.cFileName);
    EXPECT_FALSE(FindNextFileA(listing, &entry));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_FALSE(FindNextFileA(listing, &entry));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError()) << "and stays at the end";
    EXPECT_STREQ("A", entry.cFileName) << "the record is left as it was";
    EXPECT_TRUE(FindClose(listing));

    for (HANDLE bad : { listing, (HANDLE)NULL, INVALID_HANDLE_VALUE, (HANDLE)&entry }) {
        SetLastError(0);
        EXPECT_FALSE(FindNextFileA(bad, &entry));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
        SetLastError(0);
        EXPECT_FALSE(FindClose(bad));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    }
}

TEST_F(FindFileTest, ShowsNamesInCodePage1252AndLeavesOutTheRest)
{
    Folder("N/caf\xC3\xA9");                   // café
    File("N/caf\xC3\xA9/\xC5\x93uvre");        // œuvre
    File("N/\xE6\x97\xA5\xE6\x9C\xAC");        // two characters code page 1252 lacks
    File("N/bad\xFF");                         // not UTF-8
    File("N/a:b");
    File("N/a\\b");
    File("N/" + std::string(255, 'L'));

    EXPECT_EQ((Names{ ".", "..", "caf\xE9", std::string(255, 'L') }), List("C:\\N\\*.*"));
    EXPECT_EQ((Names{ ".", "..", "\x9Cuvre" }), List("C:\\N\\CAF\xC9\\*.*")) << "the ANSI name leads back";
}

TEST_F(FindFileTest, SortsAccentedNamesByTheirUpperCase)
{
    for (const char *name : { "\xC3\xA9t\xC3\xA9", "Z", "\xC3\x89TA", "e" }) // été Z ÉTA e
        File(std::string("S/") + name);
    EXPECT_EQ((Names{ ".", "..", "e", "Z", "\xC9TA", "\xE9t\xE9" }), List("C:\\S\\*"));
}

TEST_F(FindFileTest, FillsTheRecordWithoutOverrun)
{
    File("R/WAOL.EXE");
    Folder("R/F");
    HostSetFindFileDetail(TRUE);
    WIN32_FIND_DATAA entry;
    memset(&entry, 0x5A, sizeof entry);
    HANDLE listing = FindFirstFileA("C:\\R\\waol.exe", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, listing);
    EXPECT_STREQ("WAOL.EXE", entry.cFileName);
    EXPECT_EQ('\0', entry.cAlternateFileName[0]);
    EXPECT_EQ(2u, entry.nFileSizeLow);
    EXPECT_EQ(0u, entry.nFileSizeHigh);
    EXPECT_NE(0u, entry.ftLastWriteTime.dwHighDateTime);
    EXPECT_TRUE(FindClose(listing));
}

TEST_F(FindFileTest, LeavesNoListingOrDescriptorBehind)
{
    for (const char *name : { "A/1", "A/2", "A/B/3", "A/B/C/4" })
        File(name);
    const int descriptors = OpenDescriptors();
    WIN32_FIND_DATAA entry;

    // Nested listings as a walk opens them, closed in reverse.
    HANDLE outer = FindFirstFileA("C:\\A\\*.*", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, outer);
    HANDLE inner = FindFirstFileA("C:\\A\\B\\*.*", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, inner);
    EXPECT_EQ(2, HostOpenFindListings());
    EXPECT_TRUE(FindClose(inner));
    EXPECT_TRUE(FindClose(outer));
    EXPECT_EQ(0, HostOpenFindListings());
    EXPECT_EQ(descriptors, OpenDescriptors());

    // Failures: no match, a missing folder, a listing abandoned mid-way.
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\A\\none", &entry));
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\A\\X\\*.*", &entry));
    HANDLE abandoned = FindFirstFileA("C:\\A\\*.*", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, abandoned);
    HostResetLayer();
    HostSetDriveC(DriveC().c_str());
    EXPECT_EQ(0, HostOpenFindListings());
    EXPECT_EQ(descriptors, OpenDescriptors());
}

TEST_F(FindFileTest, ForcedFailuresFailAsAskedAndKeepTheListingClosable)
{
    File("A/1");
    File("A/2");
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA("C:\\A\\*.*", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, listing);
    HostFailCall(HOST_CALL_FIND_NEXT_FILE, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(FindNextFileA(listing, &entry));
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_TRUE(FindClose(listing));
    EXPECT_EQ(0, HostOpenFindListings());

    HostFailCall(HOST_CALL_FIND_FIRST_FILE, ERROR_ACCESS_DENIED);
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\A\\*.*", &entry));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(0, HostOpenFindListings());
}

TEST_F(FindFileTest, AChildOpenedFromItsListingMatchesOneOpenedByPath)
{
    // A walk opens each child through the listing that named it; the same
    // folder opened afresh, in another case, must list alike.
    Folder("T/Kid/.hid");
    File("T/Kid/x");
    Folder("T/Kid/y");
    Mode("T/Kid/y", 0555);
    WIN32_FIND_DATAA entry;
    HANDLE parent = FindFirstFileA("C:\\T\\*.*", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, parent);
    while (strcmp(entry.cFileName, "Kid") != 0)
        ASSERT_TRUE(FindNextFileA(parent, &entry));
    Names throughParent = List("C:\\T\\Kid\\*.*", true);
    EXPECT_TRUE(FindClose(parent));
    EXPECT_EQ(throughParent, List("C:\\t\\KID\\*.*", true));
    EXPECT_EQ((Names{ ". 0x10", ".. 0x10", ".hid 0x12", "x 0x20", "y 0x11" }), throughParent);
}

} // namespace
