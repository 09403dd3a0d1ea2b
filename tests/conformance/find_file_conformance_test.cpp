// FindFirstFileA, FindNextFileA and FindClose as a program calls them over
// Linux folders, one row per case. The same rows run over the host layer
// and, under Wine, over the platform.
#include <string.h>

#include "conformance/fixture.h"

namespace {

using Names = std::vector<std::string>;

const Difference kNamesLeadBack = {
    "names that do not lead back",
    "Wine shows a Linux name it cannot show in the code page, or one with a character Windows "
    "forbids, in a form of its own that a program cannot open again by that name; the layer leaves "
    "such names out",
};

const Difference kCloseAnyPointer = {
    "FindClose of a pointer that is no listing",
    "Wine's FindClose calls any readable pointer closed and says it succeeded; the layer knows its "
    "open listings and refuses the rest with 6, as FindNextFileA does on both",
};

class FindFile : public ConformanceTest {};

TEST_F(FindFile, ListsDotsFirstExceptAtTheRootThenUpperCaseOrdinalOrder)
{
    // Made out of order; the file system keeps its own order anyway.
    for (const char *name : { "_u", "Zed", "a_", "9", "ABD", "[x", "B", "abc", "10" })
        File(std::string("SUB/") + name);
    Folder("SUB/sub");
    File("ROOTFILE");

    const Names sorted = { ".", "..", "10", "9", "abc", "ABD", "a_", "B", "sub", "Zed", "[x", "_u" };
    struct Case {
        std::string pattern;
        Names names;
    };
    const Case cases[] = {
        { At("SUB\\*.*"), sorted },
        { At("SUB\\*"), sorted },
        { At("sub\\*.*"), sorted }, // folders are found without regard to case
        { At("SUB\\sub\\*.*"), { ".", ".." } },
        { At("*.*"), { "ROOTFILE", "SUB" } },
        { At("*"), { "ROOTFILE", "SUB" } },
        { At("SUB\\..\\*.*"), { "ROOTFILE", "SUB" } }, // the root reached through ..
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.names, List(c.pattern)) << c.pattern;
}

TEST_F(FindFile, GivesThePlatformsAttributeWords)
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
    Link("W/linkro", "ro");
    Link("W/dangling", "nothing");
    Link("W/loopa", "loopb");
    Link("W/loopb", "loopa");
    Link("W/self", "self");
    Link("W/up", "..");
    Link("W/chain", "linkdir");

    EXPECT_EQ((Names{ ". 0x10", ".. 0x10", ".dotdir 0x12", ".dotfile 0x22", "chain 0x410", "file.txt 0x20",
                      "linkdir 0x410", "linkfile 0x20", "linkro 0x411", "plain 0x10", "ro 0x11", "rofile 0x21",
                      "up 0x410" }),
              List(At("W\\*.*"), true));
}

// A name through a link, one row each: the link itself, a listing through
// it, and links that lead nowhere. Names that match only links left out
// end the listing at once (18) rather than match nothing (2).
TEST_F(FindFile, FollowsLinksAsTheirTargets)
{
    File("L/real/inner");
    Link("L/linkdir", "real");
    Link("L/linkfile", "real/inner");
    Link("L/dangling", "nothing");
    Link("L/loopa", "loopb");
    Link("L/loopb", "loopa");
    Link("L/self", "self");
    Link("L/toDangling", "dangling");

    struct Case {
        const char *pattern;
        Names names; // empty: the call fails with `error`
        DWORD error = 0;
    };
    const Case cases[] = {
        { "L\\linkdir", { "linkdir 0x410" } },
        { "L\\linkdir\\*", { ". 0x10", ".. 0x10", "inner 0x20" } },
        { "L\\LINKDIR\\inner", { "inner 0x20" } },
        { "L\\linkfile", { "linkfile 0x20" } },
        { "L\\dangling", {}, ERROR_NO_MORE_FILES },
        { "L\\toDangling", {}, ERROR_NO_MORE_FILES },
        { "L\\loopa", {}, ERROR_NO_MORE_FILES },
        { "L\\self", {}, ERROR_NO_MORE_FILES },
        { "L\\dang*", {}, ERROR_NO_MORE_FILES },
        { "L\\loop?", {}, ERROR_NO_MORE_FILES },
        { "L\\nothing*", {}, ERROR_FILE_NOT_FOUND },
        { "L\\nothing", {}, ERROR_FILE_NOT_FOUND },
        { "L\\real\\..\\dangling", {}, ERROR_NO_MORE_FILES },
        { "L\\dangling\\*", {}, ERROR_INVALID_NAME },
        { "L\\loopa\\*", {}, ERROR_CANT_RESOLVE_FILENAME },
        { "L\\self\\*", {}, ERROR_CANT_RESOLVE_FILENAME },
        { "L\\linkfile\\*", {}, ERROR_INVALID_NAME },
        { "L\\real\\inner\\*", {}, ERROR_INVALID_NAME },
        { "L\\dangling\\sub\\*", {}, ERROR_PATH_NOT_FOUND },
        { "L\\loopa\\sub\\*", {}, ERROR_CANT_RESOLVE_FILENAME },
        { "L\\real\\inner\\sub\\*", {}, ERROR_PATH_NOT_FOUND },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern);
        SetLastError(0);
        EXPECT_EQ(c.names, List(At(c.pattern), true));
        if (c.names.empty()) {
            EXPECT_EQ(c.error, GetLastError());
        }
    }
}

