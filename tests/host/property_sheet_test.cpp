// The host's PropertySheetA as a program meets it: pages from the compiled
// templates with page procedures of the test's own that record what they
// are sent, the page records stepped through by their dwSize, the result,
// and the notifications of OK, Cancel and Apply.
#include <gtest/gtest.h>

#include <commctrl.h>
#include <string.h>

#include <vector>

#include "res/resource.h"
#include "sheet/sheet_test_driver.h"

namespace {

struct PageLog {
    HWND window = NULL;
    int initDialogs = 0;
    WPARAM initFocus = 0;
    LPARAM initRecord = 0;
    std::vector<UINT> notifications;
};

PageLog g_logs[2];
INT_PTR g_initResult = TRUE;

template <int Page>
INT_PTR CALLBACK LoggingPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PageLog &log = g_logs[Page];
    if (message == WM_INITDIALOG) {
        log.window = window;
        log.initDialogs++;
        log.initFocus = wParam;
        log.initRecord = lParam;
        return g_initResult;
    }
    if (message == WM_NOTIFY) {
        const NMHDR *header = (const NMHDR *)lParam;
        log.notifications.push_back(header->code);
    }
    return FALSE;
}

class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HostResetLayer();
        for (PageLog &log : g_logs)
            log = PageLog{};
        g_initResult = TRUE;
        memset(pages_, 0, sizeof pages_);
        for (int i = 0; i < 2; ++i) {
            pages_[i].dwSize = sizeof pages_[i];
            pages_[i].hInstance = HostModuleInstance();
            pages_[i].pszTemplate = MAKEINTRESOURCEA(i == 0 ? IDD_SETTINGS_PAGE : IDD_INFO_PAGE);
            pages_[i].lParam = 100 + i;
        }
        pages_[0].pfnDlgProc = LoggingPageProc<0>;
        pages_[1].pfnDlgProc = LoggingPageProc<1>;
        header_ = PROPSHEETHEADERA{};
        header_.dwSize = PROPSHEETHEADERA_V1_SIZE;
        header_.dwFlags = PSH_PROPSHEETPAGE;
        header_.hInstance = HostModuleInstance();
        header_.pszCaption = "Sheet Caption";
        header_.nPages = 2;
        header_.ppsp = (LPCPROPSHEETPAGEA)pages_;
    }
    void TearDown() override { HostResetLayer(); }

    INT_PTR Show(SheetDriver driver)
    {
        driver_ = driver;
        DriveNextSheet(&driver_);
        return PropertySheetA(&header_);
    }

    PROPSHEETPAGEA_V1 pages_[2];
    PROPSHEETHEADERA header_;
    SheetDriver driver_;
};

TEST_F(PropertySheetTest, CannotBeShownWithoutInputOrWhenMadeToFail)
{
    // No driver, no script and no standard input attached: nothing to show
    // the sheet with, and no page is ever initialised.
    EXPECT_EQ(-1, PropertySheetA(&header_));
    EXPECT_EQ(0, g_logs[0].initDialogs);

    bool driven = false;
    HostFailCall(HOST_CALL_PROPERTY_SHEET, 0);
    EXPECT_EQ(-1, Show([&](HWND) { driven = true; }));
    EXPECT_FALSE(driven);
}

TEST_F(PropertySheetTest, RefusesHeadersItCannotRead)
{
    bool driven = false;
    SheetDriver driver = [&](HWND) { driven = true; };
    DriveNextSheet(&driver);
    EXPECT_EQ(-1, PropertySheetA(nullptr));
    PROPSHEETHEADERA header = header_;
    header.dwSize = 12;
    EXPECT_EQ(-1, PropertySheetA(&header));
    header = header_;
    header.dwFlags = 0; // an array of page handles, which the host does not take
    EXPECT_EQ(-1, PropertySheetA(&header));
    header = header_;
    header.nPages = 0;
    EXPECT_EQ(-1, PropertySheetA(&header));
    pages_[0].pszTemplate = pages_[1].pszTemplate = MAKEINTRESOURCEA(4242);
    EXPECT_EQ(-1, PropertySheetA(&header_));
    EXPECT_FALSE(driven);
}

