// The host's WinExec: finding the program in an unquoted command line,
// handing over the arguments, the error numbers of a failed start, and
// Windows programs started through Wine.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "support/host_texts.h"
#include "support/product_fixture.h"
#include "support/scoped_environment.h"

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

// Windows programs go to a stand-in Wine loader that records what it was
// given: its own path, its arguments, and the prefix it would run in.
class WineStartTest : public WinExecTest {
protected:
    void SetUp() override
    {
        WinExecTest::SetUp();
        Set("TOVRIK_WINE", nullptr);
        Set("WINEPREFIX", nullptr);
        Set("TOVRIK_DRIVE_C", nullptr);
        Set("PATH", (Folder() + "/bin").c_str());
        Set("FAKE_WINE_LOG", (Folder() + "/wine.log").c_str());
        wine_ = MakeLoader("bin/wine");
        InstallWindowsProgram(DriveC() + "/AOL30/WAOL.EXE");
    }
    void TearDown() override
    {
        while (!environment_.empty())
            environment_.pop_back();
        WinExecTest::TearDown();
    }

    void Set(const char *name, const char *value)
    {
        environment_.push_back(std::make_unique<ScopedEnvironment>(name, value));
    }

    std::string MakeLoader(const std::string &relativePath) const
    {
        WriteFile(relativePath, "#!/bin/sh\n"
                                "printf '%s\\n' \"$0\" \"$@\" \"WINEPREFIX=${WINEPREFIX-unset}\" >\"$FAKE_WINE_LOG\"\n");
        std::string path = Folder() + "/" + relativePath;
        chmod(path.c_str(), 0755);
        return path;
    }

    // As Wine leaves them: the signature, and no execute bit.
    static void InstallWindowsProgram(const std::string &path)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        FILE *file = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        fwrite("MZ\x90\0\3\0", 1, 6, file);
        fclose(file);
        chmod(path.c_str(), 0644);
    }

    // What the loader was given, and forgets it for the next start.
    std::string LoaderSaw()
    {
        std::string seen = ReadFile("wine.log");
        unlink((Folder() + "/wine.log").c_str());
        return seen;
    }

    std::string wine_;

private:
    std::vector<std::unique_ptr<ScopedEnvironment>> environment_;
};

TEST_F(WineStartTest, StartsAWindowsProgramAsAUserWouldByHand)
{
    InstallWindowsProgram(DriveC() + "/Program Files/AOL/WAOL.EXE");
    struct {
        const char *commandLine, *loaderArguments;
    } const cases[] = {
        { "C:\\AOL30\\WAOL.EXE -nReader7 -sStocks", "C:\\AOL30\\WAOL.EXE\n-nReader7\n-sStocks\n" },
        { "C:\\Program Files\\AOL\\WAOL.EXE -nReader7 -sStock Quotes",
          "C:\\Program Files\\AOL\\WAOL.EXE\n-nReader7\n-sStock\nQuotes\n" },
        { "\"C:\\Program Files\\AOL\\WAOL.EXE\" \"-sTop News\" a\\\"b", "C:\\Program Files\\AOL\\WAOL.EXE\n-sTop News\na\"b\n" },
        { "c:\\aol30\\waol.exe", "c:\\aol30\\waol.exe\n" },
    };
    for (const auto &c : cases) {
        EXPECT_GT(Start(c.commandLine), 31u) << c.commandLine;
        EXPECT_EQ(wine_ + "\n" + c.loaderArguments + "WINEPREFIX=" + Folder() + "\n", LoaderSaw()) << c.commandLine;
    }
    EXPECT_EQ("", ReadFile("client.log"));
}