TEST_F(FindFile, HonoursHiddenAndSystemOfDosAttrib)
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
                      "self 0x16", "sys 0x14", "sysfile 0x24" }),
              List(At("D\\*.*"), true));
    EXPECT_EQ((Names{ "sysfile 0x24" }), List(At("D\\sysfile"), true));
    EXPECT_EQ((Names{ ". 0x16", ".. 0x10" }), List(At("D\\self\\*.*"), true)) << "'.' carries its own bits";
}

TEST_F(FindFile, MatchesPatternsWithoutRegardToCase)
{
    for (const char *name : { "WAOL.EXE", "waol", "WAOL.EXE.BAK", "OLDWAOL.EXE", "w1", "w22" })
        File(std::string("P/") + name);
    struct Case {
        const char *pattern;
        Names names;
    } cases[] = {
        { "P\\waol.exe", { "WAOL.EXE" } },
        { "P\\WAOL", { "waol" } },
        { "P\\WAOL.*", { "waol", "WAOL.EXE", "WAOL.EXE.BAK" } },
        { "P\\*WAOL.EXE", { "OLDWAOL.EXE", "WAOL.EXE" } },
        { "P\\w?", { "w1" } },
        { "P\\W*2", { "w22" } },
        { "P\\.*", { ".", ".." } },
        { "P\\nothing*", {} },
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.names, List(At(c.pattern))) << c.pattern;
}

TEST_F(FindFile, FailsWithThePlatformsErrors)
{
    File("AOL/WAOL.EXE");
    const std::string longName(MAX_PATH, 'A');
    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        { At("MISSING\\*.*"), ERROR_PATH_NOT_FOUND },
        { At("MISSING\\SUB\\*.*"), ERROR_PATH_NOT_FOUND },
        { UnmappedDrive() + "\\*.*", ERROR_PATH_NOT_FOUND },
        { At("AOL\\WAOL.EXE\\*.*"), ERROR_INVALID_NAME },
        { At("AOL\\WAOL.EXE\\SUB\\*.*"), ERROR_PATH_NOT_FOUND },
        { At("AOL\\NONE.EXE"), ERROR_FILE_NOT_FOUND },
        { At("AOL\\"), ERROR_FILE_NOT_FOUND },
        { At(longName), ERROR_FILENAME_EXCED_RANGE },
    };
    for (const Case &c : cases) {
        WIN32_FIND_DATAA entry;
        memset(&entry, 0x5A, sizeof entry);
        SetLastError(0);
        EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(c.path.c_str(), &entry)) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
}