TEST_F(PropertySheetTest, StepsThroughPageRecordsByTheirOwnSize)
{
    // Records of the later, larger layout each claiming the first version's
    // size: the second record is read from inside the first, finds a size
    // of 0 there and is dropped without an error, as on the platform.
    PROPSHEETPAGEA later[2];
    memset(later, 0, sizeof later);
    for (int i = 0; i < 2; ++i)
        memcpy(&later[i], &pages_[i], sizeof pages_[i]);
    header_.ppsp = later;
    int pageCount = -1;
    EXPECT_EQ(0, Show([&](HWND sheet) { pageCount = HostSheetPageCount(sheet); }));
    EXPECT_EQ(1, pageCount);

    // The same records with their true size keep both pages.
    later[0].dwSize = later[1].dwSize = sizeof later[0];
    EXPECT_EQ(0, Show([&](HWND sheet) { pageCount = HostSheetPageCount(sheet); }));
    EXPECT_EQ(2, pageCount);
}

TEST_F(PropertySheetTest, BuildsTheStartPageFromItsTemplateAndTheOthersWhenShown)
{
    HWND owner = NULL;
    Show([&](HWND sheet) {
        EXPECT_EQ("Sheet Caption", WindowTitle(sheet));
        EXPECT_EQ(2, HostSheetPageCount(sheet));
        char tab[64];
        ASSERT_TRUE(HostSheetTabText(sheet, 1, tab, sizeof tab));
        EXPECT_STREQ("Vurezez Edidadaz", tab);
        ASSERT_TRUE(HostSheetTabText(sheet, 0, tab, 5));
        EXPECT_STREQ("Zodo", tab);

        // The start page exists and was initialised once, with its record
        // and the first tab stop; the other waits to be shown.
        HWND settings = HostSheetPage(sheet, 0);
        ASSERT_NE((HWND)NULL, settings);
        EXPECT_EQ(settings, g_logs[0].window);
        EXPECT_EQ(1, g_logs[0].initDialogs);
        EXPECT_EQ((LPARAM)&pages_[0], g_logs[0].initRecord);
        EXPECT_EQ((WPARAM)ItemWindow(settings, IDC_KEYWORD), g_logs[0].initFocus);
        EXPECT_EQ((HWND)NULL, HostSheetPage(sheet, 1));
        EXPECT_EQ(0, g_logs[1].initDialogs);

        HostWindowInfo info;
        ASSERT_TRUE(HostGetWindowInfo(settings, &info));
        EXPECT_EQ(sheet, info.parent);
        EXPECT_EQ(8, HostSheetControlCount(settings));
        HWND keyword = ItemWindow(settings, IDC_KEYWORD);
        ASSERT_TRUE(HostGetWindowInfo(keyword, &info));
        EXPECT_STRCASEEQ("Edit", info.className) << "class names match without regard to case";
        EXPECT_EQ(0x50830080u, info.style);
        EXPECT_EQ(17, info.x);
        EXPECT_EQ(126, info.y);
        EXPECT_EQ(158, info.width);
        EXPECT_EQ(15, info.height);

        EXPECT_TRUE(HostSheetSelectPage(sheet, 1));
        EXPECT_EQ(1, HostSheetCurrentPage(sheet));
        EXPECT_EQ(1, g_logs[1].initDialogs);
        EXPECT_TRUE(HostSheetSelectPage(sheet, 0));
        EXPECT_TRUE(HostSheetSelectPage(sheet, 1));
        EXPECT_EQ(1, g_logs[1].initDialogs) << "a page is initialised once";
        EXPECT_FALSE(HostSheetSelectPage(sheet, 2));
        owner = info.parent;
    });
    EXPECT_EQ((HWND)NULL, HostSheetPage(owner, 0)) << "the sheet is gone once it returns";
}

