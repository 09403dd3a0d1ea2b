// The client's command line, built from the settings.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "shortcut/shortcut_run.h"

namespace {

ShortcutSettings Settings(const char *path, const char *name, const char *keyword)
{
    ShortcutSettings settings = {};
    lstrcpyA(settings.clientPath, path);
    lstrcpyA(settings.screenName, name);
    lstrcpyA(settings.keyword, keyword);
    return settings;
}

std::string CommandLine(const ShortcutSettings &settings)
{
    char commandLine[kClientCommandLineSize + 1];
    memset(commandLine, 0x5A, sizeof commandLine);
    BuildClientCommandLine(&settings, commandLine);
    EXPECT_EQ(0x5A, commandLine[kClientCommandLineSize]) << "written past the command line";
    return commandLine;
}

TEST(ClientCommandLine, SwitchesFollowThePathInOrder)
{
    struct {
        const char *path, *name, *keyword, *expected;
    } const cases[] = {
        { "C:\\AOL25\\WAOL.EXE", "Reader7", "News", "C:\\AOL25\\WAOL.EXE -nReader7 -sNews" },
        { "C:\\AOL25\\WAOL.EXE", "", "Stocks", "C:\\AOL25\\WAOL.EXE -sStocks" },
        { "C:\\AOL25\\WAOL.EXE", "Reader7", "", "C:\\AOL25\\WAOL.EXE -nReader7" },
        { "C:\\Program Files\\AOL\\WAOL.EXE", "Reader 7", "Top News",
          "C:\\Program Files\\AOL\\WAOL.EXE -nReader 7 -sTop News" },
        { "C:\\AOL25\\WAOL.EXE", "Reader7", "news:abc", "C:\\AOL25\\WAOL.EXE -nReader7 -unews:abc" },
        { "C:\\AOL25\\WAOL.EXE", "Reader7", "PC", "C:\\AOL25\\WAOL.EXE -nReader7 -sPC" },
        { "C:\\AOL25\\WAOL.EXE", "", "", "C:\\AOL25\\WAOL.EXE" },
        { "", "Reader7", "News", " -nReader7 -sNews" },
        { "", "", "", "" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, CommandLine(Settings(c.path, c.name, c.keyword)));
}

TEST(ClientCommandLine, OnlyAColonFifthMakesAWebAddress)
{
    struct {
        const char *keyword, *switchText;
    } const cases[] = {
        { "http://www.vurezez.example/", " -u" },
        { "https://www.vurezez.example/", " -s" },
        { "ftp://files.vurezez.example/", " -s" },
        { "news:", " -u" },
        { "abcd:", " -u" },
        { ":bcde", " -s" },
        { "a", " -s" },
        { "ab:", " -s" },
        { "abc:", " -s" },
        { "abcd", " -s" },
    };
    for (const auto &c : cases) {
        std::string expected = std::string("C:\\W.EXE") + c.switchText + c.keyword;
        EXPECT_EQ(expected, CommandLine(Settings("C:\\W.EXE", "", c.keyword))) << c.keyword;
    }
}

TEST(ClientCommandLine, TheLongestPartsFitWhole)
{
    // A 259-character path from the sheet or the search, with the longest
    // screen name and keyword: nothing is cut, nothing written past.
    std::string path = "C:\\" + std::string(247, 'P') + "\\WAOL.EXE";
    ASSERT_EQ(259u, path.size());
    std::string name(11, 'N');
    std::string keyword = "http:" + std::string(54, 'K');
    std::string line = CommandLine(Settings(path.c_str(), name.c_str(), keyword.c_str()));
    EXPECT_EQ(path + " -n" + name + " -u" + keyword, line);
    EXPECT_EQ(335u, line.size());
}

} // namespace
