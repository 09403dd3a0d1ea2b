// The settings sheet of a new copy, worked as a user would through the
// host's sheet driver, over the registry file and a drive C: with a client:
// what OK and Cancel leave in the registry, what the run starts, and what
// the next run of the copy does.
#include <string.h>

#include <string>

#include "app/win_main.h"
#include "host/registry_values.h"
#include "res/resource.h"
#include "sheet/settings_sheet.h"
#include "sheet/sheet_test_driver.h"
#include "shortcut/shortcut_run.h"
#include "support/product_fixture.h"

namespace {

const char kFoundClient[] = "C:\\AOL\\WAOL.EXE";
const std::string kDefault = "http://vurezez.example/";

class SettingsSheetTest : public ProductTest {
protected:
    void SetUp() override
    {
        ProductTest::SetUp();
        WriteFile("drive_c/AOL/WAOL.EXE", "client");
    }

    // A run of the copy in `module`, as start-up leaves things for it.
    // Returns what RunShortcut returned; counts the sheets shown.
    int RunCopy(SheetDriver driver, const char *module = "C:\\LINKS\\STOCKS.EXE")
    {
        g_app = AppState{};
        g_app.instance = HostModuleInstance();
        LoadStringA(g_app.instance, IDS_TITLE, g_app.title, sizeof g_app.title);
        lstrcpyA(g_app.moduleFileName, module);
        EXPECT_EQ(1, DeriveSettingsKeyPath());
        driver_ = [this, driver](HWND sheet) {
            ++sheetsShown_;
            driver(sheet);
        };
        DriveNextSheet(&driver_);
        return RunShortcut(NULL);
    }

    // A run that must not show the sheet.
    int RunConfiguredCopy(const char *module = "C:\\LINKS\\STOCKS.EXE")
    {
        int shownBefore = sheetsShown_;
        int result = RunCopy([](HWND) { ADD_FAILURE() << "the sheet was shown"; }, module);
        EXPECT_EQ(shownBefore, sheetsShown_);
        return result;
    }

    static std::string StartedCommandLine(int index)
    {
        const HostStartedProcess *started = HostStartedProcessAt(index);
        return started ? started->commandLine : "(none)";
    }

    // The settings page's edit field `id` on the open sheet.
    static HWND Field(HWND sheet, int id) { return ItemWindow(HostSheetPage(sheet, 0), id); }
    static std::string Shown(HWND sheet, int id) { return ItemText(HostSheetPage(sheet, 0), id); }

    SheetDriver driver_;
    int sheetsShown_ = 0;
};

TEST_F(SettingsSheetTest, OkWithoutChangesSavesWhatWasShownAndConfiguresTheCopy)
{
    std::string shown[3];
    EXPECT_EQ(1, RunCopy([&](HWND sheet) {
        shown[0] = Shown(sheet, IDC_SCREEN_NAME);
        shown[1] = Shown(sheet, IDC_KEYWORD);
        shown[2] = Shown(sheet, IDC_CLIENT_PATH);
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_ENTER));
    }));
    EXPECT_EQ("tester", shown[0]);
    EXPECT_EQ(kDefault, shown[1]);
    EXPECT_EQ(kFoundClient, shown[2]);

    EXPECT_EQ("tester", StoredText("America Online\\STOCKS\\Name"));
    EXPECT_EQ(kDefault, StoredText("America Online\\STOCKS\\Keyword"));
    EXPECT_EQ(kFoundClient, StoredText("America Online\\Path"));
    ASSERT_EQ(1, HostStartedProcessCount());
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -ntester -u" + kDefault, StartedCommandLine(0));
    EXPECT_EQ((UINT)SW_SHOWNORMAL, HostStartedProcessAt(0)->showCommand);

    EXPECT_EQ(1, RunConfiguredCopy());
    EXPECT_EQ(StartedCommandLine(0), StartedCommandLine(1));
}