TEST_F(PropertySheetTest, OkAppliesEveryCreatedPageThenCloses)
{
    struct {
        const char *name;
        bool showInfoFirst;
        std::vector<UINT> infoNotifications;
    } const cases[] = {
        { "OK on the start page", false, {} },
        { "OK on the information page", true, { PSN_APPLY } },
    };
    for (const auto &c : cases) {
        SetUp();
        bool stillOpen = true;
        INT_PTR result = Show([&](HWND sheet) {
            if (c.showInfoFirst)
                HostSheetSelectPage(sheet, 1);
            EXPECT_TRUE(HostSheetPressButton(sheet, IDOK));
            stillOpen = HostSheetIsOpen(sheet);
            EXPECT_FALSE(HostSheetPressButton(sheet, IDCANCEL)) << "a closed sheet takes no more";
        });
        EXPECT_GT(result, 0) << c.name;
        EXPECT_FALSE(stillOpen) << c.name;
        EXPECT_EQ(std::vector<UINT>{ PSN_APPLY }, g_logs[0].notifications) << c.name;
        EXPECT_EQ(c.infoNotifications, g_logs[1].notifications) << c.name;
    }
}

TEST_F(PropertySheetTest, CancelAndADriverThatJustReturnsBothReset)
{
    EXPECT_EQ(0, Show([](HWND sheet) { EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_ESCAPE)); }));
    EXPECT_EQ(std::vector<UINT>{ PSN_RESET }, g_logs[0].notifications);

    SetUp();
    EXPECT_EQ(0, Show([](HWND) {}));
    EXPECT_EQ(std::vector<UINT>{ PSN_RESET }, g_logs[0].notifications);
}

TEST_F(PropertySheetTest, ApplyWaitsForAPageToReportAChange)
{
    INT_PTR result = Show([](HWND sheet) {
        EXPECT_FALSE(HostSheetButtonEnabled(sheet, HOST_SHEET_APPLY_ID));
        EXPECT_FALSE(HostSheetPressButton(sheet, HOST_SHEET_APPLY_ID));
        EXPECT_TRUE(g_logs[0].notifications.empty());

        // Typing alone reports nothing: only the page can.
        HostSheetPressKey(sheet, 'x');
        EXPECT_FALSE(HostSheetButtonEnabled(sheet, HOST_SHEET_APPLY_ID));

        ASSERT_TRUE(PostMessageA(sheet, PSM_CHANGED, (WPARAM)HostSheetPage(sheet, 0), 0));
        EXPECT_TRUE(HostSheetButtonEnabled(sheet, HOST_SHEET_APPLY_ID));
        EXPECT_TRUE(HostSheetPressButton(sheet, HOST_SHEET_APPLY_ID));
        EXPECT_TRUE(HostSheetIsOpen(sheet));
        EXPECT_EQ(std::vector<UINT>{ PSN_APPLY }, g_logs[0].notifications);
        EXPECT_FALSE(HostSheetButtonEnabled(sheet, HOST_SHEET_APPLY_ID));
        HostSheetPressButton(sheet, IDCANCEL);
    });
    // Cancelled after an apply: the changes were saved all the same.
    EXPECT_GT(result, 0);
    EXPECT_EQ((std::vector<UINT>{ PSN_APPLY, PSN_RESET }), g_logs[0].notifications);
}

