// Every fixed buffer of the settings at its edges, with guard bytes around
// each field of g_app: texts of the read size less one, the read size and
// beyond, user names about the screen name's size, and the longest client
// path that the search can give, run through to the command line. What
// each field then holds is the settings store's and the search's own tests'
// concern; here nothing may be written past a field.
#include <gtest/gtest.h>

#include <string>

#include "hardening/app_state_guard.h"
#include "host/registry_values.h"
#include "shortcut/settings_store.h"
#include "shortcut/shortcut_run.h"
#include "support/product_fixture.h"

namespace {

const char kCopyKey[] = "America Online\\STOCKS";

class BufferEdges : public ProductTest {};

TEST_F(BufferEdges, StoredTextsAroundEachReadSizeStayInTheirFields)
{
    struct Case {
        const char *subKey;
        size_t readSize; /* what the field takes, its NUL included */
    } const cases[] = {
        { "America Online\\STOCKS\\Name", 12 },
        { "America Online\\STOCKS\\Keyword", 60 },
        { "America Online\\Path", MAX_PATH },
    };
    for (const Case &c : cases) {
        for (size_t length : { c.readSize - 2, c.readSize - 1, c.readSize, c.readSize + 1, c.readSize + 200 }) {
            SCOPED_TRACE(std::string(c.subKey) + " of " + std::to_string(length));
            ASSERT_EQ(ERROR_SUCCESS, StoreText(c.subKey, std::string(length, 'x')));
            AppStateGuard guard;
            lstrcpyA(g_app.settingsKeyPath, kCopyKey);
            guard.Arm();
            LoadSettings();
            EXPECT_EQ("", guard.Fault({ APP_SCREEN_NAME, APP_KEYWORD, APP_CLIENT_PATH }));
            ASSERT_EQ(ERROR_SUCCESS, StoreText(c.subKey, ""));
        }
    }
}

TEST_F(BufferEdges, UserNamesAboutTheScreenNamesSizeStayInTheirField)
{
    for (size_t length : { 11u, 12u, 13u, 300u }) {
        SCOPED_TRACE(length);
        HostSetUserName(std::string(length, 'u').c_str());
        AppStateGuard guard;
        lstrcpyA(g_app.settingsKeyPath, kCopyKey);
        guard.Arm();
        LoadSettings();
        EXPECT_EQ("", guard.Fault({ APP_SCREEN_NAME, APP_KEYWORD, APP_CLIENT_PATH }));
        EXPECT_EQ(length <= 11 ? length : 0u, strlen(g_app.settings.screenName));
    }
}

// The longest path that the search builds, with the longest screen name and
// keyword that load, from the drive to the client's command line.
TEST_F(BufferEdges, TheLongestFoundClientReachesTheCommandLineWhole)
{
    std::string folder = std::string(120, 'D') + "/" + std::string(126, 'E');
    WriteFile("drive_c/" + folder + "/WAOL.EXE", "");
    std::string path = "C:\\" + std::string(120, 'D') + "\\" + std::string(126, 'E') + "\\WAOL.EXE";
    ASSERT_EQ(259u, path.size());
    std::string name(11, 'N'), keyword = "http:" + std::string(54, 'K');
    ASSERT_EQ(ERROR_SUCCESS, StoreText(std::string(kCopyKey) + "\\Name", name));
    ASSERT_EQ(ERROR_SUCCESS, StoreText(std::string(kCopyKey) + "\\Keyword", keyword));

    AppStateGuard guard;
    lstrcpyA(g_app.settingsKeyPath, kCopyKey);
    guard.Arm();
    EXPECT_NE(0, RunShortcut(NULL));
    EXPECT_EQ("", guard.Fault({ APP_SCREEN_NAME, APP_KEYWORD }, { APP_CLIENT_PATH }));
    EXPECT_EQ(path + " -n" + name + " -u" + keyword, OnlyStartedCommandLine());
}

} // namespace
