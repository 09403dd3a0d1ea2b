// Start-up: the settings key from the module's name, the hidden window, the
// start message and the two start-up failures with their error boxes.
#include <gtest/gtest.h>

#include <string>

#include "app/error_box.h"
#include "app/main_window.h"
#include "app/win_main.h"
#include "res/resource.h"
#include "support/product_fixture.h"

namespace {

const char kTitle[] = "Vivodo DIZ Eduda Dad";

class StartupTest : public ProductTest {
protected:
    int RunWinMain() { return WinMain(HostModuleInstance(), NULL, (LPSTR) "", SW_SHOWDEFAULT); }
};

TEST_F(StartupTest, SettingsKeyPathComesFromTheModuleFileName)
{
    struct {
        const char *moduleFileName;
        const char *baseName;
        const char *keyPath;
    } const cases[] = {
        { "C:\\LINKS\\STOCKS.EXE", "STOCKS", "America Online\\STOCKS" },
        { "C:\\LINKS\\My.Daily.Link.exe", "My.Daily.Link", "America Online\\My.Daily.Link" },
        { "C:\\MY.DIR\\NEWS.EXE", "NEWS", "America Online\\NEWS" },
        { "Z:\\home\\user\\links\\STOCKS", "STOCKS", "America Online\\STOCKS" },
        { "", "", "America Online\\" },
    };
    for (const auto &c : cases) {
        g_app = AppState{};
        lstrcpyA(g_app.moduleFileName, c.moduleFileName);
        EXPECT_EQ(1, DeriveSettingsKeyPath()) << c.moduleFileName;
        EXPECT_STREQ(c.baseName, g_app.moduleBaseName);
        EXPECT_STREQ(c.keyPath, g_app.settingsKeyPath);
    }
}

TEST_F(StartupTest, ABaseNameTooLongForTheKeyIsRefusedNotCut)
{
    // "America Online\" leaves 240 characters of the 255 for the name; a
    // cut name could be another copy's key.
    for (size_t length : { 239u, 240u, 241u, 255u }) {
        g_app = AppState{};
        std::string path = "C:\\" + std::string(length, 'N') + ".EXE";
        lstrcpyA(g_app.moduleFileName, path.c_str());
        int fits = DeriveSettingsKeyPath();
        EXPECT_EQ(length <= 240 ? 1 : 0, fits) << length;
        if (fits) {
            EXPECT_EQ(15 + length, strlen(g_app.settingsKeyPath));
        } else {
            EXPECT_STREQ("", g_app.settingsKeyPath);
            EXPECT_STREQ("", g_app.moduleBaseName);
        }
    }
}

TEST_F(StartupTest, ALongNameEndsStartUpWithAnErrorBoxAndNoRun)
{
    std::string path = "C:\\" + std::string(241, 'N') + ".EXE";
    HostSetModuleFileName(path.c_str());
    EXPECT_EQ(0, RunWinMain());
    ASSERT_EQ(1, HostMessageBoxCount());
    EXPECT_STREQ("The file name of this shortcut is too long.\nRename it to a shorter name and try again.",
                 HostMessageBoxAt(0)->text);
    EXPECT_EQ(NULL, g_app.mainWindow);
    EXPECT_EQ(0, HostStartedProcessCount());
}

TEST_F(StartupTest, ACutModuleFileNameEndsStartUpToo)
{
    // The platform cuts a path longer than the buffer; the cut name would
    // be some other file's.
    std::string path = "C:\\" + std::string(150, 'D') + "\\" + std::string(150, 'F') + ".EXE";
    HostSetModuleFileName(path.c_str());
    EXPECT_EQ(0, RunWinMain());
    EXPECT_EQ(1, HostMessageBoxCount());
    EXPECT_EQ(NULL, g_app.mainWindow);
}

struct StartupFailure {
    HostCall failingCall;
    const char *text;
    bool moduleNameRead;
};

TEST_F(StartupTest, StartUpFailuresShowTheirBoxAndEndWithZero)
{
    const StartupFailure failures[] = {
        { HOST_CALL_REGISTER_CLASS,
          "Couldn't register window classes.\nTry shutting down other applications before trying again.", false },
        { HOST_CALL_CREATE_WINDOW,
          "Couldn't create the windows.\nTry shutting down other applications before trying again.", true },
    };
    for (const StartupFailure &failure : failures) {
        HostResetLayer();
        g_app = AppState{};
        HostCaptureProcessStarts(TRUE, 33);
        HostSetModuleFileName("C:\\LINKS\\STOCKS.EXE");
        HostFailCall(failure.failingCall, 0);

        EXPECT_EQ(0, RunWinMain());
        ASSERT_EQ(1, HostMessageBoxCount());
        const HostMessageBox *box = HostMessageBoxAt(0);
        EXPECT_STREQ(failure.text, box->text);
        EXPECT_STREQ(kTitle, box->caption);
        EXPECT_EQ(NULL, box->owner);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONERROR), box->type);
        EXPECT_EQ(1, box->beepsBefore);
        EXPECT_EQ((UINT)MB_ICONERROR, HostBeepTypeAt(0));
        // Nothing of the run: no settings read, no client started.
        EXPECT_EQ(failure.moduleNameRead, g_app.moduleFileName[0] != '\0');
        EXPECT_EQ(NULL, g_app.mainWindow);
        EXPECT_EQ(0, HostStartedProcessCount());
        EXPECT_STREQ("", g_app.settings.screenName);
    }
}