TEST_F(PropertySheetTest, TheOwnerIsDisabledWhileTheSheetIsUp)
{
    WNDCLASSA wndClass = {};
    wndClass.lpfnWndProc = DefWindowProcA;
    wndClass.lpszClassName = "SheetOwner";
    ASSERT_NE(0, RegisterClassA(&wndClass));
    HWND owner = CreateWindowExA(0, "SheetOwner", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    ASSERT_NE((HWND)NULL, owner);
    header_.hwndParent = owner;
    HostSheetControl state;
    EXPECT_EQ(0, Show([&](HWND sheet) {
        HostWindowInfo info;
        HostGetWindowInfo(sheet, &info);
        EXPECT_EQ(owner, info.parent);
        ASSERT_TRUE(HostSheetGetControl(owner, &state));
        EXPECT_FALSE(state.enabled);
    }));
    ASSERT_TRUE(HostSheetGetControl(owner, &state));
    EXPECT_TRUE(state.enabled);

    // An owner that is no window: the sheet cannot be shown.
    header_.hwndParent = (HWND)(UINT_PTR)0xDEAD0;
    EXPECT_EQ(-1, Show([](HWND) {}));
}

TEST_F(PropertySheetTest, DialogItemCallsKeepToTheirBuffers)
{
    Show([](HWND sheet) {
        HWND page = HostSheetPage(sheet, 0);
        // The limit binds typing only: text the program sets stays whole.
        SendDlgItemMessageA(page, IDC_SCREEN_NAME, EM_LIMITTEXT, 10, 0);
        EXPECT_TRUE(SetDlgItemTextA(page, IDC_SCREEN_NAME, "ABCDEFGHIJKLMNOP"));
        EXPECT_EQ("ABCDEFGHIJKLMNOP", ItemText(page, IDC_SCREEN_NAME));

        char buffer[8];
        memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(4u, GetDlgItemTextA(page, IDC_SCREEN_NAME, buffer, 5));
        EXPECT_STREQ("ABCD", buffer);
        EXPECT_EQ('Z', buffer[5]);
        memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(0u, GetDlgItemTextA(page, IDC_SCREEN_NAME, buffer, 0));
        EXPECT_EQ('Z', buffer[0]);
        EXPECT_EQ(0u, GetDlgItemTextA(page, IDC_SCREEN_NAME, buffer, 1));
        EXPECT_STREQ("", buffer);

        // A control the page does not have.
        memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(0u, GetDlgItemTextA(page, 613, buffer, sizeof buffer));
        EXPECT_STREQ("", buffer);
        EXPECT_FALSE(SetDlgItemTextA(page, 613, "secret"));
        EXPECT_EQ(0, SendDlgItemMessageA(page, 613, EM_LIMITTEXT, 8, 0));
        EXPECT_TRUE(SetDlgItemTextA(page, IDC_KEYWORD, nullptr));
        EXPECT_EQ("", ItemText(page, IDC_KEYWORD));
    });
}

TEST_F(PropertySheetTest, TypingKeepsToTheLimitTheProgramSet)
{
    Show([](HWND sheet) {
        HWND page = HostSheetPage(sheet, 0);
        HWND name = ItemWindow(page, IDC_SCREEN_NAME);
        SendDlgItemMessageA(page, IDC_SCREEN_NAME, EM_LIMITTEXT, 4, 0);
        EXPECT_EQ(4, HostSheetTypeText(sheet, name, "abcdef"));
        EXPECT_EQ("abcd", ItemText(page, IDC_SCREEN_NAME));
        EXPECT_FALSE(HostSheetPressKey(sheet, 'e'));
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_BACKSPACE));
        EXPECT_TRUE(HostSheetPressKey(sheet, 'E'));
        EXPECT_EQ("abcE", ItemText(page, IDC_SCREEN_NAME));

        // Over-long text from the program can be shortened, not lengthened.
        SetDlgItemTextA(page, IDC_SCREEN_NAME, "123456");
        EXPECT_FALSE(HostSheetPressKey(sheet, 'x'));
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_DELETE));
        EXPECT_EQ("23456", ItemText(page, IDC_SCREEN_NAME));

        // Control characters are left out of typed text; 0 lifts the limit.
        SendDlgItemMessageA(page, IDC_SCREEN_NAME, EM_LIMITTEXT, 0, 0);
        EXPECT_EQ(3, HostSheetTypeText(sheet, name, "a\tb\nc"));
        EXPECT_EQ("abc", ItemText(page, IDC_SCREEN_NAME));
        HostSheetControl info;
        HostSheetGetControl(name, &info);
        EXPECT_EQ(0x7FFFFFFE, info.textLimit);

        // A field nobody limited takes the platform's default.
        HostSheetGetControl(ItemWindow(page, IDC_CLIENT_PATH), &info);
        EXPECT_EQ(30000, info.textLimit);
    });
}