TEST_F(WineStartTest, OnlyAFileThatBeginsWithTheSignatureGoesToWine)
{
    struct {
        const char *content;
        size_t size;
        bool windows;
    } const cases[] = {
        { "MZ", 2, true },
        { "MZ\0\0", 4, true },
        { "M", 1, false },
        { "mz\0\0", 4, false },
        { "Mz\0\0", 4, false },
        { "ZM\0\0", 4, false },
        { "", 0, false },
        { "#!/bin/sh\n", 10, false },
    };
    for (const auto &c : cases) {
        WriteFile("drive_c/W.EXE", std::string(c.content, c.size));
        chmod((DriveC() + "/W.EXE").c_str(), 0755);
        UINT result = Start("C:\\W.EXE -sNews");
        EXPECT_EQ(c.windows, !LoaderSaw().empty()) << std::string(c.content, c.size);
        if (c.windows) {
            EXPECT_GT(result, 31u);
        }
    }
    // A Linux program is started as it is, Wine or not.
    InstallClient("AOL/WAOL.EXE");
    EXPECT_GT(Start("C:\\AOL\\WAOL.EXE -sNews"), 31u);
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -sNews\n", ReadFile("client.log"));
    EXPECT_EQ("", LoaderSaw());
}

TEST_F(WineStartTest, TheLoaderIsTovrikWineElseWineOnPath)
{
    const std::string named = MakeLoader("named/loader");
    const std::string wine64 = MakeLoader("other/wine64");
    const std::string missing = Folder() + "/missing";
    WriteFile("plain/wine", "#!/bin/sh\n"); // not executable
    const std::string inPlain = Folder() + "/plain";
    const std::string withWine = Folder() + "/empty:" + Folder() + "/bin";
    struct {
        const char *tovrikWine;
        std::string path, loader;
    } const cases[] = {
        { nullptr, withWine, wine_ },
        { "", withWine, wine_ },
        { named.c_str(), withWine, named },
        { "wine64", Folder() + "/other:" + Folder() + "/bin", wine64 },
        { "wine64", withWine, "" },
        { nullptr, inPlain, "" },
        { nullptr, "", "" },
        // Never a fallback from a loader that was named.
        { missing.c_str(), withWine, "" },
    };
    for (const auto &c : cases) {
        ScopedEnvironment tovrikWine("TOVRIK_WINE", c.tovrikWine);
        ScopedEnvironment path("PATH", c.path.c_str());
        testing::internal::CaptureStderr();
        UINT result = Start("C:\\AOL30\\WAOL.EXE");
        testing::internal::GetCapturedStderr();
        std::string seen = LoaderSaw();
        std::string trace = std::string("TOVRIK_WINE=") + (c.tovrikWine ? c.tovrikWine : "(unset)") + " PATH=" + c.path;
        if (c.loader.empty()) {
            EXPECT_EQ((UINT)ERROR_BAD_FORMAT, result) << trace;
            EXPECT_EQ("", seen) << trace;
        } else {
            EXPECT_GT(result, 31u) << trace;
            EXPECT_EQ(c.loader + "\n", seen.substr(0, seen.find('\n') + 1)) << trace;
        }
    }
}

TEST_F(WineStartTest, AnEmptyEntryOfPathIsNotTheCurrentFolder)
{
    const std::string here = std::filesystem::current_path();
    ASSERT_EQ(0, chdir((Folder() + "/bin").c_str()));
    ScopedEnvironment path("PATH", ":/nonexistent:");
    testing::internal::CaptureStderr();
    UINT result = Start("C:\\AOL30\\WAOL.EXE");
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(0, chdir(here.c_str()));
    EXPECT_EQ((UINT)ERROR_BAD_FORMAT, result);
    EXPECT_EQ("", LoaderSaw());
}

