// The settings store over the host registry file: what each run loads from
// what earlier runs and other copies stored, and what a save leaves behind.
#include <string.h>
#include <unistd.h>

#include <string>

#include "host/registry_values.h"
#include "shortcut/settings_store.h"
#include "shortcut/shortcut_run.h"
#include "support/product_fixture.h"

namespace {

const char kSharedPath[] = "America Online\\Path";

class SettingsStore : public ProductTest {
protected:
    // The run of the copy named `copy`, as start-up would set it up.
    static void UseCopy(const char *copy)
    {
        ShortcutSettings empty = {};
        g_app.settings = empty;
        lstrcpyA(g_app.settingsKeyPath, "America Online\\");
        lstrcatA(g_app.settingsKeyPath, copy);
    }

    static void Store(const std::string &path, const std::string &text)
    {
        ASSERT_EQ(ERROR_SUCCESS, StoreText(path, text));
    }

    static void Save(const char *copy, const char *name, const char *keyword, const char *path)
    {
        UseCopy(copy);
        lstrcpyA(g_app.settings.screenName, name);
        lstrcpyA(g_app.settings.keyword, keyword);
        lstrcpyA(g_app.settings.clientPath, path);
        SaveSettings();
    }

    static const ShortcutSettings &Load(const char *copy)
    {
        UseCopy(copy);
        EXPECT_EQ(1, LoadSettings());
        return g_app.settings;
    }
};

TEST_F(SettingsStore, ScreenNameDefault)
{
    struct Case {
        const char *what;
        const char *stored; // NULL: no "Name" subkey; "<no key>": no copy key
        const char *userName;
        const char *expected;
    };
    const std::string twelve(12, 'n'), thirteen(13, 'n'), eleven(11, 'n');
    const Case cases[] = {
        { "no key, user name of 11", "<no key>", "elevenchars", "elevenchars" },
        { "no key, user name of 12", "<no key>", "twelve_chars", "" },
        { "no Name, user name of 11", NULL, "elevenchars", "elevenchars" },
        { "no Name, user name of 12", NULL, "twelve_chars", "" },
        { "empty Name", "", "tester", "" },
        { "one character", "x", "tester", "x" },
        { "eleven characters", eleven.c_str(), "tester", eleven.c_str() },
        { "twelve characters: left empty, so the user name", twelve.c_str(), "tester", "tester" },
        { "thirteen characters", thirteen.c_str(), "elevenchars", "elevenchars" },
        { "twelve characters, user name of 12", twelve.c_str(), "twelve_chars", "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        HostSetRegistryFile((Folder() + "/" + std::to_string(&c - cases) + ".reg").c_str());
        HostSetUserName(c.userName);
        if (!c.stored || strcmp(c.stored, "<no key>") != 0)
            Store("America Online\\STOCKS\\Keyword", "k");
        if (c.stored && strcmp(c.stored, "<no key>") != 0)
            Store("America Online\\STOCKS\\Name", c.stored);
        EXPECT_STREQ(c.expected, Load("STOCKS").screenName);
    }
}

TEST_F(SettingsStore, AUserNameThatCannotBeHadLeavesTheNameEmpty)
{
    HostFailCall(HOST_CALL_GET_USER_NAME, ERROR_ACCESS_DENIED);
    EXPECT_STREQ("", Load("STOCKS").screenName);
}

// Each field loads whole up to its read size and is left empty beyond it;
// the client path is read with the field's whole capacity, so a path that
// the sheet or the search produced loads on later runs.
TEST_F(SettingsStore, LengthsAroundEachReadSize)
{
    struct Case {
        const char *subKey;
        size_t length;
        bool loads;
    };
    const Case cases[] = {
        { "STOCKS\\Name", 11, true },     { "STOCKS\\Name", 12, false },    { "STOCKS\\Name", 13, false },
        { "STOCKS\\Keyword", 58, true },  { "STOCKS\\Keyword", 59, true },  { "STOCKS\\Keyword", 60, false },
        { "STOCKS\\Keyword", 61, false }, { "Path", 255, true },            { "Path", 256, true },
        { "Path", 257, true },            { "Path", 258, true },            { "Path", 259, true },
        { "Path", 260, false },           { "Path", 300, false },
    };
    HostSetUserName("");
    for (const Case &c : cases) {
        std::string subKey = c.subKey;
        SCOPED_TRACE(subKey + " of " + std::to_string(c.length));
        std::string text = "C:\\" + std::string(c.length - 3, 'a');
        Store("America Online\\" + subKey, text);
        const ShortcutSettings &settings = Load("STOCKS");
        const char *field = subKey == "Path" ? settings.clientPath
                          : subKey == "STOCKS\\Name" ? settings.screenName : settings.keyword;
        EXPECT_STREQ(c.loads ? text.c_str() : "", field);
        Store("America Online\\" + subKey, "");
    }
}

TEST_F(SettingsStore, SaveWritesAllThreeAndCreatesTheKeys)
{
    Save("STOCKS", "", "", "");
    EXPECT_EQ("REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\America Online]\n"
              "\n"
              "[HKEY_CURRENT_USER\\America Online\\Path]\n"
              "@=\"\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\America Online\\STOCKS]\n"
              "\n"
              "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Keyword]\n"
              "@=\"\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\America Online\\STOCKS\\Name]\n"
              "@=\"\"\n"
              "\n",
              ReadFile("user.reg"));

    // An empty name once saved stays empty: the user name is not taken.
    EXPECT_STREQ("", Load("STOCKS").screenName);

    Save("STOCKS", "Joe", "Stocks", "C:\\AOL\\WAOL.EXE");
    EXPECT_EQ("Joe", StoredText("America Online\\STOCKS\\Name"));
    EXPECT_EQ("Stocks", StoredText("America Online\\STOCKS\\Keyword"));
    EXPECT_EQ("C:\\AOL\\WAOL.EXE", StoredText(kSharedPath));
}

TEST_F(SettingsStore, LoadCreatesNothing)
{
    Load("STOCKS");
    EXPECT_NE(0, access(RegistryFile().c_str(), F_OK));
}

TEST_F(SettingsStore, CopiesShareThePathAndKeepTheirOwnSettings)
{
    Save("STOCKS", "Joe", "Stocks", "C:\\A\\WAOL.EXE");
    Save("News", "Ann", "News", "C:\\B\\WAOL.EXE");
    Save("stocks", "joe", "stocks", "C:\\B\\WAOL.EXE");

    const ShortcutSettings &stocks = Load("Stocks");
    EXPECT_STREQ("joe", stocks.screenName);
    EXPECT_STREQ("stocks", stocks.keyword);
    EXPECT_STREQ("C:\\B\\WAOL.EXE", stocks.clientPath);
    const ShortcutSettings &news = Load("NEWS");
    EXPECT_STREQ("Ann", news.screenName);
    EXPECT_STREQ("News", news.keyword);
    EXPECT_STREQ("C:\\B\\WAOL.EXE", news.clientPath);
    // The first spelling of a key is the one kept.
    EXPECT_NE(std::string::npos, ReadFile("user.reg").find("[HKEY_CURRENT_USER\\America Online\\STOCKS]"));
}

TEST_F(SettingsStore, ACopyNamedPathLivesBesideTheSharedPath)
{
    Save("Path", "Pat", "Paths", "C:\\P\\WAOL.EXE");
    const ShortcutSettings &settings = Load("Path");
    EXPECT_STREQ("Pat", settings.screenName);
    EXPECT_STREQ("Paths", settings.keyword);
    EXPECT_STREQ("C:\\P\\WAOL.EXE", settings.clientPath);
    Save("Other", "O", "o", "C:\\O\\WAOL.EXE");
    EXPECT_STREQ("Pat", Load("Path").screenName);
    EXPECT_STREQ("C:\\O\\WAOL.EXE", g_app.settings.clientPath);
}

TEST_F(SettingsStore, AwkwardCharactersRoundTrip)
{
    const char name[] = "a\\\"\n\xe9";
    const char keyword[] = "\"quoted\"\r\nline\\\xff";
    const char path[] = "C:\\Caf\xe9\\\"x\"\\WAOL.EXE";
    Save("STOCKS", name, keyword, path);
    HostSetRegistryFile(RegistryFile().c_str());
    const ShortcutSettings &settings = Load("STOCKS");
    EXPECT_STREQ(name, settings.screenName);
    EXPECT_STREQ(keyword, settings.keyword);
    EXPECT_STREQ(path, settings.clientPath);
}

TEST_F(SettingsStore, AStoredPathIsUsedEvenWithNoFileThere)
{
    WriteFile("drive_c/AOL/WAOL.EXE", "client");
    Store(kSharedPath, "C:\\GONE\\WAOL.EXE");
    EXPECT_STREQ("C:\\GONE\\WAOL.EXE", Load("STOCKS").clientPath);
    // Only a missing or empty path sends the run searching, and the path
    // found is not stored.
    Store(kSharedPath, "");
    EXPECT_STREQ("C:\\AOL\\WAOL.EXE", Load("STOCKS").clientPath);
    EXPECT_EQ("", StoredText(kSharedPath));
}

TEST_F(SettingsStore, AConfiguredCopyStartsTheClientWithoutTheSheet)
{
    Save("STOCKS", "Joe", "Stocks", "C:\\AOL\\WAOL.EXE");
    UseCopy("STOCKS");
    // The sheet cannot show here: had it been asked for, nothing would start.
    EXPECT_NE(0, RunShortcut(NULL));
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -nJoe -sStocks", OnlyStartedCommandLine());
    EXPECT_EQ((UINT)SW_SHOWNORMAL, HostStartedProcessAt(0)->showCommand);
}

TEST_F(SettingsStore, AFailedSaveIsNotReported)
{
    HostFailCall(HOST_CALL_REG_SET_VALUE, ERROR_ACCESS_DENIED);
    Save("STOCKS", "Joe", "Stocks", "C:\\AOL\\WAOL.EXE");
    EXPECT_EQ(1, SaveSettings());
    EXPECT_EQ("<missing>", StoredText("America Online\\STOCKS\\Name"));
    EXPECT_EQ("", StoredText("America Online\\STOCKS"));
}

} // namespace