TEST_F(PropertySheetTest, EditingKeysWorkAsInAnEditField)
{
    struct {
        const char *name;
        std::vector<int> keys;
        const char *text;
        int caret;
    } const cases[] = {
        // Focus by Tab selects the whole text; typing replaces it.
        { "typing replaces the selection", { 'x', 'y' }, "xy", 2 },
        { "Backspace clears the selection", { HOST_SHEET_KEY_BACKSPACE }, "", 0 },
        { "Delete clears the selection", { HOST_SHEET_KEY_DELETE }, "", 0 },
        { "Left goes to the start", { HOST_SHEET_KEY_LEFT, 'x' }, "xabc", 1 },
        { "Right goes to the end", { HOST_SHEET_KEY_RIGHT, 'x' }, "abcx", 4 },
        { "Home then Delete", { HOST_SHEET_KEY_HOME, HOST_SHEET_KEY_DELETE }, "bc", 0 },
        { "End then Backspace", { HOST_SHEET_KEY_END, HOST_SHEET_KEY_BACKSPACE }, "ab", 2 },
        { "in the middle", { HOST_SHEET_KEY_HOME, HOST_SHEET_KEY_RIGHT, 'x', HOST_SHEET_KEY_RIGHT,
                             HOST_SHEET_KEY_DELETE }, "axb", 3 },
        { "stops at both ends", { HOST_SHEET_KEY_HOME, HOST_SHEET_KEY_LEFT, HOST_SHEET_KEY_BACKSPACE,
                                  HOST_SHEET_KEY_END, HOST_SHEET_KEY_RIGHT, HOST_SHEET_KEY_DELETE }, "abc", 3 },
        { "characters from 0x80 up are typed", { 0xE9 }, "\xE9", 1 },
        { "DEL and control characters are not", { 0x7F, 0x1B, 0x0A }, "abc", 3 },
    };
    for (const auto &c : cases) {
        SetUp();
        Show([&](HWND sheet) {
            HWND page = HostSheetPage(sheet, 0);
            SetDlgItemTextA(page, IDC_KEYWORD, "abc");
            HostSheetPressKey(sheet, HOST_SHEET_KEY_BACKTAB);
            HostSheetPressKey(sheet, HOST_SHEET_KEY_TAB);
            ASSERT_EQ(ItemWindow(page, IDC_KEYWORD), HostSheetFocus(sheet));
            for (int key : c.keys)
                HostSheetPressKey(sheet, key);
            EXPECT_EQ(c.text, ItemText(page, IDC_KEYWORD)) << c.name;
            HostSheetControl info;
            HostSheetGetControl(HostSheetFocus(sheet), &info);
            EXPECT_EQ(c.caret, info.caret) << c.name;
        });
    }
}