TEST_F(SettingsSheetTest, CancelWritesNothingAndTheNextRunAsksAgain)
{
    struct {
        const char *name;
        SheetDriver driver;
    } const cases[] = {
        { "Cancel", [](HWND sheet) { HostSheetPressButton(sheet, IDCANCEL); } },
        { "Esc after typing", [](HWND sheet) {
              HostSheetTypeText(sheet, Field(sheet, IDC_KEYWORD), "Stocks");
              HostSheetPressKey(sheet, HOST_SHEET_KEY_ESCAPE);
          } },
        { "closed without a choice", [](HWND) {} },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(0, RunCopy(c.driver)) << c.name;
        EXPECT_EQ("<missing>", StoredText("America Online\\STOCKS\\Keyword")) << c.name;
        EXPECT_EQ("<missing>", StoredText("America Online\\Path")) << c.name;
        EXPECT_EQ(0, HostStartedProcessCount()) << c.name;
    }
    EXPECT_EQ(3, sheetsShown_);
    EXPECT_EQ(0, HostMessageBoxCount());
}

TEST_F(SettingsSheetTest, EmptiedFieldsAreSavedEmpty)
{
    struct {
        const char *name;
        int emptied;
        const char *commandLine;
        bool nextRunAsksAgain;
    } const cases[] = {
        { "keyword", IDC_KEYWORD, "C:\\AOL\\WAOL.EXE -ntester", true },
        { "screen name", IDC_SCREEN_NAME, "C:\\AOL\\WAOL.EXE -uhttp://vurezez.example/", false },
        { "client path", IDC_CLIENT_PATH, " -ntester -uhttp://vurezez.example/", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sheetsShown_ = 0;
        EXPECT_EQ(1, RunCopy([&](HWND sheet) {
            HostSheetTypeText(sheet, Field(sheet, c.emptied), "");
            HostSheetPressButton(sheet, IDOK);
        }));
        EXPECT_EQ(c.commandLine, StartedCommandLine(0));
        const char *subKey = c.emptied == IDC_KEYWORD       ? "America Online\\STOCKS\\Keyword"
                             : c.emptied == IDC_SCREEN_NAME ? "America Online\\STOCKS\\Name"
                                                            : "America Online\\Path";
        EXPECT_EQ("", StoredText(subKey)) << "saved as an empty text, not left out";

        if (c.nextRunAsksAgain) {
            EXPECT_EQ(0, RunCopy([](HWND sheet) { HostSheetPressButton(sheet, IDCANCEL); }));
            EXPECT_EQ(2, sheetsShown_);
        } else {
            EXPECT_EQ(1, RunConfiguredCopy());
        }
    }
}

TEST_F(SettingsSheetTest, TheNextRunKeepsAnEmptiedScreenNameEmpty)
{
    RunCopy([](HWND sheet) {
        HostSheetTypeText(sheet, Field(sheet, IDC_SCREEN_NAME), "");
        HostSheetPressButton(sheet, IDOK);
    });
    RunConfiguredCopy();
    EXPECT_STREQ("", g_app.settings.screenName) << "not the user name again";
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -u" + kDefault, StartedCommandLine(1));
}

TEST_F(SettingsSheetTest, OkOnTheInformationPageSavesAsOnTheSettingsPage)
{
    EXPECT_EQ(1, RunCopy([](HWND sheet) {
        HostSheetTypeText(sheet, Field(sheet, IDC_KEYWORD), "Stocks");
        ASSERT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_NEXT_PAGE));
        ASSERT_EQ(1, HostSheetCurrentPage(sheet));
        HostSheetPressKey(sheet, HOST_SHEET_KEY_ENTER);
    }));
    EXPECT_EQ("Stocks", StoredText("America Online\\STOCKS\\Keyword"));
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -ntester -sStocks", StartedCommandLine(0));
}