TEST_F(FindFile, EndsWithNoMoreFilesAndRefusesHandlesThatAreNotOpen)
{
    File("ONE/A");
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA(At("ONE\\A").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, listing);
    EXPECT_STREQ("A", entry.cFileName);
    EXPECT_FALSE(FindNextFileA(listing, &entry));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_FALSE(FindNextFileA(listing, &entry));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_FILES), GetLastError()) << "and stays at the end";
    EXPECT_STREQ("A", entry.cFileName) << "the record is left as it was";
    EXPECT_TRUE(FindClose(listing));

    for (HANDLE bad : { (HANDLE)NULL, INVALID_HANDLE_VALUE, (HANDLE)&entry }) {
        SetLastError(0);
        EXPECT_FALSE(FindNextFileA(bad, &entry));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
        const Difference *difference = bad == (HANDLE)&entry ? &kCloseAnyPointer : NULL;
        SetLastError(0);
        EXPECT_EQ(Expect(FALSE, TRUE, difference), FindClose(bad));
        EXPECT_EQ(Expect<DWORD>(ERROR_INVALID_HANDLE, 0, difference), GetLastError());
    }
}

TEST_F(FindFile, ShowsNamesInCodePage1252)
{
    Folder("N/caf\xC3\xA9");            // café
    File("N/caf\xC3\xA9/\xC5\x93uvre"); // œuvre
    File("N/" + std::string(255, 'L'));
    EXPECT_EQ((Names{ ".", "..", "caf\xE9", std::string(255, 'L') }), List(At("N\\*.*")));
    EXPECT_EQ((Names{ ".", "..", "\x9Cuvre" }), List(At("N\\CAF\xC9\\*.*"))) << "the ANSI name leads back";
}

TEST_F(FindFile, NamesThatCannotLeadBack)
{
    struct Case {
        const char *linuxName;
        bool listedOnPlatform;
    };
    const Case cases[] = {
        { "\xE6\x97\xA5\xE6\x9C\xAC", true }, // two characters code page 1252 lacks
        { "bad\xFF", true },                  // not UTF-8
        { "a:b", true },
        { "a\\b", true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.linuxName);
        const std::string folder = "X" + std::to_string(&c - cases);
        File(folder + "/" + c.linuxName);
        size_t listed = List(At(folder + "\\*")).size() - 2;
        EXPECT_EQ(Expect<size_t>(0, c.listedOnPlatform ? 1 : 0, &kNamesLeadBack), listed);
    }
}

TEST_F(FindFile, SortsAccentedNamesByTheirUpperCase)
{
    for (const char *name : { "\xC3\xA9t\xC3\xA9", "Z", "\xC3\x89TA", "e" }) // été Z ÉTA e
        File(std::string("S/") + name);
    EXPECT_EQ((Names{ ".", "..", "e", "Z", "\xC9TA", "\xE9t\xE9" }), List(At("S\\*")));
}

TEST_F(FindFile, FillsTheRecordWithoutOverrun)
{
    File("R/WAOL.EXE");
    Folder("R/F");
    WIN32_FIND_DATAA entry;
    memset(&entry, 0x5A, sizeof entry);
    HANDLE listing = FindFirstFileA(At("R\\waol.exe").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, listing);
    EXPECT_STREQ("WAOL.EXE", entry.cFileName);
    EXPECT_EQ('\0', entry.cAlternateFileName[0]) << "a valid 8.3 name has no short name";
    EXPECT_EQ(2u, entry.nFileSizeLow);
    EXPECT_EQ(0u, entry.nFileSizeHigh);
    EXPECT_NE(0u, entry.ftLastWriteTime.dwHighDateTime);
    EXPECT_TRUE(FindClose(listing));
}

TEST_F(FindFile, AChildOpenedFromItsListingMatchesOneOpenedByPath)
{
    // A walk opens each child through the listing that named it; the same
    // folder opened afresh, in another case, must list alike.
    Folder("T/Kid/.hid");
    File("T/Kid/x");
    Folder("T/Kid/y");
    Mode("T/Kid/y", 0555);
    WIN32_FIND_DATAA entry;
    HANDLE parent = FindFirstFileA(At("T\\*.*").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, parent);
    while (strcmp(entry.cFileName, "Kid") != 0)
        ASSERT_TRUE(FindNextFileA(parent, &entry));
    Names throughParent = List(At("T\\Kid\\*.*"), true);
    EXPECT_TRUE(FindClose(parent));
    EXPECT_EQ(throughParent, List(At("t\\KID\\*.*"), true));
    EXPECT_EQ((Names{ ". 0x10", ".. 0x10", ".hid 0x12", "x 0x20", "y 0x11" }), throughParent);
}

} // namespace