TEST_F(PropertySheetTest, TabFollowsTheTemplateOrderAndPagesSwitchByKey)
{
    Show([](HWND sheet) {
        // WM_INITDIALOG returned TRUE: the first tab stop, text selected.
        HostSheetControl info;
        ASSERT_TRUE(HostSheetGetControl(HostSheetFocus(sheet), &info));
        EXPECT_EQ(IDC_KEYWORD, info.id);
        EXPECT_TRUE(info.allSelected);
        EXPECT_EQ((std::vector<int>{ IDC_KEYWORD, IDC_SCREEN_NAME, IDC_CLIENT_PATH }), TabOrder(sheet));

        // After the last field, the tabs: Left and Right change the page
        // there, and the focus stays on them.
        EXPECT_EQ((HWND)NULL, HostSheetFocus(sheet));
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_RIGHT));
        EXPECT_EQ(1, HostSheetCurrentPage(sheet));
        EXPECT_EQ((HWND)NULL, HostSheetFocus(sheet));
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_LEFT));
        EXPECT_EQ(0, HostSheetCurrentPage(sheet));
        HostSheetPressKey(sheet, HOST_SHEET_KEY_BACKTAB);
        HostSheetGetControl(HostSheetFocus(sheet), &info);
        EXPECT_EQ(IDC_CLIENT_PATH, info.id);

        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_NEXT_PAGE));
        EXPECT_EQ(1, HostSheetCurrentPage(sheet));
        // Nothing on the information page takes the focus.
        EXPECT_EQ((HWND)NULL, HostSheetFocus(sheet));
        EXPECT_FALSE(HostSheetPressKey(sheet, HOST_SHEET_KEY_TAB));
        EXPECT_FALSE(HostSheetPressKey(sheet, 'x'));
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_NEXT_PAGE));
        EXPECT_EQ(0, HostSheetCurrentPage(sheet));
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_PREVIOUS_PAGE));
        EXPECT_EQ(1, HostSheetCurrentPage(sheet));
        EXPECT_TRUE(HostSheetPressKey(sheet, HOST_SHEET_KEY_PAGE_1));
        EXPECT_EQ(0, HostSheetCurrentPage(sheet));
        EXPECT_FALSE(HostSheetPressKey(sheet, HOST_SHEET_KEY_PAGE_1 + 2));
    });
}

TEST_F(PropertySheetTest, APageThatDeclinesTheDefaultFocusLeavesItOnTheTabs)
{
    g_initResult = FALSE;
    Show([](HWND sheet) {
        EXPECT_EQ((HWND)NULL, HostSheetFocus(sheet));
        HostSheetPressKey(sheet, HOST_SHEET_KEY_TAB);
        HostSheetControl info;
        ASSERT_TRUE(HostSheetGetControl(HostSheetFocus(sheet), &info));
        EXPECT_EQ(IDC_KEYWORD, info.id);
    });
}

class SheetScriptTest : public PropertySheetTest {
protected:
    // Runs `script` and gives back what the settings page's fields held
    // when the sheet closed, and what was reported.
    INT_PTR RunScript(const char *script)
    {
        HostSetSheetScript(script);
        testing::internal::CaptureStderr();
        INT_PTR result = PropertySheetA(&header_);
        errors_ = testing::internal::GetCapturedStderr();
        return result;
    }

    std::string errors_;
};

// The settings page keeps its fields' texts for the test to read.
std::string g_closingTexts[3];

INT_PTR CALLBACK RecordingSettingsProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageA(page, IDC_SCREEN_NAME, EM_LIMITTEXT, 10, 0);
        SetDlgItemTextA(page, IDC_KEYWORD, "start");
    }
    if (message == WM_NOTIFY) {
        int ids[] = { IDC_SCREEN_NAME, IDC_KEYWORD, IDC_CLIENT_PATH };
        for (int i = 0; i < 3; ++i)
            g_closingTexts[i] = ItemText(page, ids[i]);
    }
    return LoggingPageProc<0>(page, message, wParam, lParam);
}

TEST_F(SheetScriptTest, TypesIntoTheFieldNamedByItsLabelAndPressesOk)
{
    pages_[0].pfnDlgProc = RecordingSettingsProc;
    EXPECT_GT(RunScript("# a comment, then an empty line\n"
                        "\n"
                        "name=Reader 7\n"
                        "Keyword=Top News\r\n"
                        " path = C:\\AOL\\WAOL.EXE\n"
                        "ok\n"
                        "cancel\n"),
              0);
    EXPECT_EQ("", errors_);
    EXPECT_EQ("Reader 7", g_closingTexts[0]);
    EXPECT_EQ("Top News", g_closingTexts[1]);
    EXPECT_EQ(" C:\\AOL\\WAOL.EXE", g_closingTexts[2]) << "the text after = is taken as it is";
    EXPECT_EQ(std::vector<UINT>{ PSN_APPLY }, g_logs[0].notifications);
}

