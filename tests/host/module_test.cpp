// The host's drive letters, module file name and strings: what start-up
// reads of its surroundings.
#include <gtest/gtest.h>

#include <string.h>
#include <unistd.h>

#include <filesystem>

#include "res/resource.h"
#include "support/product_fixture.h"

namespace {

class HostMappingTest : public ProductTest {};

TEST_F(HostMappingTest, DosPathsMapIntoDriveCAndOntoTheRoot)
{
    std::filesystem::create_directories(DriveC() + "/Program Files/aol");
    WriteFile("drive_c/Program Files/aol/waol.exe", "");
    struct {
        const char *dos;
        std::string posix;
    } const cases[] = {
        { "C:\\PROGRAM FILES\\AOL\\WAOL.EXE", DriveC() + "/Program Files/aol/waol.exe" },
        { "c:\\Program Files\\aol\\new\\WAOL.EXE", DriveC() + "/Program Files/aol/new/WAOL.EXE" },
        { "C:\\", DriveC() },
        { "Z:\\tmp\\x", "/tmp/x" },
        { "Z:\\", "/" },
    };
    for (const auto &c : cases) {
        char posix[512];
        ASSERT_TRUE(HostDosPathToPosix(c.dos, posix, sizeof posix)) << c.dos;
        EXPECT_EQ(c.posix, posix) << c.dos;
    }
    char posix[512];
    EXPECT_FALSE(HostDosPathToPosix("D:\\AOL\\WAOL.EXE", posix, sizeof posix));
    EXPECT_FALSE(HostDosPathToPosix("WAOL.EXE", posix, sizeof posix));
    HostSetDriveC("");
    EXPECT_FALSE(HostDosPathToPosix("C:\\AOL\\WAOL.EXE", posix, sizeof posix));
}

TEST_F(HostMappingTest, PosixPathsShowAsWineShowsThem)
{
    struct {
        std::string posix;
        const char *dos;
    } const cases[] = {
        { DriveC() + "/LINKS/STOCKS", "C:\\LINKS\\STOCKS" },
        { DriveC(), "C:\\" },
        { DriveC() + "x/STOCKS", nullptr },
        { "/home/user/links/My.Daily.Link.exe", "Z:\\home\\user\\links\\My.Daily.Link.exe" },
        // Names in code page 1252; a letter it lacks, or a byte of a name
        // that is not UTF-8, is the platform's '?'.
        { DriveC() + "/Caf\xC3\xA9/\xE2\x82\xAC", "C:\\Caf\xE9\\\x80" },
        { DriveC() + "/\xC5\x81odz/bad\xFF", "C:\\?odz\\bad?" },
        // A byte the code page leaves undefined is the code point of its number.
        { DriveC() + "/x\xC2\x81y", "C:\\x\x81y" },
    };
    for (const auto &c : cases) {
        char dos[512];
        ASSERT_TRUE(HostPosixPathToDos(c.posix.c_str(), dos, sizeof dos));
        std::string expected = c.dos ? c.dos : "Z:" + c.posix;
        for (char &ch : expected)
            ch = ch == '/' ? '\\' : ch;
        EXPECT_EQ(expected, dos);
    }
}

TEST_F(HostMappingTest, TheModuleIsThePathItWasStartedBy)
{
    HostSetModuleFileName(NULL);
    char name[MAX_PATH];
    HostSetProgramPath((DriveC() + "/LINKS/./old/../STOCKS").c_str());
    EXPECT_EQ(15u, GetModuleFileNameA(NULL, name, sizeof name));
    EXPECT_STREQ("C:\\LINKS\\STOCKS", name);

    char cwd[512];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    // A copy named Cafe with an acute accent keeps its settings under that
    // name in code page 1252.
    HostSetProgramPath((DriveC() + "/LINKS/Caf\xC3\xA9").c_str());
    EXPECT_EQ(13u, GetModuleFileNameA(NULL, name, sizeof name));
    EXPECT_STREQ("C:\\LINKS\\Caf\xE9", name);

    HostSetProgramPath("links/NEWS.EXE");
    GetModuleFileNameA(HostModuleInstance(), name, sizeof name);
    std::string expected = std::string("Z:") + cwd + "/links/NEWS.EXE";
    for (char &ch : expected)
        ch = ch == '/' ? '\\' : ch;
    EXPECT_EQ(expected, name);
}

TEST_F(HostMappingTest, AModuleNameThatDoesNotFitIsCutAndReported)
{
    char name[8];
    memset(name, 0x5A, sizeof name);
    HostSetModuleFileName("C:\\LINKS\\STOCKS.EXE");
    EXPECT_EQ(7u, GetModuleFileNameA(NULL, name, 7));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_STREQ("C:\\LIN", name);
    EXPECT_EQ(0x5A, name[7]) << "only the buffer given is written";
}

TEST_F(HostMappingTest, StringsComeFromTheCompiledScriptCutToTheBuffer)
{
    char text[64];
    memset(text, 0x5A, sizeof text);
    EXPECT_EQ(20, LoadStringA(HostModuleInstance(), IDS_TITLE, text, sizeof text));
    EXPECT_STREQ("Vivodo DIZ Eduda Dad", text);

    memset(text, 0x5A, sizeof text);
    EXPECT_EQ(4, LoadStringA(HostModuleInstance(), IDS_TITLE, text, 5));
    EXPECT_STREQ("Vivo", text);
    EXPECT_EQ(0x5A, text[5]);

    EXPECT_EQ(0, LoadStringA(HostModuleInstance(), 999, text, sizeof text));
    EXPECT_EQ(0, LoadStringA(HostModuleInstance(), IDS_CLASS_NAME, text, 0));
}

} // namespace
