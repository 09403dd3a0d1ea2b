// What find-file does on the host alone: the quick listing of regular
// files, fixed attribute words, open listings and descriptors, and
// failures forced by tests.
#include <gtest/gtest.h>

#include "host/find_file_tree.h"

namespace {

using Names = std::vector<std::string>;

class FindFileHost : public DriveTreeTest {};

TEST_F(FindFileHost, ListsRegularFilesWithoutTheirInodeUnlessAsked)
{
    File("W/file.txt");
    File("W/rofile");
    Mode("W/rofile", 0444);
    File("W/sysfile");
    if (DosAttrib("W/sysfile", "0x4")) {
        EXPECT_EQ((Names{ ". 0x10", ".. 0x10", "file.txt 0x20", "rofile 0x20", "sysfile 0x20" }),
                  List("C:\\W\\*.*", true));
    }
    HostSetFindFileDetail(TRUE);
    EXPECT_EQ((Names{ "rofile 0x21" }), List("C:\\W\\rofile", true));
}

TEST_F(FindFileHost, FixedWordsStandWhereTheFileSystemHasNone)
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

TEST_F(FindFileHost, FailsWithoutADriveOrACurrentFolder)
{
    WIN32_FIND_DATAA entry;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("*.*", &entry));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError()) << "the host has no current folder";
    HostSetDriveC("");
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\*.*", &entry));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError()) << "no drive C:";
}

TEST_F(FindFileHost, AClosedListingIsNotOpen)
{
    File("ONE/A");
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA("C:\\ONE\\A", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, listing);
    EXPECT_TRUE(FindClose(listing));
    EXPECT_FALSE(FindNextFileA(listing, &entry));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(FindClose(listing));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(FindFileHost, LeavesNoListingOrDescriptorBehind)
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

TEST_F(FindFileHost, ForcedFailuresFailAsAskedAndKeepTheListingClosable)
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

} // namespace