TEST_F(SettingsSheetTest, TheUserTypesNoMoreThanEachFieldsLimit)
{
    struct {
        int id;
        size_t limit;
        const char *subKey;
    } const fields[] = {
        { IDC_SCREEN_NAME, 10, "America Online\\STOCKS\\Name" },
        { IDC_KEYWORD, 48, "America Online\\STOCKS\\Keyword" },
        { IDC_CLIENT_PATH, 256, "America Online\\Path" },
    };
    RunCopy([&](HWND sheet) {
        for (const auto &field : fields) {
            std::string typed(300, (char)('a' + field.id % 26));
            EXPECT_EQ((int)field.limit, HostSheetTypeText(sheet, Field(sheet, field.id), typed.c_str()));
            EXPECT_FALSE(HostSheetPressKey(sheet, 'z')) << field.id;
            EXPECT_EQ(field.limit, Shown(sheet, field.id).size()) << field.id;
        }
        HostSheetPressButton(sheet, IDOK);
    });
    for (const auto &field : fields)
        EXPECT_EQ(field.limit, StoredText(field.subKey).size()) << field.subKey;
}

TEST_F(SettingsSheetTest, LongerValuesAreShownAndReadBackWholeUpToTheirFields)
{
    // Set by the program, so beyond the typing limits: 11, 59 and 259
    // characters, each its field's whole capacity.
    const std::string name(11, 'N'), keyword = "http:" + std::string(54, 'k');
    const std::string path = "C:\\" + std::string(247, 'p') + "\\WAOL.EXE";
    ASSERT_EQ(259u, path.size());
    g_app = AppState{};
    g_app.instance = HostModuleInstance();
    lstrcpyA(g_app.settingsKeyPath, "America Online\\STOCKS");
    lstrcpyA(g_app.settings.screenName, name.c_str());
    lstrcpyA(g_app.settings.keyword, keyword.c_str());
    lstrcpyA(g_app.settings.clientPath, path.c_str());
    SheetDriver driver = [&](HWND sheet) {
        EXPECT_EQ(name, Shown(sheet, IDC_SCREEN_NAME));
        EXPECT_EQ(keyword, Shown(sheet, IDC_KEYWORD));
        EXPECT_EQ(path, Shown(sheet, IDC_CLIENT_PATH));
        HostSheetPressButton(sheet, IDOK);
    };
    DriveNextSheet(&driver);
    EXPECT_EQ(1, ShowSettingsSheet(NULL));
    EXPECT_EQ(name, g_app.settings.screenName);
    EXPECT_EQ(keyword, g_app.settings.keyword);
    EXPECT_EQ(path, g_app.settings.clientPath);
    EXPECT_EQ(path, StoredText("America Online\\Path"));

    // Text a field holds beyond its buffer is cut on reading, and the next
    // field keeps its own text.
    driver = [&](HWND sheet) {
        HWND page = HostSheetPage(sheet, 0);
        SetDlgItemTextA(page, IDC_SCREEN_NAME, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        SetDlgItemTextA(page, IDC_KEYWORD, (keyword + "overflow").c_str());
        SetDlgItemTextA(page, IDC_CLIENT_PATH, (path + "\\more").c_str());
        HostSheetPressButton(sheet, IDOK);
    };
    EXPECT_EQ(1, ShowSettingsSheet(NULL));
    EXPECT_STREQ("ABCDEFGHIJK", g_app.settings.screenName);
    EXPECT_EQ(keyword, g_app.settings.keyword);
    EXPECT_EQ(path, g_app.settings.clientPath);
}

TEST_F(SettingsSheetTest, ApplyIsShownButNeverEnabled)
{
    RunCopy([](HWND sheet) {
        for (int id : { IDC_KEYWORD, IDC_SCREEN_NAME, IDC_CLIENT_PATH }) {
            HostSheetTypeText(sheet, Field(sheet, id), "changed");
            HostSheetPressKey(sheet, HOST_SHEET_KEY_BACKSPACE);
            EXPECT_FALSE(HostSheetButtonEnabled(sheet, HOST_SHEET_APPLY_ID));
        }
        HostSheetSelectPage(sheet, 1);
        EXPECT_FALSE(HostSheetButtonEnabled(sheet, HOST_SHEET_APPLY_ID));
        EXPECT_FALSE(HostSheetPressButton(sheet, HOST_SHEET_APPLY_ID));
        EXPECT_TRUE(HostSheetIsOpen(sheet));
        HostSheetPressButton(sheet, IDCANCEL);
    });
    EXPECT_EQ("<missing>", StoredText("America Online\\STOCKS\\Keyword")) << "no apply reached the page";
}

TEST_F(SettingsSheetTest, APathChangedInOneCopyHoldsForAll)
{
    // NEWS is configured already and has used the found client so far.
    ASSERT_EQ(ERROR_SUCCESS, StoreText("America Online\\NEWS\\Keyword", "News"));
    RunConfiguredCopy("C:\\LINKS\\NEWS.EXE");
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -ntester -sNews", StartedCommandLine(0));

    RunCopy([](HWND sheet) {
        HostSheetTypeText(sheet, Field(sheet, IDC_CLIENT_PATH), "C:\\NEW\\WAOL.EXE");
        HostSheetPressButton(sheet, IDOK);
    });
    RunConfiguredCopy("C:\\LINKS\\NEWS.EXE");
    EXPECT_EQ("C:\\NEW\\WAOL.EXE -ntester -sNews", StartedCommandLine(2));

    std::string shownPath;
    RunCopy(
        [&](HWND sheet) {
            shownPath = Shown(sheet, IDC_CLIENT_PATH);
            HostSheetPressButton(sheet, IDCANCEL);
        },
        "C:\\LINKS\\WEATHER.EXE");
    EXPECT_EQ("C:\\NEW\\WAOL.EXE", shownPath);
}

TEST_F(SettingsSheetTest, ASheetThatCannotBeShownEndsTheRunAsCancel)
{
    HostFailCall(HOST_CALL_PROPERTY_SHEET, 0);
    EXPECT_EQ(0, RunCopy([](HWND) {}));
    EXPECT_EQ(0, sheetsShown_);
    EXPECT_EQ(0, HostStartedProcessCount());
    EXPECT_EQ("<missing>", StoredText("America Online\\STOCKS\\Keyword"));
    EXPECT_EQ(0, HostMessageBoxCount());
}

TEST_F(SettingsSheetTest, TheFirstRunShowsTheTitledSheetOverTheHiddenWindow)
{
    SheetDriver driver = [](HWND sheet) {
        HostWindowInfo info;
        ASSERT_TRUE(HostGetWindowInfo(sheet, &info));
        EXPECT_STREQ("Vivodo DIZ Eduda Dad", info.title);
        EXPECT_EQ(g_app.mainWindow, info.parent);
        EXPECT_EQ(2, HostSheetPageCount(sheet));
        EXPECT_EQ(0, HostSheetCurrentPage(sheet));
        char tab[32];
        HostSheetTabText(sheet, 0, tab, sizeof tab);
        EXPECT_STREQ("Zodovi 95", tab);
        HostSheetTabText(sheet, 1, tab, sizeof tab);
        EXPECT_STREQ("Vurezez Edidadaz", tab);
        // The keyword field has the focus with its text selected.
        HostSheetControl focus;
        ASSERT_TRUE(HostSheetGetControl(HostSheetFocus(sheet), &focus));
        EXPECT_EQ(IDC_KEYWORD, focus.id);
        EXPECT_TRUE(focus.allSelected);
        EXPECT_EQ((std::vector<int>{ IDC_KEYWORD, IDC_SCREEN_NAME, IDC_CLIENT_PATH }), TabOrder(sheet));
        HostSheetTypeText(sheet, Field(sheet, IDC_KEYWORD), "Stocks");
        HostSheetPressKey(sheet, HOST_SHEET_KEY_ENTER);
    };
    DriveNextSheet(&driver);
    EXPECT_EQ(0, WinMain(HostModuleInstance(), NULL, (LPSTR) "", SW_SHOWDEFAULT));
    EXPECT_EQ("C:\\AOL\\WAOL.EXE -ntester -sStocks", OnlyStartedCommandLine());
}

} // namespace