TEST_F(SheetScriptTest, ReportsWhatItCannotDoAndGoesOn)
{
    pages_[0].pfnDlgProc = RecordingSettingsProc;
    EXPECT_GT(RunScript("bogus\n"
                        "password=secret\n"
                        "=x\n"
                        "page=3\n"
                        "page=Nowhere\n"
                        "apply\n"
                        "name=ABCDEFGHIJKLMN\n"
                        "OK"),
              0);
    const char *const reports[] = {
        "line 1: \"bogus\" is not understood",
        "line 2: no field is labelled \"password\"",
        "line 3:",
        "line 4: there is no page 3",
        "line 5: no page has the tab \"Nowhere\"",
        "line 6: the apply button is disabled",
        "line 7: \"name\" takes 10 of the 14 characters given: \"ABCDEFGHIJ\"",
    };
    for (const char *report : reports)
        EXPECT_NE(std::string::npos, errors_.find(report)) << report << "\n" << errors_;
    EXPECT_EQ("ABCDEFGHIJ", g_closingTexts[0]);
    EXPECT_EQ("start", g_closingTexts[1]);
}

// The script is UTF-8; the fields hold code page 1252 and count its letters.
TEST_F(SheetScriptTest, TypesLettersInCodePage1252AndSkipsLinesItCannotHold)
{
    pages_[0].pfnDlgProc = RecordingSettingsProc;
    EXPECT_GT(RunScript("name=\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89"
                        "\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\n" // twelve E-acutes
                        "keyword=\xC5\x81odz\n"                                        // Lodz with a stroked L
                        "keyword=caf\xE9\n"                                             // code page 1252, not UTF-8
                        "# \xC5\x81 in a comment is no matter\n"
                        "path=\xE2\x82\xAC \xE2\x80\x99\n"                         // the euro sign, a right quote
                        "ok\n"),
              0);
    EXPECT_EQ(std::string(10, '\xC9'), g_closingTexts[0]);
    EXPECT_EQ("start", g_closingTexts[1]);
    EXPECT_EQ("\x80 \x92", g_closingTexts[2]);
    const char *const reports[] = {
        "line 1: \"name\" takes 10 of the 12 characters given: \"\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89"
        "\xC3\x89\xC3\x89\xC3\x89\xC3\x89\xC3\x89\"\n",
        "line 2: \"keyword=\xC5\x81odz\" is not UTF-8 text that code page 1252 can hold\n",
        "line 3: \"keyword=caf\xE9\" is not UTF-8",
    };
    for (const char *report : reports)
        EXPECT_NE(std::string::npos, errors_.find(report)) << report << "\n" << errors_;
    EXPECT_EQ(std::string::npos, errors_.find("line 4")) << errors_;
}

TEST_F(SheetScriptTest, PagesByNumberOrTabAndTheEndOfInputCancels)
{
    EXPECT_GT(RunScript("page=2\nok\n"), 0);
    EXPECT_EQ(std::vector<UINT>{ PSN_APPLY }, g_logs[1].notifications) << "page 2 was created and applied";

    SetUp();
    EXPECT_GT(RunScript("page=vurezez edidadaz\npage=1\nok\n"), 0);
    EXPECT_EQ("", errors_);

    SetUp();
    EXPECT_EQ(0, RunScript("keyword=never saved"));
    EXPECT_EQ(std::vector<UINT>{ PSN_RESET }, g_logs[0].notifications);

    SetUp();
    EXPECT_EQ(0, RunScript(""));
    EXPECT_EQ(1, g_logs[0].initDialogs);
}

} // namespace
