// The host's WinExec: finding the program in an unquoted command line,
// handing over the arguments, and the error numbers of a failed start.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/host_texts.h"
#include "support/product_fixture.h"

namespace {

class WinExecTest : public ProductTest {
protected:
    void SetUp() override
    {
        ProductTest::SetUp();
        HostCaptureProcessStarts(FALSE, 0);
        setenv("STAND_IN_CLIENT_LOG", (Folder() + "/client.log").c_str(), 1);
        setenv("STAND_IN_CLIENT_ARGV", (Folder() + "/client.argv").c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("STAND_IN_CLIENT_LOG");
        unsetenv("STAND_IN_CLIENT_ARGV");
        ProductTest::TearDown();
    }

    void InstallClient(const std::string &relativePath) const
    {
        std::filesystem::path target = DriveC() + "/" + relativePath;
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(TOVRIK_STAND_IN_CLIENT, target);
    }

    // Starts `commandLine` and waits for the client to end.
    UINT Start(const char *commandLine)
    {
        UINT result = WinExec(commandLine, SW_SHOWNORMAL);
        HostWaitForStartedProcesses();
        return result;
    }
};

TEST_F(WinExecTest, FindsAProgramWhosePathHasSpaces)
{
    InstallClient("Program Files/AOL/WAOL.EXE");
    const char line[] = "C:\\Program Files\\AOL\\WAOL.EXE -nReader 7 -sTop News";
    EXPECT_GT(Start(line), 31u);
    EXPECT_EQ(std::string(line) + "\n", ReadFile("client.log"));
    EXPECT_EQ("-nReader\n7\n-sTop\nNews\n", ReadFile("client.argv"));
    ASSERT_EQ(1, HostStartedProcessCount());
    EXPECT_EQ((UINT)SW_SHOWNORMAL, HostStartedProcessAt(0)->showCommand);
}

TEST_F(WinExecTest, FindsNamesWithoutRegardToCase)
{
    InstallClient("aol30/waol.exe");
    EXPECT_GT(Start("C:\\AOL30\\WAOL.EXE -sNews"), 31u);
    EXPECT_EQ("C:\\AOL30\\WAOL.EXE -sNews\n", ReadFile("client.log"));
}

TEST_F(WinExecTest, SplitsArgumentsByThePlatformsRules)
{
    InstallClient("W.EXE");
    struct {
        const char *arguments, *expected;
    } const cases[] = {
        { " \"a b\" c", "a b\nc\n" },
        { " a\\\\\"b c\"", "a\\b c\n" },
        { " a\\\"b", "a\"b\n" },
        { " a\\b\\\\c", "a\\b\\\\c\n" },
        { "   ", "" },
        { " \"\"", "\n" },
    };
    for (const auto &c : cases) {
        std::string line = std::string("C:\\W.EXE") + c.arguments;
        EXPECT_GT(Start(line.c_str()), 31u);
        EXPECT_EQ(c.expected, ReadFile("client.argv")) << line;
    }
}

// The program passes code page 1252; the client, a Linux program, reads
// its arguments and command line in UTF-8, as it does its own path.
TEST_F(WinExecTest, HandsTheCommandLineOverInUtf8)
{
    InstallClient("Programme Fran\xC3\xA7" "ais/WAOL.EXE");
    for (const HostText &text : kHostTexts) {
        if (!text.ansi)
            continue; // the program never holds it
        SCOPED_TRACE(text.utf8);
        std::string line = std::string("C:\\Programme Fran\xE7" "ais\\WAOL.EXE -n") + text.ansi + " -s\"" +
                           text.ansi + " " + text.ansi + "\"";
        ASSERT_GT(Start(line.c_str()), 31u);
        EXPECT_EQ(std::string("-n") + text.utf8 + "\n-s" + text.utf8 + " " + text.utf8 + "\n", ReadFile("client.argv"));
        std::string log = ReadFile("client.log");
        EXPECT_EQ(std::string("C:\\Programme Fran\xC3\xA7" "ais\\WAOL.EXE -n") + text.utf8 + " -s\"" + text.utf8 +
                      " " + text.utf8 + "\"\n",
                  log.substr(log.rfind('\n', log.size() - 2) + 1));
    }
    EXPECT_EQ(std::string("C:\\Programme Fran\xE7" "ais\\WAOL.EXE -n\x80 -s\"\x80 \x80\""),
              HostStartedProcessAt(3)->commandLine)
        << "the program's own record keeps its text";
}

TEST_F(WinExecTest, AFailedStartGivesThePlatformsErrorNumber)
{
    InstallClient("AOL/WAOL.EXE");
    std::filesystem::create_directories(DriveC() + "/FOLDER.EXE");
    WriteFile("drive_c/TEXT.EXE", "not a program\n");
    chmod((DriveC() + "/TEXT.EXE").c_str(), 0755);
    WriteFile("drive_c/LOCKED.EXE", "#!/bin/sh\n");
    chmod((DriveC() + "/LOCKED.EXE").c_str(), 0644);

    struct {
        const char *commandLine;
        UINT result;
    } const cases[] = {
        { "", ERROR_FILE_NOT_FOUND },
        { " -nReader7 -sNews", ERROR_FILE_NOT_FOUND },
        { "C:\\AOL\\MISSING.EXE -sNews", ERROR_FILE_NOT_FOUND },
        { "C:\\FOLDER.EXE", ERROR_FILE_NOT_FOUND },
        { "D:\\AOL\\WAOL.EXE", ERROR_FILE_NOT_FOUND },
        { "C:\\TEXT.EXE", ERROR_BAD_FORMAT },
        { "C:\\LOCKED.EXE", ERROR_ACCESS_DENIED },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.result, Start(c.commandLine)) << c.commandLine;
}

TEST_F(WinExecTest, CaptureRecordsWithoutStarting)
{
    HostCaptureProcessStarts(TRUE, 42);
    EXPECT_EQ(42u, WinExec("C:\\AOL\\WAOL.EXE -sNews", SW_SHOWNORMAL));
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -sNews", OnlyStartedCommandLine());
    EXPECT_EQ(0, HostWaitForStartedProcesses());
}

} // namespace