TEST_F(WineStartTest, WithoutWineTheStartFailsWithOneLineThatSaysWhatIsNeeded)
{
    std::filesystem::create_directories(Folder() + "/folder");
    WriteFile("text/loader", "not a program\n");
    chmod((Folder() + "/text/loader").c_str(), 0755);
    const std::string nowhere = Folder() + "/empty";
    const std::string folder = Folder() + "/folder", text = Folder() + "/text/loader";
    const char *const loaders[] = { nullptr, folder.c_str(), text.c_str() };
    for (const char *loader : loaders) {
        ScopedEnvironment tovrikWine("TOVRIK_WINE", loader);
        ScopedEnvironment path("PATH", nowhere.c_str());
        testing::internal::CaptureStderr();
        EXPECT_EQ((UINT)ERROR_BAD_FORMAT, WinExec("C:\\AOL30\\WAOL.EXE -nReader7 -sStocks", SW_SHOWNORMAL));
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(0, HostWaitForStartedProcesses());
        EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
        EXPECT_NE(std::string::npos, said.find("C:\\AOL30\\WAOL.EXE is a Windows program")) << said;
        EXPECT_NE(std::string::npos, said.find("Wine is needed")) << said;
        EXPECT_NE(std::string::npos, said.find("TOVRIK_WINE")) << said;
    }
    ASSERT_EQ(3, HostStartedProcessCount());
    EXPECT_EQ((UINT)ERROR_BAD_FORMAT, HostStartedProcessAt(2)->result);
}

TEST_F(WineStartTest, WineRunsInThePrefixThatDriveCBelongsTo)
{
    const std::string here = std::filesystem::current_path();
    ASSERT_EQ(0, chdir(Folder().c_str()));
    struct {
        const char *override;      // the drive C: a test sets; nullptr: from the environment
        const char *tovrikDriveC;  // below the folder, or nullptr
        const char *winePrefix;    // as given, or nullptr
        const char *home;          // below the folder
        std::string prefixSeen;    // below the folder, or as it is
    } const cases[] = {
        { "drive_c", nullptr, "/elsewhere", "home", Folder() },
        { "c", nullptr, "/elsewhere", "home", "/elsewhere" },
        { "c", nullptr, nullptr, "home", "unset" },
        { nullptr, "pfx/drive_c", "/elsewhere", "home", Folder() + "/pfx" },
        { nullptr, "pfx/drive_c/", nullptr, "home", Folder() + "/pfx" },
        { nullptr, "pfx/c", "/elsewhere", "home", "/elsewhere" },
        { nullptr, nullptr, "PFX", "home", Folder() + "/PFX" },
        { nullptr, nullptr, "PFX/", "home", Folder() + "/PFX" },
        { nullptr, nullptr, nullptr, "home", Folder() + "/home/.wine" },
    };
    for (const char *drive : { "drive_c", "c", "pfx/drive_c", "pfx/c", "PFX/drive_c", "home/.wine/drive_c" })
        InstallWindowsProgram(Folder() + "/" + drive + "/AOL30/WAOL.EXE");
    for (const auto &c : cases) {
        std::string absolute = c.winePrefix && c.winePrefix[0] != '/' ? Folder() + "/" + c.winePrefix : "";
        HostSetDriveC(c.override ? (Folder() + "/" + c.override).c_str() : nullptr);
        // A relative drive C: is taken from the current folder.
        ScopedEnvironment tovrikDriveC("TOVRIK_DRIVE_C", c.tovrikDriveC);
        ScopedEnvironment winePrefix("WINEPREFIX", absolute.empty() ? c.winePrefix : absolute.c_str());
        ScopedEnvironment home("HOME", (Folder() + "/" + c.home).c_str());
        std::string trace = std::string(c.override ? c.override : "") + " | " + (c.tovrikDriveC ? c.tovrikDriveC : "") +
                            " | " + (c.winePrefix ? c.winePrefix : "");
        EXPECT_GT(Start("C:\\AOL30\\WAOL.EXE"), 31u) << trace;
        std::string seen = LoaderSaw();
        EXPECT_EQ("WINEPREFIX=" + c.prefixSeen + "\n", seen.substr(seen.rfind("WINEPREFIX="))) << trace;
    }
    ASSERT_EQ(0, chdir(here.c_str()));
}

} // namespace