TEST_F(StartupTest, AMissingTextShowsUnknownErrorWithoutABeep)
{
    LoadStringA(HostModuleInstance(), IDS_TITLE, g_app.title, sizeof g_app.title);
    g_app.instance = HostModuleInstance();
    EXPECT_EQ(0, ShowErrorBox(999));
    ASSERT_EQ(1, HostMessageBoxCount());
    EXPECT_STREQ("Unknown error", HostMessageBoxAt(0)->text);
    EXPECT_STREQ(kTitle, HostMessageBoxAt(0)->caption);
    EXPECT_EQ((UINT)0x10, HostMessageBoxAt(0)->type);
    EXPECT_EQ(0, HostBeepCount());
}

TEST_F(StartupTest, TheHiddenWindowIsNeverShownAndTheRunEndsTheLoop)
{
    EXPECT_EQ(0, RunWinMain());

    HostWindowInfo info;
    ASSERT_TRUE(HostGetWindowInfo(g_app.mainWindow, &info));
    EXPECT_STREQ("TOVRIK", info.className);
    EXPECT_STREQ("", info.title);
    EXPECT_EQ((DWORD)WS_DISABLED, info.style);
    EXPECT_EQ(0u, info.exStyle);
    EXPECT_EQ(0, info.x);
    EXPECT_EQ(0, info.y);
    EXPECT_EQ(0, info.width);
    EXPECT_EQ(0, info.height);
    EXPECT_EQ(NULL, info.parent);
    EXPECT_FALSE(info.everVisible);

    WNDCLASSA wndClass;
    ASSERT_TRUE(HostGetClassInfo("TOVRIK", &wndClass));
    EXPECT_EQ((UINT)CS_BYTEALIGNCLIENT, wndClass.style);
    EXPECT_EQ(MainWindowProc, wndClass.lpfnWndProc);
    EXPECT_EQ(0, wndClass.cbClsExtra);
    EXPECT_EQ(0, wndClass.cbWndExtra);
    EXPECT_EQ(HostModuleInstance(), wndClass.hInstance);
    EXPECT_NE((HICON)NULL, wndClass.hIcon);
    EXPECT_NE((HCURSOR)NULL, wndClass.hCursor);
    EXPECT_EQ((HBRUSH)(INT_PTR)6, wndClass.hbrBackground);
    EXPECT_EQ(NULL, wndClass.lpszMenuName);

    // The common controls were set up at creation, and every handled
    // message went on to the default procedure.
    EXPECT_EQ(1, HostInitCommonControlsCount());
    EXPECT_EQ(1, HostDefWindowProcCount(WM_CREATE));
    EXPECT_EQ(1, HostDefWindowProcCount(WM_START_SHORTCUT));
    EXPECT_FALSE(HostQuitPending(nullptr));
    EXPECT_EQ(0, HostMessageBoxCount());
}

TEST_F(StartupTest, DestroyingTheWindowEndsTheLoopWithZero)
{
    RunWinMain();
    ASSERT_TRUE(HostDestroyWindow(g_app.mainWindow));
    EXPECT_EQ(1, HostDefWindowProcCount(WM_DESTROY));
    int exitCode = -1;
    EXPECT_TRUE(HostQuitPending(&exitCode));
    EXPECT_EQ(0, exitCode);
    MSG msg;
    EXPECT_EQ(FALSE, GetMessageA(&msg, NULL, 0, 0));
    EXPECT_EQ((UINT)WM_QUIT, msg.message);
    EXPECT_EQ(0u, msg.wParam);
}

} // namespace
